#pragma once
// Owns one connector and the connection it produced, names each connection and wires
// their callbacks. One connection at a time; it never reconnects by itself after a close
// (the network client decides).

#include <mutex>

#include "marketdata/net/Connection.h"
#include "marketdata/net/Connector.h"

class NetClient {
public:
    NetClient(const sockaddr_in& server, RunningLoop* loop, std::string name);
    ~NetClient();
    NetClient(const NetClient&) = delete;
    NetClient& operator=(const NetClient&) = delete;

    void Connect() { m_pConnector->Start(); }
    void Stop() { m_pConnector->Stop(); }

    ConnectionPtr GetConnection() const;
    const std::shared_ptr<Connector>& GetConnector() const { return m_pConnector; }

    Connection::Callback m_establishedCallback = [](const ConnectionPtr&) {};
    Connection::Callback m_closedCallback = [](const ConnectionPtr&) {};
    Connection::ReadCallback m_readCallback;
    Connection::Callback m_writeCompleteCallback;

private:
    void NewConnection(evutil_socket_t socket);
    void RemoveConnection(const ConnectionPtr& connection);

    RunningLoop* m_pLoop;
    std::string m_strName;
    std::shared_ptr<Connector> m_pConnector;
    uint32_t m_nNextId = 0;
    mutable std::mutex m_mutex;
    ConnectionPtr m_pConnection;
    // Lets the connector's callback find out that this client is gone.
    std::shared_ptr<NetClient*> m_pAlive;
};
