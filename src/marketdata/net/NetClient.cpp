#include "marketdata/net/NetClient.h"

#include <event2/buffer.h>

#include <cstdio>

NetClient::NetClient(const sockaddr_in& server, RunningLoop* loop, std::string name)
    : m_pLoop(loop),
      m_strName(std::move(name)),
      m_pConnector(std::make_shared<Connector>(loop, server)),
      m_pAlive(std::make_shared<NetClient*>(this)) {
    std::weak_ptr<NetClient*> alive = m_pAlive;
    m_pConnector->m_newConnectionCallback = [alive](evutil_socket_t socket) {
        if (auto self = alive.lock())
            (*self)->NewConnection(socket);
        else
            evutil_closesocket(socket);
    };
    m_readCallback = [](const ConnectionPtr&, evbuffer* input, timeval) {
        evbuffer_drain(input, evbuffer_get_length(input));
    };
}

NetClient::~NetClient() {
    m_pConnector->m_newConnectionCallback = nullptr;
    m_pConnector->Stop();
}

ConnectionPtr NetClient::GetConnection() const {
    std::lock_guard lock(m_mutex);
    return m_pConnection;
}

void NetClient::NewConnection(evutil_socket_t socket) {
    sockaddr_in peer{}, local{};
    socklen_t length = sizeof peer;
    getpeername(socket, reinterpret_cast<sockaddr*>(&peer), &length);
    length = sizeof local;
    getsockname(socket, reinterpret_cast<sockaddr*>(&local), &length);

    char name[64];
    std::snprintf(name, sizeof name, "%s#%s_to_%s#%lu", m_strName.c_str(),
                  AddressToText(local).c_str(), AddressToText(peer).c_str(),
                  static_cast<unsigned long>(m_nNextId));
    auto connection = std::make_shared<Connection>(m_pLoop, name, socket, m_nNextId, local, peer);
    ++m_nNextId;

    connection->m_establishedCallback = m_establishedCallback;
    connection->m_closedCallback = m_closedCallback;
    if (m_readCallback) connection->m_readCallback = m_readCallback;
    connection->m_writeCompleteCallback = m_writeCompleteCallback;
    std::weak_ptr<NetClient*> alive = m_pAlive;
    connection->m_closeCallback = [alive](const ConnectionPtr& closed) {
        if (auto self = alive.lock())
            (*self)->RemoveConnection(closed);
        else
            closed->ConnectDestroyed();
    };
    {
        std::lock_guard lock(m_mutex);
        m_pConnection = connection;
    }
    connection->ConnectEstablished();
}

void NetClient::RemoveConnection(const ConnectionPtr& connection) {
    connection->ConnectDestroyed();
    std::lock_guard lock(m_mutex);
    // A late close of an earlier connection must not drop the current one.
    if (m_pConnection == connection) m_pConnection.reset();
}
