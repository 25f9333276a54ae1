#pragma once
// One client connection of tarrow-dataserver: the message protocol, or one HTTP report.

#include <cstdint>
#include <deque>
#include <string>
#include <vector>

#include "foundation/Buffer.h"

struct bufferevent;
struct event;
class CDataServer;

class CServerSession {
public:
    CServerSession(CDataServer& server, int fd);
    ~CServerSession();
    CServerSession(const CServerSession&) = delete;
    CServerSession& operator=(const CServerSession&) = delete;

private:
    enum class Mode { kUnknown, kWire, kHttp };
    struct Pending {
        std::vector<uint8_t> m_bytes;
        int m_nDelayMs = 0;
    };

    static void OnRead(bufferevent*, void* arg);
    static void OnWrite(bufferevent*, void* arg);
    static void OnEvent(bufferevent*, short what, void* arg);
    static void OnTimer(int, short, void* arg);
    static void OnDeadline(int, short, void* arg);

    void ReadWire();
    void ReadHttp();
    void Handle(uint16_t command, int64_t serial, CBuffer& body);
    void Queue(std::vector<uint8_t> bytes, int delayMs);
    void Pump();
    void CloseWhenFlushed();
    void Close();
    // Sets the time by which the client must have done something: finish the message it
    // began (the message timeout, from its first byte: a trickle does not extend it), or
    // send one (the message timeout before the login, the idle timeout after).
    void ArmDeadline(bool messageComplete);

    CDataServer& m_server;
    bufferevent* m_pEvent = nullptr;
    event* m_pTimer = nullptr;
    event* m_pDeadline = nullptr;
    bool m_bPartial = false;  // a message has begun and is not complete
    Mode m_mode = Mode::kUnknown;
    std::string m_strPeer;
    std::deque<Pending> m_queue;
    bool m_bTimerArmed = false;
    bool m_bLoggedIn = false;
    bool m_bClosing = false;
    int m_nReceived = 0;
    CBuffer m_body;
};
