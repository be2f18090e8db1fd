#pragma once

#include "Manager.h"

#include <string>
#include <vector>

namespace qv
{

/// The TCP connections of the game, carrying length-prefixed messages: a message starts with a
/// 4-byte signed length in the machine's byte order that counts those 4 bytes too. Started by the
/// game manager only with `networking:true`, it then listens on `network_port`; each pass the game
/// manager accepts one connection and asks for complete messages, which arrive as "qv-network"
/// events (ACCEPT, DATA, CLOSE) at the objects registered with this manager. A DATA handler takes
/// its message with `receive`; `send` frames and sends one, queueing what the peer cannot take yet.
/// A client calls `connect` instead of listening. Connections are known by their index, which
/// moves down by one for every earlier connection that is closed.
class NetworkManager : public Manager
{
public:
    /// The one network manager, created on first use.
    static NetworkManager &getInstance();

    /// Accepts "qv-network", "qv-custom-network", "qv-keyboard-network" and "qv-mouse-network".
    bool isValid(const std::string &event_name) const override;
    /// Listens on the configured port when networking is on: 0, or 1 on failure.
    int startUp() override;
    /// Closes every connection, each with its CLOSE event, and the listening socket.
    void shutDown() override;

    /// Is there a listening socket?
    bool isServer() const;
    /// The port listened on, or -1 when not a server.
    int getPort() const;
    /// Connections held.
    int getNumConnections() const;
    /// Sets the most connections held at once (0 or more): 0, or -1 when negative.
    int setMaxSockets(int new_max_sockets);
    /// The most connections held at once.
    int getMaxSockets() const;
    /// Accepts one pending connection: its index, -1 when none was accepted, -2 on error.
    int accept();
    /// Connects to a server as a client: the new connection's index, or -1 on failure.
    int connect(const std::string &host, const std::string &port);
    /// Bytes waiting on the connection, or -1 on error.
    int isData(int sock_index) const;
    /// Sends a DATA event when a complete message waits on the connection: 1 if sent, 0 if not,
    /// -1 on a receive error. Closes a connection whose peer is gone or sends a bad length.
    int genDataEvents(int sock_index);
    /// Takes one complete message off the connection, `payload` getting what follows the length:
    /// the message's length in bytes, 0 when none is complete, -1 on error.
    int receive(int sock_index, std::string &payload);
    /// Sends `payload` framed as one message, queueing what the peer cannot take yet: 0, or -1
    /// when the connection is unknown or was closed for a failure or an overfull queue.
    int send(int sock_index, const std::string &payload);
    /// Bytes queued for the connection, not yet taken by its peer; -1 for an unknown index.
    int getQueued(int sock_index) const;
    /// Closes the connection, sends its CLOSE event, then drops it from the list: 0, or -1 out of range.
    int close(int sock_index);

private:
    NetworkManager();

    int listen(const std::string &port);
    int flush(int sock_index);
    int peekLength(int sock_index, int &length, const char *caller);
    bool peerGone(int sock_index) const;
    void append(int new_sock);

    int sock = -1;                    // listening socket; -1 when not a server
    std::vector<int> connections;     // accepted sockets; the index is an event's socket_index
    int max_sockets = 1;              // most connections held at once
    std::vector<std::string> pending; // per connection, framed bytes its peer has not taken yet
    int closes_in_progress = 0;       // calls of close() still delivering their CLOSE event
};

} // namespace qv
