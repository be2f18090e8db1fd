#pragma once

#include <SFML/Audio/Music.hpp>

#include <string>

namespace qv
{

/// One piece of music, streamed from its file while it plays, with the label the game finds it
/// by. The resource manager holds a fixed table of them; they cannot be copied.
class Music
{
public:
    /// A closed stream labelled "[Undefined]".
    Music() = default;
    /// Not copyable: a stream belongs to one table entry.
    Music(const Music &) = delete;
    /// Not assignable, for the same reason.
    Music &operator=(const Music &) = delete;

    /// Opens an audio file for streaming; 0, or -1 when it cannot be opened.
    int openFile(const std::string &file_name);
    /// Sets the name the music is looked up by.
    void setLabel(const std::string &new_label);
    /// The name the music is looked up by.
    std::string getLabel() const;
    /// Starts playing from the current position, over and over when `loop` is true.
    void play(bool loop = true);
    /// Stops playing and rewinds.
    void stop();
    /// Is the music playing now?
    bool isPlaying() const;
    /// Does the music start over when it ends?
    bool getLoop() const;

private:
    sf::Music music;                   // the stream; closed until openFile succeeds
    std::string label = "[Undefined]"; // name the music is looked up by
};

} // namespace qv
