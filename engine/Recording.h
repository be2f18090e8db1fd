#pragma once

#include <cstdio>
#include <string>
#include <vector>

namespace qv
{

/// One input event of a recording, as the input manager delivered it.
struct RecordedInput
{
    /// What the event was.
    enum Kind
    {
        KEY,   // a keyboard event: `action` an EventKeyboardAction, `code` the engine key
        MOUSE, // a mouse event: `action` an EventMouseAction, `code` a Mouse::Button, at `x`, `y`
        CLOSE, // the window was asked to close
    };
    Kind kind = KEY; ///< what the event was
    int pass = 0;    ///< loop pass it came in
    int action = 0;  ///< what happened
    int code = 0;    ///< key or button
    int x = 0;       ///< pointer position in the window: pixels from its left
    int y = 0;       ///< pixels from its top
};

/// A play session as text, so that it can be played again exactly: written while a game runs with
/// `--record FILE`, played back with `--replay FILE` (the game manager's `takeOptions`).
///
/// It holds what makes a session differ from another of the same game: the settings in effect, the
/// seed of the random generator, every input event the input manager delivered, with its pass, and
/// how many path-search steps the path manager had time for in each pass. The game manager writes
/// the start and the end, the input and path managers their own records. While a recording is
/// played back, the same managers take their input and path work from it instead of the window
/// and the clock. The format is in the README.
class Recording
{
public:
    /// The one recording, created on first use, neither writing nor playing back.
    static Recording &getInstance();
    Recording(const Recording &) = delete;
    Recording &operator=(const Recording &) = delete;
    ~Recording();

    /// Opens `file_name` to record the session that starts next; 0, or -1 with the reason in
    /// `*p_error` when it cannot be written or a recording is already being written or played.
    int startRecording(const std::string &file_name, std::string *p_error);
    /// Reads and checks the whole recording in `file_name` to play it back; 0, or -1 with the line
    /// and the reason in `*p_error` when it cannot be replayed, keeping nothing of it.
    int loadReplay(const std::string &file_name, std::string *p_error);
    /// Is a session being written?
    bool isRecording() const;
    /// Is a recording being played back?
    bool isReplaying() const;
    /// Stops writing or playing back; a recording closed before `writeEnd` cannot be replayed.
    void stop();

    /// Writes the version, the settings in effect (configuration text) and the seed used.
    void writeStart(const std::string &settings, int seed);
    /// Writes an input event delivered in `input.pass`.
    void noteInput(const RecordedInput &input);
    /// Writes how many path-search steps `pass` made, and whether it went over its budget; nothing
    /// for a pass that made none and kept to it.
    void notePathWork(int pass, int steps, bool over);
    /// Writes the pass in which the game ended and closes the file.
    void writeEnd(int pass);

    /// The settings of the recorded session, as configuration text.
    std::string getSettings() const;
    /// The seed the recorded session used.
    int getSeed() const;
    /// The pass in which the recorded session ended.
    int getEndPass() const;
    /// The input events recorded for `pass`, in delivery order; call once per pass, in pass order.
    std::vector<RecordedInput> takeInputs(int pass);
    /// The path-search steps recorded for `pass`, and in `*p_over` whether it went over its budget;
    /// call once per pass, in pass order.
    int takePathWork(int pass, bool *p_over);

private:
    /// Path-search work of one pass.
    struct PathWork
    {
        int pass = 0;      // loop pass
        int steps = 0;     // path-search steps made
        bool over = false; // went over its budget
    };

    Recording() = default;
    /// Parses the text of a recording into the fields; 0, or -1 with "line N: reason" in `*p_error`.
    int parse(const std::string &text, std::string *p_error);

    std::FILE *p_out = nullptr;       // the recording being written; null when not recording
    bool replaying = false;           // a loaded recording is being played back
    std::string settings;             // configuration text of the recorded session
    int seed = 0;                     // seed of the recorded session
    int end_pass = 0;                 // pass in which the recorded session ended
    std::vector<RecordedInput> input; // recorded input events in pass order
    std::vector<PathWork> path_work;  // passes with path-search work, in pass order
    std::size_t next_input = 0;       // first input event not yet taken
    std::size_t next_path_work = 0;   // first path work not yet taken
};

} // namespace qv
