#include "TestSupport.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>

#include "foundation/Buffer.h"
#include "marketdata/net/WireProtocol.h"

extern char** environ;

std::chrono::milliseconds HangBound(std::chrono::milliseconds timeout) {
    // Instrumented builds (ThreadSanitizer) run several times slower: scripts/test sets
    // TARROW_WAIT_SCALE so that a bound for a hang stays one.
    static const int scale = [] {
        const char* text = std::getenv("TARROW_WAIT_SCALE");
        int value = text ? std::atoi(text) : 1;
        return value >= 1 && value <= 100 ? value : 1;
    }();
    return timeout * scale;
}

bool WaitUntil(const std::function<bool()>& pred, std::chrono::milliseconds timeout) {
    auto end = std::chrono::steady_clock::now() + HangBound(timeout);
    while (!pred()) {
        if (std::chrono::steady_clock::now() > end) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return true;
}

CServerProcess::CServerProcess(std::vector<std::string> args) {
    int pipes[2];
    if (pipe(pipes) != 0) return;
    std::vector<std::string> all = {TARROW_DATASERVER, "--port", "0", "--exit-with-parent"};
    all.insert(all.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (auto& a : all) argv.push_back(a.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, pipes[1], 1);
    posix_spawn_file_actions_addclose(&actions, pipes[0]);
    pid_t pid = -1;
    if (posix_spawn(&pid, TARROW_DATASERVER, &actions, nullptr, argv.data(), environ) != 0)
        pid = -1;
    posix_spawn_file_actions_destroy(&actions);
    close(pipes[1]);
    m_nPid = pid;
    m_nOut = pipes[0];
    m_reader = std::thread([this] {
        std::string pending;
        char chunk[4096];
        for (;;) {
            ssize_t n = read(m_nOut, chunk, sizeof chunk);
            if (n <= 0) break;
            pending.append(chunk, size_t(n));
            size_t eol;
            while ((eol = pending.find('\n')) != std::string::npos) {
                std::lock_guard lock(m_mutex);
                m_lines.push_back(pending.substr(0, eol));
                pending.erase(0, eol + 1);
                m_changed.notify_all();
            }
        }
    });
    std::string line = WaitForLine("listening on 127.0.0.1:");
    if (!line.empty()) m_nPort = uint16_t(std::stoi(line.substr(line.rfind(':') + 1)));
}

CServerProcess::~CServerProcess() {
    if (m_nPid > 0) {
        kill(m_nPid, SIGTERM);
        int status = 0;
        waitpid(m_nPid, &status, 0);
    }
    if (m_reader.joinable()) m_reader.join();
    if (m_nOut >= 0) close(m_nOut);
}

std::vector<std::string> CServerProcess::Lines() const {
    std::lock_guard lock(m_mutex);
    return m_lines;
}

std::string CServerProcess::WaitForLine(const std::string& needle,
                                        std::chrono::milliseconds timeout) {
    std::unique_lock lock(m_mutex);
    std::string found;
    m_changed.wait_for(lock, HangBound(timeout), [&] {
        for (const auto& l : m_lines)
            if (l.find(needle) != std::string::npos) {
                found = l;
                return true;
            }
        return false;
    });
    return found;
}

size_t CServerProcess::CountLines(const std::string& needle) const {
    std::lock_guard lock(m_mutex);
    size_t n = 0;
    for (const auto& l : m_lines) n += l.find(needle) != std::string::npos;
    return n;
}

CLoopbackListener::CLoopbackListener() {
    m_nFd = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    bind(m_nFd, reinterpret_cast<sockaddr*>(&address), sizeof address);
    listen(m_nFd, 16);
    socklen_t length = sizeof address;
    getsockname(m_nFd, reinterpret_cast<sockaddr*>(&address), &length);
    m_nPort = ntohs(address.sin_port);
}

CLoopbackListener::~CLoopbackListener() {
    close(m_nFd);
}

int CLoopbackListener::Accept(std::chrono::milliseconds timeout) {
    pollfd p{m_nFd, POLLIN, 0};
    if (poll(&p, 1, int(timeout.count())) != 1) return -1;
    return accept(m_nFd, nullptr, nullptr);
}

bool WriteAll(int fd, const void* data, size_t length) {
    const auto* p = static_cast<const uint8_t*>(data);
    while (length) {
        ssize_t n = send(fd, p, length, MSG_NOSIGNAL);
        if (n <= 0) return false;
        p += n;
        length -= size_t(n);
    }
    return true;
}

bool WriteAll(int fd, const std::vector<uint8_t>& bytes) {
    return WriteAll(fd, bytes.data(), bytes.size());
}

std::vector<uint8_t> ReadExactly(int fd, size_t n, std::chrono::milliseconds timeout) {
    std::vector<uint8_t> out(n);
    size_t got = 0;
    auto end = std::chrono::steady_clock::now() + timeout;
    while (got < n) {
        int left = int(std::chrono::duration_cast<std::chrono::milliseconds>(
                           end - std::chrono::steady_clock::now())
                           .count());
        pollfd p{fd, POLLIN, 0};
        if (left <= 0 || poll(&p, 1, left) != 1) return {};
        ssize_t r = recv(fd, out.data() + got, n - got, 0);
        if (r <= 0) return {};
        got += size_t(r);
    }
    return out;
}

bool WaitForClose(int fd, std::chrono::milliseconds timeout) {
    auto end = std::chrono::steady_clock::now() + timeout;
    char sink[4096];
    for (;;) {
        int left = int(std::chrono::duration_cast<std::chrono::milliseconds>(
                           end - std::chrono::steady_clock::now())
                           .count());
        pollfd p{fd, POLLIN, 0};
        if (left <= 0 || poll(&p, 1, left) != 1) return false;
        ssize_t r = recv(fd, sink, sizeof sink, 0);
        if (r <= 0) return true;
    }
}

void CloseSocket(int fd) {
    if (fd >= 0) close(fd);
}

std::vector<uint8_t> MakeMessage(uint16_t command, int64_t serial,
                                 const std::vector<uint8_t>& body) {
    CBuffer out;
    wire::AppendMessage(out, command, serial, body.data(), uint32_t(body.size()));
    return std::vector<uint8_t>(out.GetData(), out.GetData() + out.GetLength());
}
