#pragma once

#include "Object.h"

#include <map>
#include <string>

namespace qv
{
class ViewObject;
} // namespace qv

/// Most objects a watcher copies; a message asking for more is not from a real game.
const int MAX_MIRRORS = 10000;

/// The watcher's side of watching a game (see `WatchServer` for the messages). It reads the
/// messages of one connection every step and keeps a copy of the game's world: one object per
/// object of the game, drawn as the game draws it, and the game's view. No key but Q does
/// anything; Q leaves. When the game is over, or the connection closes, it says so on screen.
/// Messages that are not from a game, and records it cannot read, are refused with a log line.
/// What no game sends is bounded: a wall larger than a floor is drawn as large as a floor allows,
/// a record is at most a few kilobytes, a step reads a bounded number of bytes, and copies that
/// together would draw more than many screens of characters a frame are hidden, the last made
/// first, with a log line.
class WatchClient : public qv::Object
{
public:
    /// Watches the game on the network manager's connection `init_connection`.
    explicit WatchClient(int init_connection);

    /// Reads messages on a step or a network event and leaves on Q; 1 if handled, 0 if not.
    int eventHandler(const qv::Event *p_event) override;
    /// Applies one message; 0, or -1 when it was refused (whole or in part).
    int apply(const std::string &message);
    /// The copy of the game's object `id`, or null. Owned by the world manager.
    qv::Object *getMirror(int id) const;
    /// Objects copied.
    int getMirrorCount() const;
    /// Has the game said it is over?
    bool isGameOver() const;
    /// Has the connection closed?
    bool isClosed() const;

private:
    void poll();
    bool applyRecord(const std::string &line);
    bool addMirror(char kind, int id, const std::string &items);
    void showNotice(const std::string &text);
    /// Hides the copies that would take a frame's drawing beyond its bound, with one log line a run.
    void boundDrawing();

    int connection;                      // index in the network manager
    std::map<int, qv::Object *> mirrors; // by the game's id; owned by the world manager
    qv::ViewObject *p_notice = nullptr;  // the end notice, once shown; owned by the world manager
    bool game_over = false;              // the game said it is over
    bool closed = false;                 // the connection has closed
    bool leaving = false;                // Q was pressed
    bool drawing_bounded = false;        // copies have been hidden to bound a frame's drawing
    long long step_bytes = 0;            // bytes of messages read in this step
    int clamped_extents = 0;             // wall extents of the message being applied that were clamped
};
