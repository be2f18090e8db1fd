#pragma once

#include <chrono>
#include <memory>
#include <string>

namespace sf
{
class Music;
} // namespace sf

namespace qv
{

/// One piece of music, streamed from its file while it plays, with the label the game finds it
/// by. The resource manager holds a fixed table of them; they cannot be copied. Without an audio
/// device the file is only checked and its length read: playing then takes that long in silence.
class Music
{
public:
    /// A closed stream labelled "[Undefined]"; costs no audio resources until a file is opened.
    Music();
    /// Out of line, where the stream's class is complete.
    ~Music();
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
    std::unique_ptr<sf::Music> music;                // the stream, made by openFile when there is a device
    std::string label = "[Undefined]";               // name the music is looked up by
    bool looping = false;                            // starts over when it ends
    bool silent_open = false;                        // without a device: the last openFile succeeded
    bool silent_playing = false;                     // without a device: played since it was opened or stopped
    double duration = 0;                             // without a device: length of the opened file, seconds
    std::chrono::steady_clock::time_point played_at; // without a device: when play was last called
};

} // namespace qv
