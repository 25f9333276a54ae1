#include "DataServer.h"

#include <arpa/inet.h>
#include <event2/event.h>
#include <event2/listener.h>
#include <netinet/in.h>

#include <algorithm>
#include <cstdio>

#include "ServerSession.h"
#include "marketdata/net/EventLoopThread.h"

namespace {
constexpr int kFirstAcceptPauseMs = 10;
}  // namespace

CDataServer::CDataServer(CMarketSource& source, const ServerFaults& faults,
                         const ServerLimits& limits)
    : m_source(source), m_faults(faults), m_limits(limits), m_service(source, faults) {
    EnableEventThreads();
    m_pBase = event_base_new();
    m_pAcceptPause = evtimer_new(m_pBase, OnAcceptPauseOver, this);
}

CDataServer::~CDataServer() {
    m_sessions.clear();
    if (m_pListener) evconnlistener_free(m_pListener);
    event_free(m_pAcceptPause);
    event_base_free(m_pBase);
}

bool CDataServer::Listen(uint16_t port, std::string& error) {
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    m_pListener =
        evconnlistener_new_bind(m_pBase, OnAccept, this, LEV_OPT_REUSEABLE | LEV_OPT_CLOSE_ON_FREE,
                                64, reinterpret_cast<sockaddr*>(&address), sizeof address);
    if (!m_pListener) {
        error = "cannot listen on 127.0.0.1:" + std::to_string(port);
        return false;
    }
    evconnlistener_set_error_cb(m_pListener, OnAcceptError);
    socklen_t length = sizeof address;
    getsockname(evconnlistener_get_fd(m_pListener), reinterpret_cast<sockaddr*>(&address), &length);
    m_nPort = ntohs(address.sin_port);
    return true;
}

void CDataServer::Run() {
    event_base_dispatch(m_pBase);
}

void CDataServer::Stop() {
    event_base_loopexit(m_pBase, nullptr);
}

void CDataServer::Log(const std::string& line) {
    if (m_log) m_log(line);
}

void CDataServer::Remove(CServerSession* session) {
    m_sessions.erase(session);
}

void CDataServer::OnAcceptError(evconnlistener* listener, void* arg) {
    auto* self = static_cast<CDataServer*>(arg);
    const int error = EVUTIL_SOCKET_ERROR();
    // Left enabled, the listener would be readable again at once: a busy loop of
    // failures. It waits instead, and tries again after the pause.
    evconnlistener_disable(listener);
    if (self->m_nAcceptFailures++ == 0) {
        self->Log(std::string("accept failed: ") + evutil_socket_error_to_string(error) +
                  "; pausing new connections until it succeeds again");
        self->m_nAcceptPauseMs = kFirstAcceptPauseMs;
    } else {
        self->m_nAcceptPauseMs = std::min(self->m_nAcceptPauseMs * 2, self->m_limits.m_nAcceptPauseMaxMs);
    }
    int ms = std::min(self->m_nAcceptPauseMs, self->m_limits.m_nAcceptPauseMaxMs);
    timeval pause{ms / 1000, (ms % 1000) * 1000};
    evtimer_add(self->m_pAcceptPause, &pause);
}

void CDataServer::OnAcceptPauseOver(int, short, void* arg) {
    auto* self = static_cast<CDataServer*>(arg);
    if (self->m_pListener) evconnlistener_enable(self->m_pListener);
}

void CDataServer::OnAccept(evconnlistener*, int fd, sockaddr*, int, void* arg) {
    auto* self = static_cast<CDataServer*>(arg);
    if (self->m_nAcceptFailures) {
        self->Log("accepting again after " + std::to_string(self->m_nAcceptFailures) +
                  " failed accepts");
        self->m_nAcceptFailures = 0;
        self->m_nAcceptPauseMs = 0;
    }
    auto session = std::make_unique<CServerSession>(*self, fd);
    CServerSession* key = session.get();
    self->m_sessions[key] = std::move(session);
}
