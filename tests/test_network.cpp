#include "EventNetwork.h"
#include "GameManager.h"
#include "LogManager.h"
#include "NetworkManager.h"
#include "test_support.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <deque>
#include <map>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <random>
#include <sys/resource.h>
#include <sys/socket.h>
#include <tuple>
#include <unistd.h>

namespace
{

using Seen = std::tuple<int, int, int>; // an event's label, socket index and bytes

// The whole engine runs headless as the server and the test is every peer. The test's handler takes
// each announced message off its connection, as a game would, unless `reading` is off.
class NetworkTest : public EngineTest
{
protected:
    void SetUp() override
    {
        EngineTest::SetUp();
        writeConfig("headless:true,frame_time:1,networking:true,network_port:0,max_message_size:1000,");
        ASSERT_EQ(game.startUp(), 0);
        auto *p_listener = new RecordingObject;
        p_listener->registerInterest(qv::NETWORK_EVENT);
        p_listener->registerInterest(qv::STEP_EVENT);
        p_listener->on_event = [this](const qv::Event *p_event)
        {
            const auto *p_network = dynamic_cast<const qv::EventNetwork *>(p_event);
            if (p_network == nullptr)
                return game.setGameOver(until() || game.getStepCount() >= 20000);
            const int index = p_network->getSocketIndex();
            seen.emplace_back(p_network->getLabel(), index, p_network->getBytes());
            counts[p_network->getLabel()]++;
            std::string payload;
            if (p_network->getLabel() == qv::DATA && reading && nm.receive(index, payload) > 0)
                messages[index].push_back(payload);
        };
    }

    // Peers are left open: the test's process ends with the test.
    void TearDown() override
    {
        game.shutDown();
        EngineTest::TearDown();
    }

    // Runs the game loop until `finished` says so, asking it at the start of every pass and once after.
    bool passUntil(const std::function<bool()> &finished)
    {
        until = finished;
        game.run();
        return finished();
    }

    static std::string frame(int32_t n, std::string body) { return body.insert(0, reinterpret_cast<char *>(&n), 4); }
    static std::string message(const std::string &body) { return frame(static_cast<int32_t>(body.size() + 4), body); }

    // A new peer, once the game has accepted it as its last connection unless `accepted` is off.
    int connectPeer(bool accepted = true)
    {
        const int before = nm.getNumConnections();
        const int peer = socket(AF_INET, SOCK_STREAM, 0);
        const sockaddr_in address{AF_INET, htons(static_cast<uint16_t>(nm.getPort())), {htonl(INADDR_LOOPBACK)}, {}};
        EXPECT_EQ(::connect(peer, reinterpret_cast<const sockaddr *>(&address), sizeof(address)), 0);
        // Each small send is to travel on its own, not wait to be gathered up with the next.
        const int yes = 1;
        setsockopt(peer, IPPROTO_TCP, TCP_NODELAY, &yes, sizeof(yes));
        EXPECT_TRUE(!accepted || passUntil([&] { return nm.getNumConnections() > before; }));
        return peer;
    }

    static void leave(int peer, bool reset)
    {
        const linger hard{reset, 0};
        setsockopt(peer, SOL_SOCKET, SO_LINGER, &hard, sizeof(hard));
        ::close(peer);
    }

    static void sendAll(int peer, const std::string &b)
    {
        ASSERT_EQ(::send(peer, b.data(), b.size(), MSG_NOSIGNAL), static_cast<ssize_t>(b.size()));
    }

    // Bytes of the connection that reached the game: the messages taken off it and what still waits.
    int delivered(int index)
    {
        int bytes = std::max(nm.isData(index), 0);
        for (const std::string &payload : messages[index])
            bytes += static_cast<int>(payload.size()) + 4;
        return bytes;
    }

    qv::GameManager &game = qv::GameManager::getInstance();
    qv::NetworkManager &nm = qv::NetworkManager::getInstance();
    std::vector<Seen> seen;                           // every network event, in order
    std::map<int, int> counts;                        // network events per label
    std::map<int, std::vector<std::string>> messages; // per connection index, the payloads taken, in order
    bool reading = true;                              // does the handler take announced messages?
    std::function<bool()> until;                      // asked at the start of each pass by passUntil
};

TEST_F(NetworkTest, AnnouncesEachMessageOnceCompleteWhileAnotherPeerIsServedUntilItLeaves)
{
    // The messages' bodies, and the sizes of the peer's sends, one a pass, the last size repeating.
    const std::pair<std::vector<std::string>, std::vector<size_t>> cases[] = {
        {{"abcdef"}, {3, 6, 1}}, // 3 bytes, then the length 10 with 9, then all 10
        {{"a message sent a byte at a time", "and one more"}, {1}},
        {{"", "one", std::string(500, 'b'), "three"}, {10000}},
    };
    ASSERT_EQ(nm.setMaxSockets(2), 0);
    const int peer = connectPeer();
    const int other = connectPeer();
    std::vector<std::string> bodies_sent, other_sent;
    int sent = 0;
    for (const auto &[bodies, chunks] : cases)
    {
        std::string stream;
        for (const std::string &body : bodies)
            stream += message(body);
        bodies_sent.insert(bodies_sent.end(), bodies.begin(), bodies.end());
        for (size_t i = 0, at = 0; at < stream.size(); i++)
        {
            const std::string chunk = stream.substr(at, chunks[std::min(i, chunks.size() - 1)]);
            at += chunk.size();
            sendAll(peer, chunk);
            sent += static_cast<int>(chunk.size());
            other_sent.push_back("other's message " + std::to_string(other_sent.size()));
            sendAll(other, message(other_sent.back()));
            ASSERT_TRUE(passUntil([&] { return delivered(0) == sent && messages[1].size() == other_sent.size(); }));
            // An announcement of an unfinished message would find nothing to take.
            ASSERT_EQ(counts[qv::DATA], static_cast<int>(messages[0].size() + messages[1].size())) << sent;
        }
    }
    EXPECT_EQ(messages[0], bodies_sent);
    EXPECT_EQ(messages[1], other_sent);
    // A peer that leaves is closed once its complete messages are taken, the rest reported unread.
    sendAll(peer, message("last") + frame(20, "only"));
    leave(peer, false);
    ASSERT_TRUE(passUntil([&] { return nm.getNumConnections() == 1; }));
    EXPECT_EQ(messages[0].back(), "last");
    EXPECT_EQ(seen.back(), Seen(qv::CLOSE, 0, 0));
    EXPECT_TRUE(logHas("NetworkManager::genDataEvents(): Peer of connection 0 is gone (8 bytes unread); closing it."));
}

TEST_F(NetworkTest, HoldsConnectionsUpToTheLimitAndMovesLaterOnesDownOnClosing)
{
    qv::LogManager::getInstance().setLogLevel(1);
    const int first = connectPeer();
    const int refused = connectPeer(false);
    ASSERT_TRUE(passUntil([&] { return logHas("\tUse NM.setMaxSockets() to change."); }));
    EXPECT_TRUE(
        containsInOrder(logMessages(), {"NetworkManager::accept(): Warning! accept() connection, but at limit (1).",
                                        "\tUse NM.setMaxSockets() to change."}));
    char byte = 0;
    EXPECT_EQ(recv(refused, &byte, 1, MSG_DONTWAIT), 0) << "the refused peer is closed";
    EXPECT_EQ(nm.setMaxSockets(-1), -1);
    ASSERT_EQ(nm.setMaxSockets(4), 0);
    const int second = connectPeer();
    const int third = connectPeer();
    const int fourth = connectPeer();
    EXPECT_EQ(seen,
              (std::vector<Seen>{{qv::ACCEPT, 0, 0}, {qv::ACCEPT, 1, 0}, {qv::ACCEPT, 2, 0}, {qv::ACCEPT, 3, 0}}));
    seen.clear();
    // A CLOSE handler may close an earlier connection, moving the later ones down under the closing.
    auto *p_closer = new RecordingObject;
    p_closer->registerInterest(qv::NETWORK_EVENT);
    p_closer->on_event = [this](const qv::Event *p_event)
    {
        if (static_cast<const qv::EventNetwork *>(p_event)->getSocketIndex() == 2)
            nm.close(0);
    };
    EXPECT_EQ(nm.close(2), 0);
    EXPECT_EQ(seen, (std::vector<Seen>{{qv::CLOSE, 2, 0}, {qv::CLOSE, 0, 0}}));
    EXPECT_EQ(recv(first, &byte, 1, MSG_DONTWAIT), 0);
    EXPECT_EQ(recv(third, &byte, 1, MSG_DONTWAIT), 0);
    for (int bad : {5, 2, -1})
    {
        EXPECT_EQ(nm.close(bad), -1);
        EXPECT_TRUE(logHas("NetworkManager::close(): sock_index (" + std::to_string(bad) + ") out of range."));
        EXPECT_EQ(nm.isData(bad), -1);
        EXPECT_TRUE(logHas("NetworkManager::isData(): Error! Sock index " + std::to_string(bad) + " not connected."));
    }
    sendAll(second, message("still here"));
    sendAll(fourth, message("hi"));
    ASSERT_TRUE(passUntil([&] { return messages[0].size() + messages[1].size() == 2; }));
    EXPECT_EQ(messages[0], std::vector<std::string>{"still here"});
    EXPECT_EQ(messages[1], std::vector<std::string>{"hi"});
    seen.clear();
    nm.shutDown();
    EXPECT_EQ(seen, (std::vector<Seen>{{qv::CLOSE, 0, 0}, {qv::CLOSE, 0, 0}}));
    EXPECT_FALSE(nm.isServer());
}

TEST_F(NetworkTest, APeerSendingALengthNoMessageCanHaveIsClosedUnreadWhileOthersAreServed)
{
    std::string garbage(64 * 1024, '\0');
    std::generate(garbage.begin(), garbage.end(), std::mt19937(7));
    ASSERT_EQ(nm.setMaxSockets(2), 0);
    const int good = connectPeer();
    std::vector<std::string> good_sent;
    rusage before{}, after{};
    getrusage(RUSAGE_SELF, &before);
    for (int32_t length : {0, -5, 3, 1001, 2147483647})
    {
        const int bad = connectPeer();
        std::memcpy(&garbage[0], &length, 4);
        good_sent.push_back("still here after " + std::to_string(length));
        sendAll(good, message(good_sent.back()));
        seen.clear();
        long long sent = 0;
        bool refused = false;
        ASSERT_TRUE(passUntil(
            [&]
            {
                ssize_t wrote = 0;
                while (!refused && sent < 50ll << 20 &&
                       (wrote = ::send(bad, garbage.data(), garbage.size(), MSG_NOSIGNAL | MSG_DONTWAIT)) > 0)
                    sent += wrote;
                refused = refused || (wrote == -1 && errno != EAGAIN);
                return refused && nm.getNumConnections() == 1 && messages[0].size() == good_sent.size();
            }));
        EXPECT_TRUE(logHas("NetworkManager::genDataEvents(): Error! Bad message length " + std::to_string(length) +
                           " on connection 1; closing it."));
        std::sort(seen.begin(), seen.end());
        EXPECT_EQ(seen, (std::vector<Seen>{{qv::CLOSE, 1, 0}, {qv::DATA, 0, int(good_sent.back().size() + 4)}}));
    }
    getrusage(RUSAGE_SELF, &after);
    EXPECT_LT(after.ru_maxrss - before.ru_maxrss, 8 * 1024) << "kilobytes more at the peak";
    EXPECT_EQ(messages[0], good_sent);

    // Left untaken, a message is announced again and again until the network share of the pass is used up.
    reading = false;
    const int last = connectPeer();
    seen.clear();
    sendAll(last, message("fine") + frame(-5, "zzzz"));
    ASSERT_TRUE(passUntil([&] { return logHas("GameManager::run(): Warning! Residual network data."); }));
    EXPECT_GT(seen.size(), 1u);
    EXPECT_EQ(seen, std::vector<Seen>(seen.size(), Seen(qv::DATA, 1, 8)));
    // A handler that reads on past its message meets the bad length itself.
    std::string payload;
    EXPECT_EQ(nm.receive(1, payload), 8);
    EXPECT_EQ(nm.receive(1, payload), -1);
    EXPECT_EQ(payload, "fine");
    EXPECT_TRUE(logHas("NetworkManager::receive(): Error! Bad message length -5 on connection 1; closing it."));
    EXPECT_EQ(nm.getNumConnections(), 1);
}

TEST_F(NetworkTest, AThousandConnectionsOpenedAndDroppedLeaveNoDescriptorBehind)
{
    const auto descriptors = [] { return std::distance(std::filesystem::directory_iterator("/proc/self/fd"), {}); };
    ASSERT_EQ(nm.setMaxSockets(8), 0);
    const auto before = descriptors();
    std::deque<int> open;
    int opened = 0;
    // A new peer each pass; each stays up to three passes and leaves in one of several ways.
    ASSERT_TRUE(passUntil(
        [&]
        {
            if (opened < 1000)
                open.push_back(connectPeer(false));
            opened = std::min(opened + 1, 1000);
            for (; !open.empty() && (open.size() > static_cast<size_t>(opened % 4) || opened == 1000); open.pop_front())
            {
                if (opened % 3 == 0)
                    ::send(open.front(), "\x20\0", 2, MSG_NOSIGNAL);
                leave(open.front(), opened % 5 == 0);
            }
            return open.empty() && nm.getNumConnections() == 0 && counts[qv::ACCEPT] == 1000;
        }));
    EXPECT_EQ(counts[qv::CLOSE], 1000);
    EXPECT_EQ(descriptors(), before);
}

TEST_F(NetworkTest, SendsWholeMessagesAndClosesAPeerThatTakesNothing)
{
    const int peer = connectPeer();
    ASSERT_EQ(nm.send(0, "hello"), 0);
    ASSERT_EQ(nm.send(0, ""), 0);
    std::string got(13, '\0');
    EXPECT_EQ(recv(peer, &got[0], got.size(), MSG_WAITALL), 13);
    EXPECT_EQ(got, message("hello") + message(""));
    EXPECT_EQ(nm.getQueued(0), 0);
    EXPECT_EQ(nm.send(0, std::string(997, 'z')), -1) << "one byte over the largest message";
    EXPECT_TRUE(logHas("NetworkManager::send(): Error! Message of 1001 bytes is above the limit (1000)."));
    // The next peer has left: its reset shows on the next send, which must close it, not stop the game on a signal.
    for (const char *report :
         {" bytes queued, limit 4000); closing it.", "NetworkManager::send(): Error! send() returned:"})
    {
        int result = 0;
        ASSERT_TRUE(passUntil(
            [&]
            {
                for (int i = 0; i < 100 && result == 0; i++)
                    result = nm.send(0, std::string(996, 'q'));
                return result != 0;
            }));
        EXPECT_EQ(seen.back(), Seen(qv::CLOSE, 0, 0));
        EXPECT_NE(readLog().find(report), std::string::npos);
        leave(connectPeer(), true);
    }
}

TEST_F(EngineTest, ANetworkPortThatCannotBeListenedOnFailsTheStart)
{
    // Listening unbound takes a free port.
    const int taken = socket(AF_INET, SOCK_STREAM, 0);
    ASSERT_EQ(::listen(taken, 1), 0);
    sockaddr_in address{};
    socklen_t size = sizeof(address);
    getsockname(taken, reinterpret_cast<sockaddr *>(&address), &size);
    const std::string port = std::to_string(ntohs(address.sin_port));
    writeConfig("headless:true,networking:true,network_port:" + port + ",");
    EXPECT_EQ(qv::GameManager::getInstance().startUp(), -1);
    EXPECT_EQ(qv::NetworkManager::getInstance().accept(), -2);
    EXPECT_TRUE(containsInOrder(
        logMessages(), {"NetworkManager::startUp(): Error! Cannot listen on port " + port + ", bind() returned:",
                        "\t" + std::to_string(EADDRINUSE) + " - " + strerror(EADDRINUSE),
                        "Error starting network manager!", "NetworkManager::accept(): Error! Not setup as server."}));
    qv::GameManager::getInstance().shutDown();
}

} // namespace
