#pragma once

#include "Manager.h"

#include <vector>

namespace qv
{

/// The server side of TCP connections carrying length-prefixed messages. Started and polled by
/// the game manager only with `networking:true`; each pass it announces accepted connections,
/// closes and complete messages as "qv-network" events to the objects registered with it.
class NetworkManager : public Manager
{
public:
    static NetworkManager &getInstance();

    /// Accepts "qv-network", "qv-custom-network", "qv-keyboard-network" and "qv-mouse-network".
    bool isValid(const std::string &event_name) const override;
    /// 0, or 1 on failure.
    int startUp() override;
    /// Closes every connection, each with its CLOSE event.
    void shutDown() override;

    /// Is there a listening socket?
    bool isServer() const;
    /// Connections held.
    int getNumConnections() const;
    /// Accepts one pending connection: its index, -1 when none was accepted, -2 on error.
    int accept();
    /// Sends a DATA event when a complete message waits on the connection: 1 if sent, 0 if not,
    /// -1 on a receive error.
    int genDataEvents(int sock_index);

private:
    NetworkManager();

    int sock = -1;                 // listening socket; -1 when not a server
    std::vector<int> connections;  // accepted sockets; the index is an event's socket_index
    int max_sockets = 1;           // most connections held at once
};

} // namespace qv
