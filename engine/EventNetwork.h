#pragma once

#include "Event.h"

namespace qv
{

/// What a network event announces.
enum NetworkEventLabel
{
    UNDEFINED_NETWORK_LABEL = -1,
    ACCEPT = 0, // a connection was accepted; 1 is valid too, but nothing sends it
    CLOSE = 2,  // a connection was closed
    DATA = 3,   // a complete message is waiting
};

/// Sent by the network manager about one of its connections.
class EventNetwork : public Event
{
public:
    /// An event with the given label; a label outside -1..3 is logged and stored as -1.
    explicit EventNetwork(int init_label = UNDEFINED_NETWORK_LABEL);

    /// Sets the label, a `NetworkEventLabel` value; others are logged and stored as -1.
    void setLabel(int new_label);
    /// The label, a `NetworkEventLabel` value.
    int getLabel() const;
    /// Sets the index of the connection in the network manager's list.
    void setSocketIndex(int new_socket_index);
    /// Index of the connection in the network manager's list; -1 when unset.
    int getSocketIndex() const;
    /// Sets the size of the waiting message, in bytes.
    void setBytes(int new_bytes);
    /// Size of the waiting message, in bytes.
    int getBytes() const;

private:
    int label = UNDEFINED_NETWORK_LABEL; // a NetworkEventLabel
    int socket_index = -1;               // connection index
    int bytes = 0;                       // size of the waiting message, bytes
};

} // namespace qv
