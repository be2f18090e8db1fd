#include "Config.h"
#include "EventNetwork.h"
#include "GameManager.h"
#include "LogManager.h"
#include "NetworkManager.h"
#include "WorldManager.h"
#include "test_support.h"

#include <arpa/inet.h>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <netinet/in.h>
#include <string>
#include <sys/socket.h>
#include <unistd.h>
#include <vector>

namespace
{

struct Seen
{
    int label;
    int index;
    int bytes;
    bool operator==(const Seen &other) const
    {
        return label == other.label && index == other.index && bytes == other.bytes;
    }
};

std::ostream &operator<<(std::ostream &out, const Seen &seen)
{
    return out << "{" << seen.label << ", " << seen.index << ", " << seen.bytes << "}";
}

std::string frame(int32_t length, const std::string &body)
{
    return std::string(reinterpret_cast<const char *>(&length), 4) + body;
}

// The engine acts as the server on a port the system picks; the test is every peer.
class NetworkTest : public EngineTest
{
protected:
    void SetUp() override
    {
        EngineTest::SetUp();
        start("networking:true,network_port:0,max_message_size:1000,");
    }

    void TearDown() override
    {
        for (int peer : peers)
            if (peer != -1)
                ::close(peer);
        nm.shutDown();
        qv::WorldManager::getInstance().shutDown();
        qv::LogManager::getInstance().shutDown();
        EngineTest::TearDown();
    }

    void start(const std::string &config)
    {
        writeConfig(config);
        qv::Config::getInstance().loadConfig("");
        ASSERT_EQ(qv::LogManager::getInstance().startUp(), 0);
        ASSERT_EQ(qv::WorldManager::getInstance().startUp(), 0);
        ASSERT_EQ(nm.startUp(), 0);
        ASSERT_TRUE(nm.isServer());
        p_recorder = new RecordingObject;
        p_recorder->registerInterest(qv::NETWORK_EVENT);
        p_recorder->on_event = [this](const qv::Event *p_event)
        {
            const auto *p_network = static_cast<const qv::EventNetwork *>(p_event);
            seen.push_back({p_network->getLabel(), p_network->getSocketIndex(), p_network->getBytes()});
        };
    }

    // A peer connected to the engine's port; -1 on failure.
    int connectPeer()
    {
        const int peer = socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        address.sin_port = htons(static_cast<uint16_t>(nm.getPort()));
        if (::connect(peer, reinterpret_cast<sockaddr *>(&address), sizeof(address)) == -1)
        {
            ::close(peer);
            return -1;
        }
        peers.push_back(peer);
        return peer;
    }

    // Connects a peer and lets the engine accept it, as the loop would over its next passes.
    int acceptPeer(int &index)
    {
        const int peer = connectPeer();
        index = -1;
        for (int tries = 0; tries < 2000 && index == -1; tries++)
        {
            index = nm.accept();
            if (index == -1)
                usleep(1000);
        }
        return peer;
    }

    static void sendAll(int peer, const std::string &bytes)
    {
        ASSERT_EQ(::send(peer, bytes.data(), bytes.size(), MSG_NOSIGNAL), static_cast<ssize_t>(bytes.size()));
    }

    // Waits until the connection holds `bytes` bytes, as loopback delivers them a moment after sending.
    bool waitFor(int index, int bytes) const
    {
        for (int tries = 0; tries < 2000; tries++)
        {
            if (nm.isData(index) >= bytes)
                return true;
            usleep(1000);
        }
        return false;
    }

    // Calls genDataEvents until it closes the connection or gives up.
    bool waitForClose(int index)
    {
        const int before = nm.getNumConnections();
        for (int tries = 0; tries < 2000 && nm.getNumConnections() == before; tries++)
        {
            nm.genDataEvents(index);
            if (nm.getNumConnections() == before)
                usleep(1000);
        }
        return nm.getNumConnections() < before;
    }

    qv::NetworkManager &nm = qv::NetworkManager::getInstance();
    RecordingObject *p_recorder = nullptr;
    std::vector<Seen> seen;
    std::vector<int> peers;
};

TEST_F(NetworkTest, AcceptsOneConnectionWithItsEvent)
{
    int index = -2;
    ASSERT_NE(acceptPeer(index), -1);
    EXPECT_EQ(index, 0);
    EXPECT_EQ(nm.getNumConnections(), 1);
    EXPECT_EQ(seen, (std::vector<Seen>{{qv::ACCEPT, 0, 0}}));
    EXPECT_EQ(nm.accept(), -1);
}

TEST_F(NetworkTest, ASecondConnectionAtTheLimitIsRefusedWithTwoLines)
{
    qv::LogManager::getInstance().setLogLevel(1);
    int index = -2;
    acceptPeer(index);
    ASSERT_EQ(index, 0);
    const int second = connectPeer();
    ASSERT_NE(second, -1);
    int refused = -2;
    for (int tries = 0; tries < 2000 && !logHas("\tUse NM.setMaxSockets() to change."); tries++)
    {
        refused = nm.accept();
        usleep(1000);
    }
    EXPECT_EQ(refused, -1);
    EXPECT_TRUE(
        containsInOrder(logMessages(), {"NetworkManager::accept(): Warning! accept() connection, but at limit (1).",
                                        "\tUse NM.setMaxSockets() to change."}));
    EXPECT_EQ(nm.getNumConnections(), 1);
    char byte = 0;
    EXPECT_EQ(recv(second, &byte, 1, 0), 0) << "the refused peer is closed";

    EXPECT_EQ(nm.setMaxSockets(-1), -1);
    ASSERT_EQ(nm.setMaxSockets(2), 0);
    acceptPeer(index);
    EXPECT_EQ(index, 1);
}

TEST_F(NetworkTest, AnnouncesAMessageOnlyWhenComplete)
{
    int index = -1;
    const int peer = acceptPeer(index);
    ASSERT_EQ(index, 0);
    seen.clear();

    const std::string message = frame(10, "xxxxxy");
    sendAll(peer, message.substr(0, 3));
    ASSERT_TRUE(waitFor(0, 3));
    EXPECT_EQ(nm.genDataEvents(0), 0) << "3 bytes";

    sendAll(peer, message.substr(3, 6));
    ASSERT_TRUE(waitFor(0, 9));
    EXPECT_EQ(nm.isData(0), 9);
    EXPECT_EQ(nm.genDataEvents(0), 0) << "length 10 with 9 bytes";
    EXPECT_TRUE(seen.empty());

    sendAll(peer, message.substr(9));
    ASSERT_TRUE(waitFor(0, 10));
    EXPECT_EQ(nm.genDataEvents(0), 1);
    EXPECT_EQ(seen, (std::vector<Seen>{{qv::DATA, 0, 10}}));
    // Nothing is taken off by the announcement itself.
    EXPECT_EQ(nm.genDataEvents(0), 1);
    EXPECT_EQ(seen.size(), 2u);

    std::string payload;
    EXPECT_EQ(nm.receive(0, payload), 10);
    EXPECT_EQ(payload, "xxxxxy");
    EXPECT_EQ(nm.isData(0), 0);
    EXPECT_EQ(nm.genDataEvents(0), 0);
    EXPECT_EQ(nm.receive(0, payload), 0);
}

TEST_F(NetworkTest, ReassemblesMessagesSplitAcrossManySends)
{
    int index = -1;
    const int peer = acceptPeer(index);
    ASSERT_EQ(index, 0);
    const std::string body = "a message sent a byte at a time";
    const std::string bytes = frame(static_cast<int32_t>(body.size() + 4), body);
    std::string payload;
    for (size_t i = 0; i + 1 < bytes.size(); i++)
    {
        sendAll(peer, bytes.substr(i, 1));
        ASSERT_TRUE(waitFor(0, static_cast<int>(i + 1)));
        ASSERT_EQ(nm.genDataEvents(0), 0) << "after byte " << i;
        ASSERT_EQ(nm.receive(0, payload), 0);
    }
    sendAll(peer, bytes.substr(bytes.size() - 1));
    ASSERT_TRUE(waitFor(0, static_cast<int>(bytes.size())));
    EXPECT_EQ(nm.genDataEvents(0), 1);
    EXPECT_EQ(nm.receive(0, payload), static_cast<int>(bytes.size()));
    EXPECT_EQ(payload, body);
}

TEST_F(NetworkTest, SeparatesManyMessagesSentAtOnce)
{
    int index = -1;
    const int peer = acceptPeer(index);
    ASSERT_EQ(index, 0);
    const std::vector<std::string> bodies = {"", "one", std::string(500, 'b'), "three"};
    std::string bytes;
    for (const std::string &body : bodies)
        bytes += frame(static_cast<int32_t>(body.size() + 4), body);
    sendAll(peer, bytes);
    ASSERT_TRUE(waitFor(0, static_cast<int>(bytes.size())));
    seen.clear();
    for (const std::string &body : bodies)
    {
        ASSERT_EQ(nm.genDataEvents(0), 1);
        EXPECT_EQ(seen.back(), (Seen{qv::DATA, 0, static_cast<int>(body.size() + 4)}));
        std::string payload = "stale";
        EXPECT_EQ(nm.receive(0, payload), static_cast<int>(body.size() + 4));
        EXPECT_EQ(payload, body);
    }
    EXPECT_EQ(nm.genDataEvents(0), 0);
    EXPECT_EQ(seen.size(), bodies.size());
}

TEST_F(NetworkTest, ClosesOutOfRangeIndicesWithAMessage)
{
    int index = -1;
    acceptPeer(index);
    ASSERT_EQ(index, 0);
    const int indices[] = {5, 1, -1};
    for (int bad : indices)
    {
        EXPECT_EQ(nm.close(bad), -1);
        EXPECT_TRUE(logHas("NetworkManager::close(): sock_index (" + std::to_string(bad) + ") out of range."));
        EXPECT_EQ(nm.isData(bad), -1);
        EXPECT_TRUE(logHas("NetworkManager::isData(): Error! Sock index " + std::to_string(bad) + " not connected."));
        EXPECT_EQ(nm.genDataEvents(bad), 0);
        EXPECT_EQ(nm.send(bad, "x"), -1);
    }
    EXPECT_EQ(nm.getNumConnections(), 1);
}

TEST_F(NetworkTest, ShutDownClosesEveryConnectionAtIndexZero)
{
    ASSERT_EQ(nm.setMaxSockets(2), 0);
    int first = -1;
    int second = -1;
    const int peer_a = acceptPeer(first);
    const int peer_b = acceptPeer(second);
    ASSERT_EQ(first, 0);
    ASSERT_EQ(second, 1);
    seen.clear();
    nm.shutDown();
    EXPECT_EQ(seen, (std::vector<Seen>{{qv::CLOSE, 0, 0}, {qv::CLOSE, 0, 0}}));
    EXPECT_EQ(nm.getNumConnections(), 0);
    EXPECT_FALSE(nm.isServer());
    char byte = 0;
    EXPECT_EQ(recv(peer_a, &byte, 1, 0), 0);
    EXPECT_EQ(recv(peer_b, &byte, 1, 0), 0);
}

TEST_F(NetworkTest, ClosingMovesLaterConnectionsDown)
{
    ASSERT_EQ(nm.setMaxSockets(3), 0);
    int index = -1;
    acceptPeer(index);
    acceptPeer(index);
    const int third = acceptPeer(index);
    ASSERT_EQ(index, 2);
    seen.clear();
    EXPECT_EQ(nm.close(1), 0);
    EXPECT_EQ(seen, (std::vector<Seen>{{qv::CLOSE, 1, 0}}));
    ASSERT_EQ(nm.getNumConnections(), 2);
    sendAll(third, frame(6, "hi"));
    ASSERT_TRUE(waitFor(1, 6));
    EXPECT_EQ(nm.genDataEvents(1), 1);
    EXPECT_EQ(seen.back(), (Seen{qv::DATA, 1, 6}));
}

TEST_F(NetworkTest, ClosesAPeerThatSendsALengthNoMessageCanHave)
{
    struct Case
    {
        int32_t length;
        const char *line;
    };
    const Case cases[] = {
        {0, "NetworkManager::genDataEvents(): Error! Bad message length 0 on connection 1; closing it."},
        {-5, "NetworkManager::genDataEvents(): Error! Bad message length -5 on connection 1; closing it."},
        {3, "NetworkManager::genDataEvents(): Error! Bad message length 3 on connection 1; closing it."},
        {1001, "NetworkManager::genDataEvents(): Error! Bad message length 1001 on connection 1; closing it."},
        {2147483647,
         "NetworkManager::genDataEvents(): Error! Bad message length 2147483647 on connection 1; closing it."},
    };
    ASSERT_EQ(nm.setMaxSockets(2), 0);
    int good_index = -1;
    const int good = acceptPeer(good_index);
    ASSERT_EQ(good_index, 0);
    for (const Case &c : cases)
    {
        int index = -1;
        const int peer = acceptPeer(index);
        ASSERT_EQ(index, 1) << c.length;
        sendAll(peer, frame(c.length, "abcdef"));
        ASSERT_TRUE(waitFor(1, 10)) << c.length;
        seen.clear();
        EXPECT_EQ(nm.genDataEvents(1), 0) << c.length;
        EXPECT_TRUE(logHas(c.line)) << c.length;
        EXPECT_EQ(seen, (std::vector<Seen>{{qv::CLOSE, 1, 0}})) << c.length;
        EXPECT_EQ(nm.getNumConnections(), 1) << c.length;
        char byte = 0;
        EXPECT_LE(recv(peer, &byte, 1, 0), 0) << c.length;
    }
    // The well-behaved peer is still served.
    sendAll(good, frame(1000, std::string(996, 'g')));
    ASSERT_TRUE(waitFor(0, 1000));
    EXPECT_EQ(nm.genDataEvents(0), 1);
    std::string payload;
    EXPECT_EQ(nm.receive(0, payload), 1000);
    EXPECT_EQ(payload, std::string(996, 'g'));
}

TEST_F(NetworkTest, APeerThatLeavesIsClosedOnTheNextPass)
{
    struct Case
    {
        const char *name;
        std::string sent; // what the peer sent before leaving
        bool reset;       // leave with a reset rather than an orderly close
        int unread;       // bytes the close message reports
    };
    const Case cases[] = {
        {"orderly, nothing sent", "", false, 0},
        {"mid-length", std::string(2, '\x10'), false, 2},
        {"mid-message", frame(20, "only part"), false, 13},
        {"reset mid-message", frame(20, "only part"), true, -1}, // the system may drop the unread bytes
    };
    for (const Case &c : cases)
    {
        int index = -1;
        const int peer = acceptPeer(index);
        ASSERT_EQ(index, 0) << c.name;
        if (!c.sent.empty())
        {
            sendAll(peer, c.sent);
            ASSERT_TRUE(waitFor(0, static_cast<int>(c.sent.size()))) << c.name;
        }
        if (c.reset)
        {
            const linger hard{1, 0};
            setsockopt(peer, SOL_SOCKET, SO_LINGER, &hard, sizeof(hard));
        }
        ::close(peer);
        peers.back() = -1;
        seen.clear();
        ASSERT_TRUE(waitForClose(0)) << c.name;
        EXPECT_EQ(seen, (std::vector<Seen>{{qv::CLOSE, 0, 0}})) << c.name;
        if (c.unread >= 0)
        {
            EXPECT_TRUE(logHas("NetworkManager::genDataEvents(): Peer of connection 0 is gone (" +
                               std::to_string(c.unread) + " bytes unread); closing it."))
                << c.name;
        }
    }
}

TEST_F(NetworkTest, CompleteMessagesFromALeavingPeerAreStillAnnounced)
{
    int index = -1;
    const int peer = acceptPeer(index);
    ASSERT_EQ(index, 0);
    sendAll(peer, frame(8, "last"));
    ::close(peer);
    peers.back() = -1;
    ASSERT_TRUE(waitFor(0, 8));
    seen.clear();
    EXPECT_EQ(nm.genDataEvents(0), 1);
    std::string payload;
    EXPECT_EQ(nm.receive(0, payload), 8);
    EXPECT_EQ(payload, "last");
    ASSERT_TRUE(waitForClose(0));
    EXPECT_EQ(seen, (std::vector<Seen>{{qv::DATA, 0, 8}, {qv::CLOSE, 0, 0}}));
}

TEST_F(NetworkTest, SendsWholeFramedMessages)
{
    int index = -1;
    const int peer = acceptPeer(index);
    ASSERT_EQ(index, 0);
    ASSERT_EQ(nm.send(0, "hello"), 0);
    ASSERT_EQ(nm.send(0, ""), 0);
    const std::string expected = frame(9, "hello") + frame(4, "");
    std::string got;
    char buffer[64];
    for (int tries = 0; tries < 100 && got.size() < expected.size(); tries++)
    {
        const ssize_t n = recv(peer, buffer, sizeof(buffer), 0);
        ASSERT_GT(n, 0);
        got.append(buffer, static_cast<size_t>(n));
    }
    EXPECT_EQ(got, expected);
    EXPECT_EQ(nm.getQueued(0), 0);
    EXPECT_EQ(nm.send(0, std::string(997, 'z')), -1) << "one byte over the largest message";
    EXPECT_TRUE(logHas("NetworkManager::send(): Error! Message of 1001 bytes is above the limit (1000)."));
    EXPECT_EQ(nm.getNumConnections(), 1);
}

TEST_F(NetworkTest, APeerThatNeverReadsIsClosedOnceItsQueueIsFull)
{
    int index = -1;
    acceptPeer(index);
    ASSERT_EQ(index, 0);
    const std::string body(996, 'q');
    int sent = 0;
    bool queued = false;
    int result = 0;
    // Loopback buffers take some megabytes before the queue starts to grow.
    for (; sent < 100000 && result == 0; sent++)
    {
        result = nm.send(0, body);
        if (result == 0 && nm.getQueued(0) > 0)
            queued = true;
    }
    EXPECT_TRUE(queued);
    EXPECT_EQ(result, -1);
    EXPECT_EQ(nm.getNumConnections(), 0);
    EXPECT_EQ(seen.back(), (Seen{qv::CLOSE, 0, 0}));
    const std::string start = "NetworkManager::send(): Error! Peer of connection 0 is not reading (";
    const std::string end = " bytes queued, limit 4000); closing it.";
    int reports = 0;
    for (const std::string &message : logMessages())
    {
        if (message.compare(0, start.size(), start) != 0 || message.size() < start.size() + end.size() ||
            message.compare(message.size() - end.size(), end.size(), end) != 0)
            continue;
        reports++;
        const int queued_bytes = std::stoi(message.substr(start.size()));
        EXPECT_GT(queued_bytes, 4000);
        EXPECT_LE(queued_bytes, 5000);
    }
    EXPECT_EQ(reports, 1);
}

TEST_F(NetworkTest, WritingToAPeerThatLeftClosesItWithoutASignal)
{
    int index = -1;
    const int peer = acceptPeer(index);
    ASSERT_EQ(index, 0);
    const linger hard{1, 0};
    setsockopt(peer, SOL_SOCKET, SO_LINGER, &hard, sizeof(hard));
    ::close(peer);
    peers.back() = -1;
    int result = 0;
    for (int tries = 0; tries < 2000 && result == 0; tries++)
    {
        result = nm.send(0, "anyone there?");
        if (result == 0)
            usleep(1000);
    }
    EXPECT_EQ(result, -1);
    EXPECT_TRUE(logHas("NetworkManager::send(): Error! send() returned:"));
    EXPECT_EQ(nm.getNumConnections(), 0);
    EXPECT_EQ(seen.back(), (Seen{qv::CLOSE, 0, 0}));
}

TEST_F(NetworkTest, ConnectsAsAClientToAServer)
{
    int index = nm.connect("127.0.0.1", std::to_string(nm.getPort()));
    ASSERT_EQ(index, 0) << "the client's own connection";
    int accepted = -1;
    ASSERT_EQ(nm.setMaxSockets(2), 0);
    for (int tries = 0; tries < 2000 && accepted == -1; tries++)
    {
        accepted = nm.accept();
        if (accepted == -1)
            usleep(1000);
    }
    ASSERT_EQ(accepted, 1);
    ASSERT_EQ(nm.send(0, "from the client"), 0);
    ASSERT_TRUE(waitFor(1, 19));
    std::string payload;
    EXPECT_EQ(nm.receive(1, payload), 19);
    EXPECT_EQ(payload, "from the client");
    ASSERT_EQ(nm.send(1, "and back"), 0);
    ASSERT_TRUE(waitFor(0, 12));
    EXPECT_EQ(nm.receive(0, payload), 12);
    EXPECT_EQ(payload, "and back");

    EXPECT_EQ(nm.connect("127.0.0.1", "0"), -1);
    EXPECT_TRUE(logHas("NetworkManager::connect(): Error! connect() to 127.0.0.1 port 0 returned:"));
}

using NetworkStartTest = EngineTest;

TEST_F(NetworkStartTest, APortInUseFailsTheStartWithTwoLines)
{
    const int taken = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_ANY);
    ASSERT_EQ(bind(taken, reinterpret_cast<sockaddr *>(&address), sizeof(address)), 0);
    ASSERT_EQ(::listen(taken, 1), 0);
    socklen_t size = sizeof(address);
    getsockname(taken, reinterpret_cast<sockaddr *>(&address), &size);
    const int port = ntohs(address.sin_port);

    writeConfig("networking:true,network_port:" + std::to_string(port) + ",");
    qv::Config::getInstance().loadConfig("");
    ASSERT_EQ(qv::LogManager::getInstance().startUp(), 0);
    qv::NetworkManager &nm = qv::NetworkManager::getInstance();
    EXPECT_EQ(nm.startUp(), 1);
    EXPECT_FALSE(nm.isStarted());
    EXPECT_FALSE(nm.isServer());
    const std::string line =
        "NetworkManager::startUp(): Error! Cannot listen on port " + std::to_string(port) + ", bind() returned:";
    EXPECT_TRUE(
        containsInOrder(logMessages(), {line, "\t" + std::to_string(EADDRINUSE) + " - " + strerror(EADDRINUSE)}));
    ::close(taken);
    qv::LogManager::getInstance().shutDown();
}

TEST_F(NetworkStartTest, TheGameManagerReportsAListeningFailure)
{
    const int taken = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    ASSERT_EQ(bind(taken, reinterpret_cast<sockaddr *>(&address), sizeof(address)), 0);
    ASSERT_EQ(::listen(taken, 1), 0);
    socklen_t size = sizeof(address);
    getsockname(taken, reinterpret_cast<sockaddr *>(&address), &size);
    writeConfig("headless:true,\nrandom_seed:-1,\nnetworking:true,\nnetwork_port:" +
                std::to_string(ntohs(address.sin_port)) + ",\n");
    qv::GameManager &game_manager = qv::GameManager::getInstance();
    EXPECT_EQ(game_manager.startUp(), -1);
    EXPECT_TRUE(logHas("Error starting network manager!"));
    EXPECT_FALSE(qv::NetworkManager::getInstance().isStarted());
    game_manager.shutDown();
    ::close(taken);
}

TEST_F(NetworkTest, AReceiveThatMeetsABadLengthClosesTheConnection)
{
    int index = -1;
    const int peer = acceptPeer(index);
    ASSERT_EQ(index, 0);
    sendAll(peer, frame(-5, "zzzz"));
    ASSERT_TRUE(waitFor(0, 8));
    std::string payload = "untouched";
    EXPECT_EQ(nm.receive(0, payload), -1);
    EXPECT_EQ(payload, "untouched");
    EXPECT_TRUE(logHas("NetworkManager::receive(): Error! Bad message length -5 on connection 0; closing it."));
    EXPECT_EQ(nm.getNumConnections(), 0);
}

TEST_F(NetworkStartTest, TheGameLoopAcceptsAndAnnouncesAMessage)
{
    writeConfig("headless:true,\nframe_time:1,\nrandom_seed:-1,\nnetworking:true,\nnetwork_port:0,\n");
    qv::GameManager &game_manager = qv::GameManager::getInstance();
    ASSERT_EQ(game_manager.startUp(), 0);
    qv::NetworkManager &nm = qv::NetworkManager::getInstance();
    const int peer = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(static_cast<uint16_t>(nm.getPort()));
    ASSERT_EQ(::connect(peer, reinterpret_cast<sockaddr *>(&address), sizeof(address)), 0);
    const std::string message = frame(9, "hello");
    ASSERT_EQ(::send(peer, message.data(), message.size(), MSG_NOSIGNAL), 9);

    std::vector<Seen> seen;
    std::string payload;
    RecordingObject *p_listener = new RecordingObject;
    p_listener->registerInterest(qv::NETWORK_EVENT);
    p_listener->registerInterest(qv::STEP_EVENT);
    p_listener->on_event = [&](const qv::Event *p_event)
    {
        if (p_event->getType() == qv::STEP_EVENT)
        {
            if (game_manager.getStepCount() >= 2000)
                game_manager.setGameOver(true);
            return;
        }
        const auto *p_network = static_cast<const qv::EventNetwork *>(p_event);
        seen.push_back({p_network->getLabel(), p_network->getSocketIndex(), p_network->getBytes()});
        if (p_network->getLabel() == qv::DATA)
        {
            nm.receive(p_network->getSocketIndex(), payload);
            game_manager.setGameOver(true);
        }
    };
    game_manager.run();
    EXPECT_EQ(seen, (std::vector<Seen>{{qv::ACCEPT, 0, 0}, {qv::DATA, 0, 9}}));
    EXPECT_EQ(payload, "hello");
    EXPECT_FALSE(logHas("GameManager::run(): Warning! Residual network data."));
    // The world manager has deleted the listener by the time the connection is closed.
    game_manager.shutDown();
    EXPECT_EQ(seen.size(), 2u);
    EXPECT_EQ(nm.getNumConnections(), 0);
    char byte = 0;
    EXPECT_EQ(recv(peer, &byte, 1, 0), 0);
    ::close(peer);
}

TEST_F(NetworkStartTest, ABadPortFailsTheStart)
{
    writeConfig("networking:true,network_port:http,");
    qv::Config::getInstance().loadConfig("");
    ASSERT_EQ(qv::LogManager::getInstance().startUp(), 0);
    EXPECT_EQ(qv::NetworkManager::getInstance().startUp(), 1);
    EXPECT_TRUE(logHas("NetworkManager::startUp(): Error! Bad network port 'http'."));
    qv::LogManager::getInstance().shutDown();
}

TEST_F(NetworkStartTest, WithoutNetworkingNothingListens)
{
    ASSERT_EQ(qv::LogManager::getInstance().startUp(), 0);
    qv::NetworkManager &nm = qv::NetworkManager::getInstance();
    EXPECT_EQ(nm.startUp(), 0);
    EXPECT_FALSE(nm.isServer());
    EXPECT_EQ(nm.getPort(), -1);
    EXPECT_EQ(nm.accept(), -2);
    EXPECT_TRUE(logHas("NetworkManager::accept(): Error! Not setup as server."));
    nm.shutDown();
    qv::LogManager::getInstance().shutDown();
}

} // namespace
