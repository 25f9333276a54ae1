#include "marketdata/net/Connector.h"

#include <arpa/inet.h>
#include <event2/bufferevent.h>
#include <event2/event.h>

#include <algorithm>
#include <cerrno>

#include "marketdata/net/EventLoopThread.h"

Connector::Connector(RunningLoop* loop, const sockaddr_in& server)
    : m_pLoop(loop), m_serverAddr(server) {}

Connector::~Connector() {
    if (m_pPending) {
        evutil_socket_t fd = bufferevent_getfd(m_pPending);
        bufferevent_free(m_pPending);
        if (fd >= 0) evutil_closesocket(fd);
    }
    delete m_pCallbackSelf;
}

int Connector::BackoffMs(int failures) const {
    int shift = std::clamp(failures - 1, 0, 16);
    return int(std::min<int64_t>(int64_t(m_nBackoffBaseMs) << shift, m_nBackoffCapMs));
}

void Connector::Start() {
    m_bConnect = true;
    std::weak_ptr<Connector> weak = shared_from_this();
    RunInLoop(m_pLoop, [weak] {
        if (auto self = weak.lock(); self && self->m_bConnect) self->Connect();
    });
}

void Connector::Stop() {
    m_bConnect = false;
    if (m_pLoop->IsInLoopThread()) {
        CancelConnect();
        return;
    }
    std::weak_ptr<Connector> weak = shared_from_this();
    RunInLoop(m_pLoop, [weak] {
        if (auto self = weak.lock()) self->CancelConnect();
    });
}

void Connector::Connect() {
    if (m_pPending) DropAttempt();
    if (!m_pCallbackSelf) m_pCallbackSelf = new std::weak_ptr<Connector>(shared_from_this());
    m_pPending = bufferevent_socket_new(m_pLoop->m_pBase, -1, BEV_OPT_THREADSAFE);
    bufferevent_setcb(m_pPending, nullptr, nullptr, OnConnectEvent, m_pCallbackSelf);
    m_bConnecting = true;
    // An address that swallows the handshake would otherwise hold the attempt for the
    // kernel's two minutes.
    timeval limit{kConnectTimeoutSeconds, 0};
    bufferevent_set_timeouts(m_pPending, nullptr, &limit);
    errno = 0;
    if (bufferevent_socket_connect(m_pPending, reinterpret_cast<const sockaddr*>(&m_serverAddr),
                                   sizeof m_serverAddr) != 0) {
        int error = errno ? errno : ECONNREFUSED;
        // Failing before any event: go through the same path, but off this call stack.
        std::weak_ptr<Connector> weak = shared_from_this();
        RunInLoop(m_pLoop, [weak, error] {
            if (auto self = weak.lock(); self && self->m_bConnect) self->OnConnectError(error);
        });
    }
}

void Connector::OnConnectEvent(bufferevent* bev, short what, void* arg) {
    auto self = static_cast<std::weak_ptr<Connector>*>(arg)->lock();
    if (!self || bev != self->m_pPending) return;
    if (what & BEV_EVENT_CONNECTED) {
        evutil_socket_t fd = bufferevent_getfd(bev);
        bufferevent_free(bev);  // created without close-on-free: the socket stays open
        self->m_pPending = nullptr;
        self->m_bConnecting = false;
        if (self->m_bConnect && self->m_newConnectionCallback)
            self->m_newConnectionCallback(fd);
        else
            evutil_closesocket(fd);
        return;
    }
    if (what & (BEV_EVENT_ERROR | BEV_EVENT_EOF | BEV_EVENT_TIMEOUT)) {
        int error = EVUTIL_SOCKET_ERROR();
        self->OnConnectError(error ? error : ECONNREFUSED);
    }
}

void Connector::OnConnectError(int error) {
    if (error == EINPROGRESS || error == EINTR || error == EISCONN) {
        m_bConnecting = true;  // the next event settles it
        return;
    }
    // Every other error is worth another try, host unreachable included: networks come
    // back, and the back-off keeps the retries cheap.
    Retry();
}

void Connector::Retry() {
    int failures = ++*m_pFailureCount;
    if (failures > kMaxFailures) {
        // The attempt is left for Stop to cancel, as nothing more is tried from here.
        if (failures == kMaxFailures + 1 && m_giveUpCallback) m_giveUpCallback();
        return;
    }
    DropAttempt();
    if (!m_bConnect) return;
    std::weak_ptr<Connector> weak = shared_from_this();
    if (m_failureCallback) {
        char ip[INET_ADDRSTRLEN] = {};
        inet_ntop(AF_INET, &m_serverAddr.sin_addr, ip, sizeof ip);
        std::string address = ip;
        uint16_t port = ntohs(m_serverAddr.sin_port);
        RunInLoopAfter(m_pLoop, BackoffMs(failures), [weak, address, port] {
            if (auto self = weak.lock(); self && self->m_bConnect && self->m_failureCallback)
                self->m_failureCallback(address, port);
        });
    } else {
        RunInLoopAfter(m_pLoop, BackoffMs(failures), [weak] {
            if (auto self = weak.lock(); self && self->m_bConnect) self->Connect();
        });
    }
}

void Connector::CancelConnect() {
    m_bConnecting = false;
    DropAttempt();
}

void Connector::DropAttempt() {
    m_bConnecting = false;
    if (!m_pPending) return;
    evutil_socket_t fd = bufferevent_getfd(m_pPending);
    bufferevent_free(m_pPending);
    m_pPending = nullptr;
    if (fd >= 0) evutil_closesocket(fd);
}
