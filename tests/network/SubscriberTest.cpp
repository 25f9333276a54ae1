// The network client against a scripted peer on loopback: framing and dispatch by
// serial, closing on a broken stream, fail-over, back-off and the give-up, and the
// threading promises of the reply handlers.

#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>

#include <future>

#include "ClientHarness.h"
#include "TestSupport.h"
#include "foundation/Buffer.h"
#include "protocol/DataHead.h"
#include "marketdata/net/WireProtocol.h"

namespace {

using namespace std::chrono_literals;

struct Peer {
    CLoopbackListener listener;
    std::shared_ptr<CSubscriber> client;
    int fd = -1;

    Peer() {
        client = std::make_shared<CSubscriber>(
            std::vector<HostAddress>{{"127.0.0.1", listener.Port()}}, TestLoop());
        client->SetHost("127.0.0.1", listener.Port());
        client->SetRetryDelays(1, 20);
    }
    ~Peer() {
        if (client) client->Stop();
        client.reset();
        CloseSocket(fd);
    }
    bool Open() {
        client->Connect();
        fd = listener.Accept();
        return fd >= 0 && WaitUntil([&] { return client->IsConnected(); });
    }
};

TEST(Subscriber, RepliesAreMatchedBySerialAndAnEmptyBodyIsDispatched) {
    Peer peer;
    ASSERT_TRUE(peer.Open());
    std::mutex mutex;
    std::vector<std::pair<int64_t, size_t>> seen;
    auto record = [&](bool done) {
        return [&, done](const CDataHead& head, CBuffer& body) {
            std::lock_guard lock(mutex);
            seen.emplace_back(head.m_nSerial, body.GetLength());
            return done;
        };
    };
    peer.client->RegisterReply(501, OwnerTag(&peer), record(false));  // chunked: expects more
    peer.client->RegisterReply(502, OwnerTag(&peer), record(true));
    peer.client->RegisterReply(503, OwnerTag(&peer), record(true));

    // Two messages in one write, one of them empty; then the chunked reply's last part,
    // header and body in separate writes; then a late duplicate and an unknown serial, and
    // last a reply that marks the end: messages are dispatched in the order they arrive,
    // so once it is seen the two before it were dealt with.
    std::vector<uint8_t> both = MakeMessage(10801, 501, {1, 2, 3});
    auto empty = MakeMessage(12001, 502, {});
    both.insert(both.end(), empty.begin(), empty.end());
    ASSERT_TRUE(WriteAll(peer.fd, both));
    auto last = MakeMessage(10801, 501, {4});
    ASSERT_TRUE(WriteAll(peer.fd, last.data(), 10));
    std::this_thread::sleep_for(20ms);
    ASSERT_TRUE(WriteAll(peer.fd, last.data() + 10, last.size() - 10));
    ASSERT_TRUE(WriteAll(peer.fd, MakeMessage(12001, 502, {7})));
    ASSERT_TRUE(WriteAll(peer.fd, MakeMessage(12001, 999, {7})));
    ASSERT_TRUE(WriteAll(peer.fd, MakeMessage(12001, 503, {8, 9})));
    ASSERT_TRUE(WaitUntil([&] {
        std::lock_guard lock(mutex);
        return !seen.empty() && seen.back().first == 503;
    }));
    std::lock_guard lock(mutex);
    EXPECT_EQ(seen, (std::vector<std::pair<int64_t, size_t>>{
                        {501, 3}, {502, 0}, {501, 1}, {503, 2}}));
    EXPECT_EQ(peer.client->GetPendingCount(), 1u) << "501 stays until its handler says it is done";
}

TEST(Subscriber, BrokenStreamClosesTheConnectionAndDropsPendingReplies) {
    struct Case {
        const char* name;
        std::vector<uint8_t> bytes;
    };
    auto wrongMarker = MakeMessage(10201, 1, {1});
    wrongMarker[0] = 0;
    auto oversized = MakeMessage(10201, 1, {});
    uint32_t huge = 0xFFFFFFF0u;
    std::memcpy(&oversized[14], &huge, 4);
    for (const Case& c : {Case{"wrong marker", wrongMarker}, Case{"oversized length", oversized}}) {
        Peer peer;
        ASSERT_TRUE(peer.Open()) << c.name;
        peer.client->RegisterReply(1, OwnerTag(&peer),
                                   [](const CDataHead&, CBuffer&) { return true; });
        ASSERT_TRUE(WriteAll(peer.fd, c.bytes));
        EXPECT_TRUE(WaitForClose(peer.fd)) << c.name;
        EXPECT_TRUE(WaitUntil([&] {
            return !peer.client->IsConnected() && peer.client->GetPendingCount() == 0;
        })) << c.name;
    }
}

TEST(Subscriber, AClosedConnectionIsFollowedByAConnectToTheNextHost) {
    CLoopbackListener second;
    Peer peer;
    peer.client = std::make_shared<CSubscriber>(
        std::vector<HostAddress>{{"127.0.0.1", peer.listener.Port()}, {"127.0.0.1", second.Port()}},
        TestLoop());
    peer.client->SetHost("127.0.0.1", peer.listener.Port());
    peer.client->SetRetryDelays(1, 20);
    peer.client->SetFailOver(true);
    ASSERT_TRUE(peer.Open());
    CloseSocket(peer.fd);
    peer.fd = second.Accept();
    ASSERT_GE(peer.fd, 0);
    EXPECT_TRUE(WaitUntil([&] { return peer.client->IsConnected(); }));
    EXPECT_EQ(peer.client->GetHost().m_nPort, second.Port());
}

TEST(Subscriber, NextHostWrapsAndUnknownHostsEndTheList) {
    auto client = std::make_shared<CSubscriber>(std::vector<HostAddress>{{"A", 1}, {"B", 2}, {"C", 3}}, TestLoop());
    EXPECT_EQ(client->NextHost("A", 1), (HostAddress{"B", 2}));
    EXPECT_EQ(client->NextHost("C", 3), (HostAddress{"A", 1}));
    EXPECT_EQ(client->NextHost("D", 4), (HostAddress{}));
    EXPECT_EQ(client->NextHost("a", 1), (HostAddress{})) << "host text compares exactly";
}

TEST(Subscriber, RefusedConnectsBackOffAndGiveUpOnceAfterFifteen) {
    uint16_t deadPort;
    {
        CLoopbackListener closed;
        deadPort = closed.Port();
    }
    auto client = std::make_shared<CSubscriber>(std::vector<HostAddress>{{"127.0.0.1", deadPort}}, TestLoop());
    client->SetHost("127.0.0.1", deadPort);
    constexpr int kCapMs = 4;
    client->SetRetryDelays(1, kCapMs);
    std::atomic<int> giveUps{0};
    client->m_onGiveUp = [&] { ++giveUps; };
    client->Connect();
    ASSERT_TRUE(WaitUntil([&] { return giveUps.load() == 1; }));
    // A retry still planned would be due within the longest back-off; a marker due after
    // it runs on the loop after it, and a refused attempt fails on the next loop pass.
    std::promise<void> passed;
    ASSERT_TRUE(RunInLoopAfter(TestLoop(), 4 * kCapMs, [&] { passed.set_value(); }));
    ASSERT_EQ(passed.get_future().wait_for(60s), std::future_status::ready);
    ASSERT_TRUE(DrainLoop());
    ASSERT_TRUE(DrainLoop());
    EXPECT_EQ(giveUps.load(), 1);
    EXPECT_EQ(client->GetFailureCount(), 16) << "no attempt after the give-up";
    EXPECT_FALSE(client->IsConnected());
    // The login flow connects again: a fresh round of attempts, and a fresh give-up.
    client->Connect();
    ASSERT_TRUE(WaitUntil([&] { return giveUps.load() == 2; }));
    client->Stop();
}

TEST(Subscriber, HostNamesAreNotConnectedToDirectly) {
    CLoopbackListener listener;
    auto client = std::make_shared<CSubscriber>(std::vector<HostAddress>{{"localhost", listener.Port()}}, TestLoop());
    client->SetHost("localhost", listener.Port());
    client->Connect();
    EXPECT_EQ(listener.Accept(200ms), -1) << "only a proxy may resolve a name";
    client->Stop();
}

TEST(Subscriber, HandlersMaySendAndRegisterAndCancelDoesNotWaitForARunningHandler) {
    Peer peer;
    ASSERT_TRUE(peer.Open());
    std::promise<void> entered, release;
    auto releaseFuture = release.get_future().share();
    std::atomic<bool> followUpCalled{false};
    peer.client->RegisterReply(10, OwnerTag(&peer, 1), [&](const CDataHead&, CBuffer&) {
        // A follow-up request from inside the handler, on the same client.
        CSubscriber& c = *peer.client;
        c.RegisterReply(11, OwnerTag(&peer, 1), [&](const CDataHead&, CBuffer&) {
            followUpCalled = true;
            return true;
        });
        auto next = MakeMessage(10901, 11, {1});
        c.Send(next.data(), next.size());
        entered.set_value();
        EXPECT_EQ(releaseFuture.wait_for(60s), std::future_status::ready);
        return true;
    });
    ASSERT_TRUE(WriteAll(peer.fd, MakeMessage(10901, 10, {0})));
    ASSERT_EQ(entered.get_future().wait_for(20s), std::future_status::ready)
        << "the handler was never called";

    // The handler is held on the network thread; a cancel from another thread returns
    // all the same (the network thread might be waiting for the canceller).
    auto cancelled = std::async(std::launch::async,
                                [&] { peer.client->CancelPending(OwnerTag(&peer, 1)); });
    EXPECT_EQ(cancelled.wait_for(60s), std::future_status::ready)
        << "cancel waited for the running handler";
    EXPECT_EQ(peer.client->GetPendingCount(), 0u);
    release.set_value();
    EXPECT_EQ(ReadExactly(peer.fd, 29).size(), 29u) << "the handler's own request went out";

    // The cancelled follow-up is never called: its reply goes before one that is still
    // wanted, and replies are dispatched in order.
    std::promise<void> marker;
    peer.client->RegisterReply(12, OwnerTag(&peer, 2), [&](const CDataHead&, CBuffer&) {
        marker.set_value();
        return true;
    });
    ASSERT_TRUE(WriteAll(peer.fd, MakeMessage(10901, 11, {0})));
    ASSERT_TRUE(WriteAll(peer.fd, MakeMessage(10901, 12, {0})));
    ASSERT_EQ(marker.get_future().wait_for(60s), std::future_status::ready);
    EXPECT_FALSE(followUpCalled);
}

TEST(Subscriber, StopAndReleaseDoNotWaitForAHandlerThatWaitsForTheCaller) {
    Peer peer;
    ASSERT_TRUE(peer.Open());
    std::promise<void> entered, release;
    auto releaseFuture = release.get_future().share();
    std::atomic<int> calls{0};
    peer.client->RegisterReply(20, OwnerTag(&peer), [&](const CDataHead&, CBuffer&) {
        ++calls;
        entered.set_value();
        // E.g. a merge waiting for a series lock the stopping thread holds.
        EXPECT_EQ(releaseFuture.wait_for(60s), std::future_status::ready);
        return false;  // wants more: only the stop ends it
    });
    ASSERT_TRUE(WriteAll(peer.fd, MakeMessage(10901, 20, {0})));
    ASSERT_TRUE(WriteAll(peer.fd, MakeMessage(10901, 20, {1})));  // queued behind
    ASSERT_EQ(entered.get_future().wait_for(20s), std::future_status::ready)
        << "the handler was never called";
    auto stopped = std::async(std::launch::async, [&] {
        peer.client->Stop();
        peer.client.reset();  // the running handler's call keeps the client alive
    });
    EXPECT_EQ(stopped.wait_for(60s), std::future_status::ready)
        << "Stop or the release waited for the network thread";
    release.set_value();
    stopped.wait();
    EXPECT_TRUE(WaitForClose(peer.fd)) << "the connection is closed on the loop";
    ASSERT_TRUE(DrainLoop());
    EXPECT_EQ(calls, 1) << "nothing is dispatched after Stop";
}

TEST(Subscriber, ALateCloseOfTheOldConnectionLeavesTheNewOneAlone) {
    Peer peer;
    ASSERT_TRUE(peer.Open());
    int oldFd = peer.fd;
    auto old = peer.client->GetConnection();
    peer.client->Connect();  // e.g. the user logs in again
    peer.fd = peer.listener.Accept();
    ASSERT_GE(peer.fd, 0);
    ASSERT_TRUE(WaitUntil(
        [&] { return peer.client->IsConnected() && peer.client->GetConnection() != old; }));
    old.reset();
    auto current = peer.client->GetConnection();
    peer.client->RegisterReply(77, OwnerTag(&peer),
                               [](const CDataHead&, CBuffer&) { return true; });
    EXPECT_TRUE(WaitForClose(oldFd)) << "the replaced connection is closed";
    CloseSocket(oldFd);
    // Whatever the old connection's end still had to report has run once the loop has
    // been round twice.
    ASSERT_TRUE(DrainLoop());
    ASSERT_TRUE(DrainLoop());
    EXPECT_TRUE(peer.client->IsConnected());
    EXPECT_EQ(peer.client->GetConnection(), current);
    EXPECT_EQ(peer.client->GetPendingCount(), 1u);
}

TEST(Subscriber, SendBeforeTheConnectionIsReadySendsNothing) {
    CLoopbackListener listener;
    auto client = std::make_shared<CSubscriber>(std::vector<HostAddress>{}, TestLoop());
    auto bytes = MakeMessage(100, 1, {});
    client->Send(bytes.data(), bytes.size());  // no connection at all
    client->SetHost("127.0.0.1", listener.Port());
    client->Connect();
    int fd = listener.Accept();
    ASSERT_GE(fd, 0);
    ASSERT_TRUE(WaitUntil([&] { return client->IsConnected(); }));
    client->Send(bytes.data(), bytes.size());
    auto got = ReadExactly(fd, 28);
    EXPECT_EQ(got, bytes) << "only the message sent once ready arrives";
    client->Stop();
    CloseSocket(fd);
}

}  // namespace

namespace {

TEST(Subscriber, KeepAliveFollowsTheLoginWhileReady) {
    CLoopbackListener listener;
    CClientHarness harness({}, {"127.0.0.1", listener.Port()});
    harness.Client().SetHeartbeatInterval(20);
    harness.Connect();
    int fd = listener.Accept();
    ASSERT_GE(fd, 0);
    auto login = ReadExactly(fd, 30);
    ASSERT_EQ(login.size(), 30u);
    EXPECT_EQ(CDataHead::Decode(login.data()).m_wCommand, wire::kGuestLogin);
    auto keepAlive = ReadExactly(fd, 28);
    ASSERT_EQ(keepAlive.size(), 28u);
    CDataHead head = CDataHead::Decode(keepAlive.data());
    EXPECT_EQ(head.m_wCommand, wire::kKeepAlive);
    EXPECT_EQ(head.m_wSubtype, 100);
    EXPECT_EQ(head.m_nBodyLength, 0u);
    CloseSocket(fd);
}

TEST(Subscriber, AResetConnectionIsNotLeftMarkedConnected) {
    Peer peer;
    peer.client->SetFailOver(true);
    ASSERT_TRUE(peer.Open());
    linger hard{1, 0};
    setsockopt(peer.fd, SOL_SOCKET, SO_LINGER, &hard, sizeof hard);
    CloseSocket(peer.fd);  // RST
    peer.fd = peer.listener.Accept();
    ASSERT_GE(peer.fd, 0) << "the client noticed and came back";
    EXPECT_TRUE(WaitUntil([&] { return peer.client->IsConnected(); }));
}

TEST(EventLoop, PublishesItsThreadAndBaseAndKeepsRunningWithoutConnections) {
    RunningLoop* loop = TestLoop();
    ASSERT_NE(loop, nullptr);
    ASSERT_NE(loop->m_pBase, nullptr);
    EXPECT_FALSE(loop->IsInLoopThread());
    // A loop that stopped once it had nothing to wait for would be gone after a pass.
    ASSERT_TRUE(DrainLoop());
    std::promise<std::thread::id> ran;
    ASSERT_TRUE(RunInLoop(loop, [&] { ran.set_value(std::this_thread::get_id()); }));
    EXPECT_EQ(ran.get_future().get(), loop->m_threadId);
}

TEST(NetClient, NamesItsConnectionAndReportsOneCloseWhenThePeerLeaves) {
    CLoopbackListener listener;
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(listener.Port());
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    auto client = std::make_shared<NetClient>(address, TestLoop(), "client");
    std::atomic<int> established{0}, closed{0};
    std::mutex mutex;
    std::string name;
    client->m_establishedCallback = [&](const ConnectionPtr& c) {
        std::lock_guard lock(mutex);
        name = c->GetName();
        ++established;
    };
    client->m_closedCallback = [&](const ConnectionPtr& c) {
        EXPECT_EQ(c->GetState(), Connection::kDisconnected);
        ++closed;
    };
    client->Connect();
    int fd = listener.Accept();
    ASSERT_GE(fd, 0);
    ASSERT_TRUE(WaitUntil([&] { return established.load() == 1; }));
    {
        std::lock_guard lock(mutex);
        EXPECT_TRUE(name.starts_with("client#127.0.0.1:")) << name;
        EXPECT_TRUE(name.ends_with("_to_127.0.0.1:" + std::to_string(listener.Port()) + "#0"))
            << name;
    }
    CloseSocket(fd);
    ASSERT_TRUE(WaitUntil([&] { return closed.load() >= 1 && !client->GetConnection(); }));
    // A second report of the same close would come from the same loop pass or the next.
    ASSERT_TRUE(DrainLoop());
    ASSERT_TRUE(DrainLoop());
    EXPECT_EQ(closed.load(), 1);
    std::promise<void> gone;
    RunInLoop(TestLoop(), [&] {
        client.reset();  // the client is released on the loop, as the network client does
        gone.set_value();
    });
    EXPECT_EQ(gone.get_future().wait_for(20s), std::future_status::ready)
        << "the loop never ran the release";
}

}  // namespace
