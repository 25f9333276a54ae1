// The server binary under abuse: clients that trickle or stay silent, and running out of
// file descriptors. Each test starts the server with short limits.

#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>

#include "TestSupport.h"
#include "foundation/Buffer.h"
#include "protocol/DataHead.h"
#include "protocol/Wire.h"

namespace {

using namespace std::chrono_literals;
using Bytes = std::vector<uint8_t>;

int ConnectTo(uint16_t port) {
    int fd = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (fd >= 0 && connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
        CloseSocket(fd);
        return -1;
    }
    return fd;
}

Bytes GuestLogin(int64_t serial) {
    CBuffer body;
    body.WriteString("");
    return MakeMessage(wire::kGuestLogin, serial,
                       Bytes(body.GetData(), body.GetData() + body.GetLength()));
}

// Logs in as a guest; true when the server answered the login with success.
bool LogIn(int fd, int64_t serial) {
    if (!WriteAll(fd, GuestLogin(serial))) return false;
    Bytes header = ReadExactly(fd, CDataHead::kSize);
    if (header.size() != CDataHead::kSize) return false;
    CDataHead head = CDataHead::Decode(header.data());
    Bytes body = ReadExactly(fd, head.m_nBodyLength);
    return head.m_nSerial == serial && !body.empty() && body[0] == 1;
}

TEST(ServerAbuse, AClientTricklingOneMessageIsClosed) {
    CServerProcess server({"--message-timeout", "0.5"});
    ASSERT_TRUE(server.Running());
    int fd = ConnectTo(server.Port());
    ASSERT_GE(fd, 0);
    // A header announcing 300 bytes of body, then the bytes one by one, about ten a
    // second: every byte is news, but the message never completes in time.
    Bytes message = MakeMessage(wire::kGuestLogin, 1, Bytes(300, 0));
    bool closed = false;
    for (size_t i = 0; i + 1 < message.size() && !closed; ++i) {
        if (!WriteAll(fd, &message[i], 1)) break;
        closed = WaitForClose(fd, 100ms);  // the pace of the drip, and the close noticed
    }
    EXPECT_TRUE(closed || WaitForClose(fd, 1ms)) << "the trickle kept the connection open";
    EXPECT_FALSE(server.WaitForLine("no complete message within").empty());
    CloseSocket(fd);
    // Still serving.
    int next = ConnectTo(server.Port());
    EXPECT_TRUE(LogIn(next, 2));
    CloseSocket(next);
}

TEST(ServerAbuse, SilenceBeforeTheLoginEndsAConnectionButALoggedInClientMayIdle) {
    CServerProcess server({"--message-timeout", "0.5"});
    ASSERT_TRUE(server.Running());
    int member = ConnectTo(server.Port());
    ASSERT_TRUE(LogIn(member, 1));
    // Connected after the member's last message: its deadline is the later one, so once
    // it has passed, the member would have been cut already were it held to the same.
    int silent = ConnectTo(server.Port());
    ASSERT_GE(silent, 0);
    EXPECT_TRUE(WaitForClose(silent)) << "a connection that never spoke stayed open";
    EXPECT_FALSE(server.WaitForLine("silent for").empty());
    ASSERT_TRUE(WriteAll(member, MakeMessage(wire::kKeepAlive, 2, {})));
    EXPECT_TRUE(LogIn(member, 3)) << "the logged-in client was cut while idle";
    CloseSocket(silent);
    CloseSocket(member);
}

TEST(ServerAbuse, ALoggedInClientSilentPastTheIdleTimeoutIsClosed) {
    CServerProcess server({"--idle-timeout", "0.5"});
    ASSERT_TRUE(server.Running());
    int member = ConnectTo(server.Port());
    ASSERT_TRUE(LogIn(member, 1));
    EXPECT_TRUE(WaitForClose(member));
    EXPECT_FALSE(server.WaitForLine("silent for").empty());
    CloseSocket(member);
}

TEST(ServerAbuse, RunningOutOfDescriptorsPausesAcceptsAndRecovers) {
    CServerProcess server({"--max-files", "32", "--accept-pause-max", "100"});
    ASSERT_TRUE(server.Running());
    // More clients than the server has descriptors; the kernel queues the rest.
    std::vector<int> clients;
    for (int i = 0; i < 50; ++i) {
        int fd = ConnectTo(server.Port());
        ASSERT_GE(fd, 0);
        clients.push_back(fd);
    }
    ASSERT_FALSE(server.WaitForLine("accept failed").empty());
    // The clients it did take are served meanwhile.
    EXPECT_TRUE(LogIn(clients.front(), 1));
    for (int fd : clients) CloseSocket(fd);
    EXPECT_FALSE(server.WaitForLine("accepting again").empty());
    // Serving new clients again once descriptors are free.
    int fd = -1;
    ASSERT_TRUE(WaitUntil([&] {
        CloseSocket(fd);
        fd = ConnectTo(server.Port());
        return LogIn(fd, 2);
    }));
    CloseSocket(fd);
    // A few lines per run of failures, not one per failed accept.
    EXPECT_LE(server.CountLines("accept failed"), 5u);
    EXPECT_LE(server.Lines().size(), 200u);
}

}  // namespace
