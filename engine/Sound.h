#pragma once

#include <memory>
#include <string>

namespace sf
{
class Sound;
class SoundBuffer;
} // namespace sf

namespace qv
{

/// One sound effect of the resource manager's table: its samples, the sound that plays them and
/// a label. Nothing fills the table yet; the resource manager stops them at shut-down. An empty
/// entry holds no audio resources, and without an audio device a loaded one plays in silence.
class Sound
{
public:
    /// An empty sound labelled "[Undefined]".
    Sound();
    /// Out of line, where the sound's classes are complete.
    ~Sound();
    /// Not copyable: a sound belongs to one table entry.
    Sound(const Sound &) = delete;
    /// Not assignable, for the same reason.
    Sound &operator=(const Sound &) = delete;

    /// Loads the samples of an audio file; 0, or -1 when it cannot be read.
    int loadSound(const std::string &file_name);
    /// Sets the name the sound is looked up by.
    void setLabel(const std::string &new_label);
    /// The name the sound is looked up by.
    std::string getLabel() const;
    /// Plays the loaded samples once from the start; nothing when none are loaded.
    void play();
    /// Stops the sound if it plays.
    void stop();

private:
    std::unique_ptr<sf::SoundBuffer> sound_buffer; // the samples; made by loadSound when there is a device
    std::unique_ptr<sf::Sound> sound;              // plays `sound_buffer`; made with it
    std::string label = "[Undefined]";             // name the sound is looked up by
};

} // namespace qv
