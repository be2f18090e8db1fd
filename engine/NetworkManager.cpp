#include "NetworkManager.h"

#include "Config.h"
#include "Event.h"
#include "EventNetwork.h"
#include "LogManager.h"

#include <algorithm>
#include <arpa/inet.h>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <unistd.h>

namespace qv
{

namespace
{

const int LENGTH_BYTES = 4;   // size of the length field that opens every message, bytes
const int QUEUE_MESSAGES = 4; // a peer may lag this many largest messages behind before it is dropped
const int LISTEN_BACKLOG = 8; // connections the system holds until accepted

// The second line of every socket error report.
void writeError(int code)
{
    LogManager::getInstance().writeLog("\t%d - %s", code, strerror(code));
}

int setNonBlocking(int fd)
{
    const int flags = fcntl(fd, F_GETFL, 0);
    if (flags == -1)
        return -1;
    return fcntl(fd, F_SETFL, flags | O_NONBLOCK);
}

} // namespace

NetworkManager::NetworkManager()
{
    setType("NetworkManager");
}

NetworkManager &NetworkManager::getInstance()
{
    static NetworkManager network_manager;
    return network_manager;
}

bool NetworkManager::isValid(const std::string &event_name) const
{
    return event_name == NETWORK_EVENT || event_name == CUSTOM_NETWORK_EVENT || event_name == KEYBOARD_NETWORK_EVENT ||
           event_name == MOUSE_NETWORK_EVENT;
}

int NetworkManager::startUp()
{
    // POSIX sockets need no library start-up. A client that connected before start-up serves no
    // one: listening would take the port from the server it watches when both share a machine.
    const Config &config = Config::getInstance();
    if (config.getNetworking() && sock == -1 && connections.empty() && listen(config.getNetworkPort()) != 0)
        return 1;
    Manager::startUp();
    LogManager::getInstance().writeLog(5, "NetworkManager::startUp(): successfully started.");
    return 0;
}

void NetworkManager::shutDown()
{
    while (!connections.empty())
        close(0);
    // Left open, the port would stay taken until the process ends and a restart could not listen.
    if (sock != -1)
    {
        ::close(sock);
        sock = -1;
    }
    Manager::shutDown();
    LogManager::getInstance().writeLog(5, "NetworkManager::shutDown(): successfully stopped.");
}

int NetworkManager::listen(const std::string &port)
{
    LogManager &log = LogManager::getInstance();
    char *end = nullptr;
    const long number = strtol(port.c_str(), &end, 10);
    if (port.empty() || *end != '\0' || number < 0 || number > 65535)
    {
        log.writeLog("NetworkManager::startUp(): Error! Bad network port '%s'.", port.c_str());
        return -1;
    }
    const int new_sock = socket(AF_INET, SOCK_STREAM, 0);
    if (new_sock == -1)
    {
        const int code = errno;
        log.writeLog("NetworkManager::startUp(): Error! socket() returned:");
        writeError(code);
        return -1;
    }
    const int yes = 1;
    setsockopt(new_sock, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof(yes));
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_ANY);
    address.sin_port = htons(static_cast<uint16_t>(number));
    if (bind(new_sock, reinterpret_cast<sockaddr *>(&address), sizeof(address)) == -1)
    {
        const int code = errno;
        log.writeLog("NetworkManager::startUp(): Error! Cannot listen on port %s, bind() returned:", port.c_str());
        writeError(code);
        ::close(new_sock);
        return -1;
    }
    if (::listen(new_sock, LISTEN_BACKLOG) == -1 || setNonBlocking(new_sock) == -1)
    {
        const int code = errno;
        log.writeLog("NetworkManager::startUp(): Error! listen() returned:");
        writeError(code);
        ::close(new_sock);
        return -1;
    }
    sock = new_sock;
    log.writeLog(5, "NetworkManager::startUp(): listening on port %d.", getPort());
    return 0;
}

bool NetworkManager::isServer() const
{
    return sock != -1;
}

int NetworkManager::getPort() const
{
    if (sock == -1)
        return -1;
    sockaddr_in address{};
    socklen_t size = sizeof(address);
    if (getsockname(sock, reinterpret_cast<sockaddr *>(&address), &size) == -1)
        return -1;
    return ntohs(address.sin_port);
}

int NetworkManager::getNumConnections() const
{
    return static_cast<int>(connections.size());
}

int NetworkManager::setMaxSockets(int new_max_sockets)
{
    if (new_max_sockets < 0)
        return -1;
    max_sockets = new_max_sockets;
    return 0;
}

int NetworkManager::getMaxSockets() const
{
    return max_sockets;
}

void NetworkManager::append(int new_sock)
{
    connections.push_back(new_sock);
    pending.emplace_back();
}

int NetworkManager::accept()
{
    LogManager &log = LogManager::getInstance();
    if (sock == -1)
    {
        log.writeLog("NetworkManager::accept(): Error! Not setup as server.");
        return -2;
    }
    const int new_sock = ::accept(sock, nullptr, nullptr);
    if (new_sock == -1)
    {
        const int code = errno;
        if (code == EAGAIN || code == EWOULDBLOCK)
        {
            log.writeLog(15, "NetworkManager::accept(): No new connection. Not blocking.");
            return -1;
        }
        log.writeLog("NetworkManager::accept(): Error! accept() returned:");
        writeError(code);
        return -2;
    }
    if (getNumConnections() >= max_sockets)
    {
        log.writeLog(1, "NetworkManager::accept(): Warning! accept() connection, but at limit (%d).", max_sockets);
        log.writeLog(1, "\tUse NM.setMaxSockets() to change.");
        ::close(new_sock);
        return -1;
    }
    // Sending must never wait for a slow peer; what it cannot take is queued instead.
    setNonBlocking(new_sock);
    log.writeLog(1, "NetworkManager::accept(): New connection.");
    append(new_sock);
    const int index = getNumConnections() - 1;
    EventNetwork event(ACCEPT);
    event.setSocketIndex(index);
    event.setBytes(0);
    onEvent(&event);
    return index;
}

int NetworkManager::connect(const std::string &host, const std::string &port)
{
    LogManager &log = LogManager::getInstance();
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo *p_found = nullptr;
    const int looked_up = getaddrinfo(host.c_str(), port.c_str(), &hints, &p_found);
    if (looked_up != 0)
    {
        log.writeLog("NetworkManager::connect(): Error! Cannot find %s port %s: %s", host.c_str(), port.c_str(),
                     gai_strerror(looked_up));
        return -1;
    }
    int new_sock = -1;
    int code = 0;
    for (addrinfo *p = p_found; p != nullptr && new_sock == -1; p = p->ai_next)
    {
        new_sock = socket(p->ai_family, p->ai_socktype, p->ai_protocol);
        if (new_sock == -1)
        {
            code = errno;
            continue;
        }
        if (::connect(new_sock, p->ai_addr, p->ai_addrlen) == -1)
        {
            code = errno;
            ::close(new_sock);
            new_sock = -1;
        }
    }
    freeaddrinfo(p_found);
    if (new_sock == -1)
    {
        log.writeLog("NetworkManager::connect(): Error! connect() to %s port %s returned:", host.c_str(), port.c_str());
        writeError(code);
        return -1;
    }
    setNonBlocking(new_sock);
    log.writeLog(1, "NetworkManager::connect(): Connected to %s port %s.", host.c_str(), port.c_str());
    append(new_sock);
    return getNumConnections() - 1;
}

int NetworkManager::isData(int sock_index) const
{
    LogManager &log = LogManager::getInstance();
    if (sock_index < 0 || sock_index >= getNumConnections() || connections[sock_index] <= 0)
    {
        log.writeLog("NetworkManager::isData(): Error! Sock index %d not connected.", sock_index);
        return -1;
    }
    int waiting = 0;
    if (ioctl(connections[sock_index], FIONREAD, &waiting) == -1)
    {
        const int code = errno;
        log.writeLog("NetworkManager::isData(): Error! ioctl()/ioctlsocket() returned:");
        writeError(code);
        return -1;
    }
    return waiting;
}

int NetworkManager::peekLength(int sock_index, int &length, const char *caller)
{
    int32_t field = 0;
    const ssize_t got = recv(connections[sock_index], &field, LENGTH_BYTES, MSG_PEEK | MSG_DONTWAIT);
    if (got != LENGTH_BYTES)
    {
        // A short peek after the bytes were counted means the connection failed in between.
        const int code = got == -1 ? errno : ECONNRESET;
        LogManager::getInstance().writeLog("NetworkManager::%s(): Error! recv() returned:", caller);
        writeError(code);
        // A reset peer fails every later peek too; left open, it would be reported every pass.
        close(sock_index);
        return -1;
    }
    length = field;
    if (length < LENGTH_BYTES || length > Config::getInstance().getMaxMessageSize())
    {
        // Such a length could never be completed or would make the reader allocate without bound.
        LogManager::getInstance().writeLog(
            "NetworkManager::%s(): Error! Bad message length %d on connection %d; closing it.", caller, length,
            sock_index);
        close(sock_index);
        return -2;
    }
    return 0;
}

bool NetworkManager::peerGone(int sock_index) const
{
    pollfd watched{};
    watched.fd = connections[sock_index];
    watched.events = POLLIN | POLLRDHUP;
    if (poll(&watched, 1, 0) != 1)
        return false;
    return (watched.revents & (POLLRDHUP | POLLHUP | POLLERR)) != 0;
}

int NetworkManager::genDataEvents(int sock_index)
{
    if (sock_index < 0 || sock_index >= getNumConnections() || connections[sock_index] <= 0)
        return 0;
    if (flush(sock_index) != 0)
        return 0;
    int waiting = 0;
    const bool counted = ioctl(connections[sock_index], FIONREAD, &waiting) != -1;
    if (!counted)
    {
        const int code = errno;
        LogManager::getInstance().writeLog("NetworkManager::isData(): Error! ioctl()/ioctlsocket() returned:");
        writeError(code);
    }
    int length = 0;
    if (!counted || waiting >= LENGTH_BYTES)
    {
        const int peeked = peekLength(sock_index, length, "genDataEvents");
        if (peeked == -2)
            return 0;
        if (peeked == -1)
            return -1;
        waiting = isData(sock_index);
    }
    if (waiting < LENGTH_BYTES || waiting < length)
    {
        // Nothing more can arrive from a peer that is gone, so an unfinished message never completes.
        if (peerGone(sock_index))
        {
            LogManager::getInstance().writeLog(
                "NetworkManager::genDataEvents(): Peer of connection %d is gone (%d bytes unread); closing it.",
                sock_index, waiting < 0 ? 0 : waiting);
            close(sock_index);
        }
        return 0;
    }
    LogManager::getInstance().writeLog(15, "NetworkManager::genDataEvents(): have full message (%d bytes).", length);
    EventNetwork event(DATA);
    event.setSocketIndex(sock_index);
    event.setBytes(length);
    onEvent(&event);
    return 1;
}

int NetworkManager::receive(int sock_index, std::string &payload)
{
    const int waiting = isData(sock_index);
    if (waiting < LENGTH_BYTES)
        return waiting < 0 ? -1 : 0;
    int length = 0;
    if (peekLength(sock_index, length, "receive") != 0)
        return -1;
    if (waiting < length)
        return 0;
    std::string message(static_cast<size_t>(length), '\0');
    size_t taken = 0;
    while (taken < message.size())
    {
        const ssize_t got =
            recv(connections[sock_index], &message[taken], message.size() - taken, MSG_DONTWAIT | MSG_NOSIGNAL);
        if (got <= 0)
        {
            const int code = got == 0 ? ECONNRESET : errno;
            LogManager::getInstance().writeLog("NetworkManager::receive(): Error! recv() returned:");
            writeError(code);
            return -1;
        }
        taken += static_cast<size_t>(got);
    }
    payload.assign(message, LENGTH_BYTES, std::string::npos);
    return length;
}

int NetworkManager::flush(int sock_index)
{
    std::string &queue = pending[sock_index];
    size_t sent = 0;
    while (sent < queue.size())
    {
        const ssize_t wrote =
            ::send(connections[sock_index], queue.data() + sent, queue.size() - sent, MSG_NOSIGNAL | MSG_DONTWAIT);
        if (wrote == -1)
        {
            const int code = errno;
            if (code == EAGAIN || code == EWOULDBLOCK)
                break;
            if (code == EINTR)
                continue;
            LogManager::getInstance().writeLog("NetworkManager::send(): Error! send() returned:");
            writeError(code);
            close(sock_index);
            return -1;
        }
        sent += static_cast<size_t>(wrote);
    }
    queue.erase(0, sent);
    return 0;
}

int NetworkManager::send(int sock_index, const std::string &payload)
{
    LogManager &log = LogManager::getInstance();
    if (sock_index < 0 || sock_index >= getNumConnections() || connections[sock_index] <= 0)
    {
        log.writeLog("NetworkManager::send(): Error! Sock index %d not connected.", sock_index);
        return -1;
    }
    const int max_message_size = Config::getInstance().getMaxMessageSize();
    if (max_message_size < LENGTH_BYTES || payload.size() > static_cast<size_t>(max_message_size - LENGTH_BYTES))
    {
        log.writeLog("NetworkManager::send(): Error! Message of %zu bytes is above the limit (%d).",
                     payload.size() + LENGTH_BYTES, max_message_size);
        return -1;
    }
    const int32_t length = static_cast<int32_t>(payload.size()) + LENGTH_BYTES;
    std::string &queue = pending[sock_index];
    queue.append(reinterpret_cast<const char *>(&length), LENGTH_BYTES);
    queue.append(payload);
    if (flush(sock_index) != 0)
        return -1;
    const size_t bound = static_cast<size_t>(max_message_size) * QUEUE_MESSAGES;
    if (queue.size() > bound)
    {
        log.writeLog("NetworkManager::send(): Error! Peer of connection %d is not reading (%zu bytes queued, limit "
                     "%zu); closing it.",
                     sock_index, queue.size(), bound);
        close(sock_index);
        return -1;
    }
    return 0;
}

int NetworkManager::getQueued(int sock_index) const
{
    if (sock_index < 0 || sock_index >= getNumConnections())
        return -1;
    return static_cast<int>(pending[sock_index].size());
}

int NetworkManager::close(int sock_index)
{
    LogManager &log = LogManager::getInstance();
    if (sock_index < 0 || sock_index >= getNumConnections())
    {
        log.writeLog("NetworkManager::close(): sock_index (%d) out of range.", sock_index);
        return -1;
    }
    // A CLOSE handler that closes the same connection again must not close or remove another.
    if (connections[sock_index] < 0)
        return 0;
    if (::close(connections[sock_index]) == -1)
    {
        const int code = errno;
        log.writeLog("NetworkManager::close(): Error! close() returned:");
        writeError(code);
    }
    // A mark of its own per close in progress: a CLOSE handler may close an earlier connection,
    // which moves this one down, and the entry must be found again afterwards.
    const int mark = -1 - ++closes_in_progress;
    connections[sock_index] = mark;
    EventNetwork event(CLOSE);
    event.setSocketIndex(sock_index);
    event.setBytes(0);
    onEvent(&event);
    closes_in_progress--;
    const auto entry = std::find(connections.begin(), connections.end(), mark);
    pending.erase(pending.begin() + (entry - connections.begin()));
    connections.erase(entry);
    return 0;
}

} // namespace qv
