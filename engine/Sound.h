#pragma once

#include <SFML/Audio/Sound.hpp>
#include <SFML/Audio/SoundBuffer.hpp>

#include <string>

namespace qv
{

/// One sound effect of the resource manager's table: its samples, the sound that plays them and
/// a label. Nothing fills the table yet; the resource manager stops them at shut-down.
class Sound
{
public:
    /// An empty sound labelled "[Undefined]".
    Sound() = default;
    /// Not copyable: a sound belongs to one table entry.
    Sound(const Sound &) = delete;
    /// Not assignable, for the same reason.
    Sound &operator=(const Sound &) = delete;

    /// Sets the name the sound is looked up by.
    void setLabel(const std::string &new_label);
    /// The name the sound is looked up by.
    std::string getLabel() const;
    /// Stops the sound if it plays.
    void stop();

private:
    sf::Sound sound;                   // plays `sound_buffer`
    sf::SoundBuffer sound_buffer;      // the samples
    std::string label = "[Undefined]"; // name the sound is looked up by
};

} // namespace qv
