#include "DataServer.h"

#include <arpa/inet.h>
#include <event2/event.h>
#include <event2/listener.h>
#include <netinet/in.h>

#include <cstdio>

#include "ServerSession.h"
#include "marketdata/net/EventLoopThread.h"

CDataServer::CDataServer(CMarketSource& source, const ServerFaults& faults)
    : m_source(source), m_faults(faults), m_service(source, faults) {
    EnableEventThreads();
    m_pBase = event_base_new();
}

CDataServer::~CDataServer() {
    m_sessions.clear();
    if (m_pListener) evconnlistener_free(m_pListener);
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

void CDataServer::OnAccept(evconnlistener*, int fd, sockaddr*, int, void* arg) {
    auto* self = static_cast<CDataServer*>(arg);
    auto session = std::make_unique<CServerSession>(*self, fd);
    CServerSession* key = session.get();
    self->m_sessions[key] = std::move(session);
}
