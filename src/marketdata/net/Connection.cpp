#include "marketdata/net/Connection.h"

#include <arpa/inet.h>
#include <event2/buffer.h>
#include <event2/bufferevent.h>
#include <event2/event.h>

#include <cstdio>

#include "marketdata/net/EventLoopThread.h"

std::string AddressToText(const sockaddr_in& address) {
    char ip[INET_ADDRSTRLEN] = {};
    inet_ntop(AF_INET, &address.sin_addr, ip, sizeof ip);
    char text[32];
    std::snprintf(text, sizeof text, "%s:%u", ip, unsigned(ntohs(address.sin_port)));
    return text;
}

Connection::Connection(RunningLoop* loop, std::string name, evutil_socket_t socket, uint32_t id,
                       const sockaddr_in& local, const sockaddr_in& peer)
    : m_pLoop(loop), m_nId(id), m_strName(std::move(name)), m_localAddr(local), m_peerAddr(peer) {
    // Thread-safe so that requesters on other threads may append to the output.
    m_pEvent =
        bufferevent_socket_new(loop->m_pBase, socket, BEV_OPT_CLOSE_ON_FREE | BEV_OPT_THREADSAFE);
    m_pInput = bufferevent_get_input(m_pEvent);
    m_pOutput = bufferevent_get_output(m_pEvent);
    m_readCallback = [](const ConnectionPtr&, evbuffer* input, timeval) {
        evbuffer_drain(input, evbuffer_get_length(input));
    };
}

Connection::~Connection() {
    if (m_pEvent) {
        bufferevent_setcb(m_pEvent, nullptr, nullptr, nullptr, nullptr);
        bufferevent_free(m_pEvent);
    }
    delete m_pCallbackSelf;
}

void Connection::ConnectEstablished() {
    m_nState = kConnected;
    if (!m_pCallbackSelf) m_pCallbackSelf = new std::weak_ptr<Connection>(shared_from_this());
    bufferevent_setcb(m_pEvent, OnRead, OnWrite, OnEvent, m_pCallbackSelf);
    bufferevent_enable(m_pEvent, EV_READ | EV_WRITE);
    m_establishedCallback(shared_from_this());
}

void Connection::Close() {
    int state = m_nState.load();
    if (state != kConnected && state != kDisconnecting) return;
    m_nState = kDisconnecting;
    std::weak_ptr<Connection> weak = shared_from_this();
    RunInLoop(m_pLoop, [weak] {
        if (auto self = weak.lock()) {
            int now = self->m_nState.load();
            if (now == kConnected || now == kDisconnecting) self->HandleClose();
        }
    });
}

void Connection::HandleClose() {
    // Exactly one closed callback per connection, whatever path got here first.
    int state = m_nState.exchange(kDisconnected);
    if (state == kDisconnected) return;
    bufferevent_disable(m_pEvent, EV_READ | EV_WRITE);
    auto self = shared_from_this();
    m_closedCallback(self);
    if (m_closeCallback) m_closeCallback(self);
}

void Connection::HandleError() {
    // Any socket error on an established connection leaves it unusable; keeping it
    // marked connected would swallow every request sent afterwards.
    HandleClose();
}

void Connection::ConnectDestroyed() {
    int expected = kConnected;
    if (m_nState.compare_exchange_strong(expected, kDisconnected)) {
        bufferevent_disable(m_pEvent, EV_READ | EV_WRITE);
        m_closedCallback(shared_from_this());
    }
    bufferevent_disable(m_pEvent, EV_READ | EV_WRITE);
}

bool Connection::Send(const void* data, size_t length) {
    if (m_nState.load() != kConnected) return false;
    return bufferevent_write(m_pEvent, data, length) == 0;
}

void Connection::OnRead(bufferevent*, void* arg) {
    auto self = static_cast<std::weak_ptr<Connection>*>(arg)->lock();
    if (!self) return;
    timeval now{};
    event_base_gettimeofday_cached(self->m_pLoop->m_pBase, &now);
    self->m_readCallback(self, self->m_pInput, now);
}

void Connection::OnWrite(bufferevent*, void* arg) {
    auto self = static_cast<std::weak_ptr<Connection>*>(arg)->lock();
    if (self && self->m_writeCompleteCallback) self->m_writeCompleteCallback(self);
}

void Connection::OnEvent(bufferevent*, short what, void* arg) {
    auto self = static_cast<std::weak_ptr<Connection>*>(arg)->lock();
    if (!self) return;
    if (what & (BEV_EVENT_EOF | BEV_EVENT_TIMEOUT))
        self->HandleClose();
    else if (what & BEV_EVENT_ERROR)
        self->HandleError();
    else if (what & BEV_EVENT_CONNECTED)
        self->ConnectEstablished();
}
