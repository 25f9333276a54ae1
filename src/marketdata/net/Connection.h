#pragma once
// One established TCP connection on the network thread: its buffer event, its life-cycle
// callbacks and its state. Always held by shared_ptr; libevent callbacks reach it through
// a weak reference, so a connection that is already gone is silently skipped.

#include <event2/util.h>
#include <netinet/in.h>

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

struct bufferevent;
struct evbuffer;
struct RunningLoop;

class Connection;
using ConnectionPtr = std::shared_ptr<Connection>;

class Connection : public std::enable_shared_from_this<Connection> {
public:
    enum State { kDisconnected = 0, kConnecting = 1, kConnected = 2, kDisconnecting = 3 };

    using Callback = std::function<void(const ConnectionPtr&)>;
    using ReadCallback =
        std::function<void(const ConnectionPtr&, evbuffer* input, timeval received)>;

    Connection(RunningLoop* loop, std::string name, evutil_socket_t socket, uint32_t id,
               const sockaddr_in& local, const sockaddr_in& peer);
    ~Connection();
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

    // Loop thread: state 2, callbacks installed, reading on, established callback called.
    void ConnectEstablished();
    // Any thread: asks the loop to close. Does nothing unless connected or disconnecting.
    void Close();
    // Loop thread, from the owner's close callback: the final step of a connection.
    void ConnectDestroyed();

    // Any thread: appends to the output while connected; false when the bytes were dropped.
    bool Send(const void* data, size_t length);

    int GetState() const { return m_nState.load(); }
    bool IsConnected() const { return m_nState.load() == kConnected; }
    uint32_t GetId() const { return m_nId; }
    const std::string& GetName() const { return m_strName; }
    const sockaddr_in& GetLocalAddress() const { return m_localAddr; }
    const sockaddr_in& GetPeerAddress() const { return m_peerAddr; }
    RunningLoop* GetLoop() const { return m_pLoop; }
    evbuffer* GetInput() const { return m_pInput; }

    Callback m_establishedCallback = [](const ConnectionPtr&) {};
    Callback m_closedCallback = [](const ConnectionPtr&) {};
    Callback m_closeCallback;
    ReadCallback m_readCallback;
    Callback m_writeCompleteCallback;

private:
    static void OnRead(bufferevent*, void* arg);
    static void OnWrite(bufferevent*, void* arg);
    static void OnEvent(bufferevent*, short what, void* arg);

    void HandleClose();
    void HandleError();

    RunningLoop* m_pLoop;
    uint32_t m_nId;
    std::string m_strName;
    std::atomic<int> m_nState{kConnecting};
    bufferevent* m_pEvent = nullptr;
    evbuffer* m_pInput = nullptr;
    evbuffer* m_pOutput = nullptr;
    sockaddr_in m_localAddr;
    sockaddr_in m_peerAddr;
    // What libevent's callbacks carry; owned here, freed with the buffer event.
    std::weak_ptr<Connection>* m_pCallbackSelf = nullptr;
};

// "a.b.c.d:port", at most 31 characters.
std::string AddressToText(const sockaddr_in& address);
