#pragma once

#include "Clock.h"
#include "Manager.h"

#include <string>
#include <vector>

namespace qv
{

/// Runs the engine: `startUp` reads the configuration and starts the log, display, input, network
/// (when configured), resource, world and path managers in that order; `run` is the fixed-rate
/// game loop; `shutDown` stops everything in reverse order. A game calls the three in turn:
///
///     GameManager &game_manager = GameManager::getInstance();
///     if (game_manager.startUp() != 0) return 1;
///     ... create the game's objects ...
///     game_manager.run();
///     game_manager.shutDown();
///
/// Objects register with it for "qv-step" to be called once per pass. SIGINT and SIGTERM end the
/// loop after the current pass, as `setGameOver(true)` does; a second such signal ends the process.
/// It owns nothing but the loop's state: the other managers are singletons of their own.
///
/// With `show_frame_time:true` in the configuration it measures every pass up to its sleep, shows
/// the last second's median and worst pass time and the passes over `frame_time` in the window's
/// bottom left corner, and writes the same figures for the whole run to the log at shut-down.
///
/// A game hands its command line to `takeOptions` before `startUp`, which gives it the engine's
/// options: `--record FILE` writes the session into a `Recording`, `--replay FILE` plays one back
/// (headless, as fast as the machine goes, since no pass waits for the clock), and `--frames DIR`
/// writes every pass's frame as text (`DisplayManager::getFrameText`).
class GameManager : public Manager
{
public:
    /// The one game manager, created on first use.
    static GameManager &getInstance();

    /// Accepts "qv-step" only.
    bool isValid(const std::string &event_name) const override;
    /// Loads the configuration and starts every manager; 0, or -1 at the first that fails (those
    /// before it keep running, and the caller should still call `shutDown`).
    int startUp() override;
    /// Stops every manager in reverse order, the log manager last.
    void shutDown() override;

    /// Runs passes of `frame_time` ms until the game is over; call only after a successful `startUp`.
    void run();

    /// Takes the engine's options (--record FILE, --replay FILE, --frames DIR) out of `p_args`, the
    /// program's arguments without its name, and applies them; 0, 1 when the recording cannot be
    /// written or replayed or the frame folder made, 2 when an option lacks its operand, comes twice
    /// or --record meets --replay. The reason is written to standard error; nothing has run.
    int takeOptions(std::vector<std::string> *p_args);
    /// The lines a program's help shows for the options of `takeOptions`.
    static const char *getOptionsHelp();

    /// Ends the loop after the current pass (`run` clears the flag when it begins).
    void setGameOver(bool new_game_over = true);
    /// Will the loop end after the current pass?
    bool getGameOver() const;
    /// Target time of one pass, ms.
    int getFrameTime() const;
    /// Passes completed since the loop began.
    int getStepCount() const;

private:
    GameManager();
    /// Adds a pass of `pass_time` µs to the figures, and renews the readout once a second.
    void countPass(int pass_time);
    /// Draws the readout in the view's bottom left corner.
    void drawFrameTime() const;
    /// Writes the whole run's figures to the log.
    void logFrameTime() const;
    /// Writes this pass's frame text into the frame folder.
    void writeFrame();

    bool game_over = false; // the loop ends after the current pass
    int frame_time = 0;     // target pass time, ms
    int step_count = 0;     // passes completed

    bool show_frame_time = false;    // measure passes, show the readout and log the figures
    Clock second_clock;              // time since the readout was last renewed
    std::vector<int> second_passes;  // pass times since then, µs
    std::string readout;             // the last full second's figures, as shown
    std::vector<int> pass_histogram; // passes of the whole run by whole ms
    int worst_pass = 0;              // longest pass of the whole run, µs
    int late_passes = 0;             // passes of the whole run over the frame time
    int timed_passes = 0;            // passes of the whole run measured

    std::string frame_directory; // folder every pass's frame text goes to; empty for none
    bool frame_failed = false;   // a frame file could not be written (reported once)
};

} // namespace qv
