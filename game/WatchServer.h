#pragma once

#include "Object.h"

#include <map>
#include <string>
#include <vector>

/// First line of every message sent to watchers.
const std::string WATCH_HEADER = "qv-watch 1";
/// Most watchers served at once.
const int MAX_WATCHERS = 8;

/// Lets other processes watch the game. Made by the program entry when networking is on, it
/// takes every connection the network manager accepts as a watcher and, at every step event,
/// sends each watcher one message: what changed in the world since the last pass. A watcher that
/// has just joined first gets the whole world instead. Nothing a watcher sends is used.
///
/// A message is text, one record a line, after the line `WATCH_HEADER`:
///
///     N kind id items    a new object in full: kind 'o' (drawn as its sprite), 'w' (a wall),
///                        'v' (a heads-up display item) or 's' (such an item drawn as its sprite)
///     C id items         the changed attributes of an object the watcher has
///     D id               an object that is gone
///     V x y              the corner of the view, cells
///     G                  the game is over
///
/// The items are those of `Object::serialize` that watching needs (see `watchedItems`).
/// Serializing for the change records clears the objects' modified flags once per pass; the
/// whole world for a newcomer is written after them, so every watcher gets the same state.
class WatchServer : public qv::Object
{
public:
    /// An invisible, spectral server registered for steps, network events and "game-over",
    /// allowing `MAX_WATCHERS` connections.
    WatchServer();

    /// Sends the pass's messages on a step, keeps the list of watchers on network events and
    /// notes the game's end; 1 if handled, 0 if not.
    int eventHandler(const qv::Event *p_event) override;

    /// The changes since the last call as one message, and remembers the world as it is now.
    std::string changes();
    /// The whole world as one message, as a watcher joining now needs it.
    std::string wholeWorld();
    /// Watchers connected.
    int getWatcherCount() const;
    /// Bytes of the last change message sent, length field included; 0 before the first.
    int getLastMessageBytes() const;

private:
    struct Watcher
    {
        int index;   // connection index in the network manager
        bool joined; // has had the whole world
    };

    void sendPass();
    void onNetwork(const qv::Event *p_event);
    void sendTo(std::size_t watcher, const std::string &message);
    std::string trailer() const;

    std::vector<Watcher> watchers;                           // in connection order
    std::map<int, std::map<std::string, std::string>> known; // by id, the objects the watchers have: each
                                                             // watched item as last sent, by key
    bool game_over = false;                                  // "game-over" has been seen
    int last_message_bytes = 0;                              // of the last change message, length field included
};

/// The items of `text` (attribute text) that a watcher needs to draw an object: activity,
/// visibility, box, position, type, animation, altitude, shape and the heads-up display items.
/// The others (events, motion, paths, solidness) would only make a watcher's copy act on its own.
std::string watchedItems(const std::string &text);

/// Every object in the world, active or not, in the scene graph's order: what a watcher is sent.
std::vector<qv::Object *> allObjects();

/// 'w', 's', 'v' or 'o': how a watcher draws `p_o` (see `WatchServer`).
char watchKind(const qv::Object *p_o);
