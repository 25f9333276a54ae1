#pragma once
// Helpers of the network tests: the real tarrow-dataserver as a child process on an
// ephemeral loopback port, a scripted loopback peer, and waiting for a condition.

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

// A bound for a hang, stretched in slow instrumented runs (TARROW_WAIT_SCALE).
std::chrono::milliseconds HangBound(std::chrono::milliseconds timeout);

// Polls pred until it holds or the timeout passes (a generous bound for a hang, never a
// measurement; stretched by HangBound). True when it held.
bool WaitUntil(const std::function<bool()>& pred,
               std::chrono::milliseconds timeout = std::chrono::seconds(20));

class CServerProcess {
public:
    explicit CServerProcess(std::vector<std::string> args = {});
    ~CServerProcess();
    CServerProcess(const CServerProcess&) = delete;
    CServerProcess& operator=(const CServerProcess&) = delete;

    uint16_t Port() const { return m_nPort; }
    bool Running() const { return m_nPort != 0; }
    // Lines the server printed so far.
    std::vector<std::string> Lines() const;
    // Waits for a printed line containing needle; returns it, or "" on time-out.
    std::string WaitForLine(const std::string& needle,
                            std::chrono::milliseconds timeout = std::chrono::seconds(20));
    size_t CountLines(const std::string& needle) const;

private:
    int m_nPid = -1;
    int m_nOut = -1;
    uint16_t m_nPort = 0;
    std::thread m_reader;
    mutable std::mutex m_mutex;
    std::condition_variable m_changed;
    std::vector<std::string> m_lines;
};

// A blocking loopback listener for tests that script the other side byte by byte.
class CLoopbackListener {
public:
    CLoopbackListener();
    ~CLoopbackListener();
    uint16_t Port() const { return m_nPort; }
    // Accepts one connection (waits up to the timeout); -1 on time-out.
    int Accept(std::chrono::milliseconds timeout = std::chrono::seconds(20));

private:
    int m_nFd = -1;
    uint16_t m_nPort = 0;
};

// Blocking helpers on a connected socket.
bool WriteAll(int fd, const void* data, size_t length);
bool WriteAll(int fd, const std::vector<uint8_t>& bytes);
// Reads exactly n bytes (up to the timeout); empty on failure or close.
std::vector<uint8_t> ReadExactly(int fd, size_t n,
                                 std::chrono::milliseconds timeout = std::chrono::seconds(20));
// True when the peer has closed the socket (within the timeout).
bool WaitForClose(int fd, std::chrono::milliseconds timeout = std::chrono::seconds(20));
void CloseSocket(int fd);
// Bytes of one message with the given command, serial and body.
std::vector<uint8_t> MakeMessage(uint16_t command, int64_t serial,
                                 const std::vector<uint8_t>& body);
