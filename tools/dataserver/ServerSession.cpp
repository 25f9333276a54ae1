#include "ServerSession.h"

#include <arpa/inet.h>
#include <event2/buffer.h>
#include <event2/bufferevent.h>
#include <event2/event.h>
#include <netinet/in.h>

#include <cstring>
#include <nlohmann/json.hpp>

#include "DataServer.h"
#include "foundation/ParseError.h"
#include "protocol/DataHead.h"
#include "marketdata/net/WireProtocol.h"

namespace {
constexpr size_t kMaxHttpHead = 16 * 1024;
constexpr size_t kMaxHttpBody = 1 << 20;
constexpr int kSlowChunkMs = 20;
constexpr int kSplitPieceMs = 2;
}  // namespace

CServerSession::CServerSession(CDataServer& server, int fd) : m_server(server) {
    sockaddr_in peer{};
    socklen_t length = sizeof peer;
    getpeername(fd, reinterpret_cast<sockaddr*>(&peer), &length);
    char ip[INET_ADDRSTRLEN] = {};
    inet_ntop(AF_INET, &peer.sin_addr, ip, sizeof ip);
    m_strPeer = std::string(ip) + ":" + std::to_string(ntohs(peer.sin_port));

    m_pEvent = bufferevent_socket_new(server.GetBase(), fd, BEV_OPT_CLOSE_ON_FREE);
    m_pTimer = evtimer_new(server.GetBase(), OnTimer, this);
    m_pDeadline = evtimer_new(server.GetBase(), OnDeadline, this);
    bufferevent_setcb(m_pEvent, OnRead, OnWrite, OnEvent, this);
    bufferevent_enable(m_pEvent, EV_READ | EV_WRITE);
    ArmDeadline(true);
}

CServerSession::~CServerSession() {
    event_free(m_pDeadline);
    event_free(m_pTimer);
    bufferevent_free(m_pEvent);
}

void CServerSession::OnRead(bufferevent*, void* arg) {
    auto* self = static_cast<CServerSession*>(arg);
    if (self->m_bClosing) {
        evbuffer* input = bufferevent_get_input(self->m_pEvent);
        evbuffer_drain(input, evbuffer_get_length(input));
        return;
    }
    if (self->m_mode == Mode::kUnknown) {
        evbuffer* input = bufferevent_get_input(self->m_pEvent);
        if (evbuffer_get_length(input) < 4) return;
        char start[4];
        evbuffer_copyout(input, start, 4);
        bool http = !std::memcmp(start, "POST", 4) || !std::memcmp(start, "GET ", 4) ||
                    !std::memcmp(start, "HEAD", 4) || !std::memcmp(start, "PUT ", 4);
        self->m_mode = http ? Mode::kHttp : Mode::kWire;
    }
    if (self->m_mode == Mode::kHttp)
        self->ReadHttp();
    else
        self->ReadWire();
}

void CServerSession::OnWrite(bufferevent*, void* arg) {
    auto* self = static_cast<CServerSession*>(arg);
    if (self->m_bClosing && self->m_queue.empty()) self->Close();
}

void CServerSession::OnEvent(bufferevent*, short what, void* arg) {
    if (what & (BEV_EVENT_EOF | BEV_EVENT_ERROR | BEV_EVENT_TIMEOUT))
        static_cast<CServerSession*>(arg)->Close();
}

void CServerSession::ArmDeadline(bool messageComplete) {
    if (!messageComplete && m_bPartial) return;  // the running message keeps its deadline
    m_bPartial = !messageComplete;
    const ServerLimits& limits = m_server.GetLimits();
    double seconds = m_bPartial || !m_bLoggedIn ? limits.m_fMessageTimeout : limits.m_fIdleTimeout;
    auto micros = int64_t(seconds * 1e6);
    timeval tv{time_t(micros / 1000000), suseconds_t(micros % 1000000)};
    evtimer_add(m_pDeadline, &tv);
}

void CServerSession::OnDeadline(int, short, void* arg) {
    auto* self = static_cast<CServerSession*>(arg);
    const ServerLimits& limits = self->m_server.GetLimits();
    if (self->m_bPartial)
        self->m_server.Log(self->m_strPeer + ": no complete message within " +
                           std::to_string(limits.m_fMessageTimeout) + " s, connection closed");
    else
        self->m_server.Log(self->m_strPeer + ": silent for " +
                           std::to_string(self->m_bLoggedIn ? limits.m_fIdleTimeout
                                                            : limits.m_fMessageTimeout) +
                           " s, connection closed");
    self->Close();  // deletes self
}

void CServerSession::OnTimer(int, short, void* arg) {
    auto* self = static_cast<CServerSession*>(arg);
    self->m_bTimerArmed = false;
    if (!self->m_queue.empty()) self->m_queue.front().m_nDelayMs = 0;
    self->Pump();
}

void CServerSession::ReadWire() {
    evbuffer* input = bufferevent_get_input(m_pEvent);
    CDataHead head;
    while (!m_bClosing) {
        wire::FrameResult result =
            wire::TakeMessage(input, head, m_body, CDataServer::kMaxRequestBody);
        if (result == wire::FrameResult::kNeedMore) {
            // Bytes of a message that has not arrived whole: its clock runs.
            if (evbuffer_get_length(input) > 0) ArmDeadline(false);
            return;
        }
        if (result != wire::FrameResult::kMessage) {
            m_server.Log(m_strPeer + ": " +
                         (result == wire::FrameResult::kBadMarker ? "not a message header"
                                                                  : "request too long") +
                         ", connection closed");
            Close();
            return;
        }
        ++m_nReceived;
        ArmDeadline(true);
        Handle(head.m_wCommand, head.m_nSerial, m_body);
        const int closeAfter = m_server.GetFaults().m_nCloseAfter;
        if (closeAfter > 0 && m_nReceived >= closeAfter) {
            m_server.Log(m_strPeer + ": closing after " + std::to_string(m_nReceived) +
                         " messages (fault)");
            CloseWhenFlushed();
            return;
        }
    }
}

void CServerSession::Handle(uint16_t command, int64_t serial, CBuffer& body) {
    std::vector<ReplyMessage> replies;
    std::string log;
    try {
        replies = m_server.GetService().Answer(command, body, log);
    } catch (const CParseError& e) {
        m_server.Log(m_strPeer + ": malformed request, not answered: " + e.what());
        return;
    } catch (const std::exception& e) {
        m_server.Log(m_strPeer + ": request " + std::to_string(command) + " failed: " + e.what());
        return;
    }
    if (!log.empty()) m_server.Log(m_strPeer + ": " + log);
    const bool login = command == wire::kLogin || command == wire::kGuestLogin;
    if (login && !replies.empty() && !replies[0].m_body.empty()) {
        m_bLoggedIn = replies[0].m_body[0] == 1;
        ArmDeadline(true);  // the idle timeout from now on
    }
    const ServerFaults& faults = m_server.GetFaults();

    for (size_t i = 0; i < replies.size(); ++i) {
        CBuffer message;
        wire::AppendMessage(message, command, serial, replies[i].m_body.data(),
                            uint32_t(replies[i].m_body.size()));
        std::vector<uint8_t> bytes(message.GetData(), message.GetData() + message.GetLength());
        if (!login && faults.m_bBadMarker) {
            bytes[0] = 0x47;
            bytes[1] = 0x45;
        }
        if (!login && faults.m_bOversized) {
            // A header announcing a body far beyond any bound, and nothing after it.
            const uint32_t huge = 1u << 30;
            std::memcpy(&bytes[14], &huge, 4);
            bytes.resize(CDataHead::kSize);
            Queue(std::move(bytes), 0);
            return;
        }
        if (faults.m_bSplitChunks && bytes.size() > 8) {
            // Header and body cut apart and sent a few milliseconds apart.
            size_t cuts[] = {0, 5, 25, 25 + (bytes.size() - 25) / 2, bytes.size()};
            for (size_t c = 0; c + 1 < std::size(cuts); ++c)
                if (cuts[c + 1] > cuts[c])
                    Queue(std::vector<uint8_t>(bytes.begin() + long(cuts[c]),
                                               bytes.begin() + long(cuts[c + 1])),
                          kSplitPieceMs);
        } else {
            Queue(std::move(bytes),
                  replies[i].m_bChunk && faults.m_bSlowChunks && i > 0 ? kSlowChunkMs : 0);
        }
        if (replies[i].m_bChunk && faults.m_bCutDownload && replies.size() > 1) {
            m_server.Log(m_strPeer + ": download cut after its first chunk (fault)");
            CloseWhenFlushed();
            return;
        }
    }
}

void CServerSession::Queue(std::vector<uint8_t> bytes, int delayMs) {
    m_queue.push_back({std::move(bytes), delayMs});
    Pump();
}

void CServerSession::Pump() {
    while (!m_queue.empty()) {
        Pending& front = m_queue.front();
        if (front.m_nDelayMs > 0) {
            if (!m_bTimerArmed) {
                timeval tv{0, front.m_nDelayMs * 1000};
                evtimer_add(m_pTimer, &tv);
                m_bTimerArmed = true;
            }
            return;
        }
        bufferevent_write(m_pEvent, front.m_bytes.data(), front.m_bytes.size());
        m_queue.pop_front();
    }
    if (m_bClosing && evbuffer_get_length(bufferevent_get_output(m_pEvent)) == 0) Close();
}

void CServerSession::CloseWhenFlushed() {
    m_bClosing = true;
    bufferevent_disable(m_pEvent, EV_READ);
    if (m_queue.empty() && evbuffer_get_length(bufferevent_get_output(m_pEvent)) == 0) Close();
}

void CServerSession::Close() {
    m_server.Remove(this);  // deletes this
}

void CServerSession::ReadHttp() {
    evbuffer* input = bufferevent_get_input(m_pEvent);
    size_t length = evbuffer_get_length(input);
    const char* data = reinterpret_cast<const char*>(evbuffer_pullup(input, -1));
    std::string_view text(data, length);
    size_t headEnd = text.find("\r\n\r\n");
    if (headEnd == std::string_view::npos) {
        if (length > kMaxHttpHead) Close();
        return;
    }
    std::string_view head = text.substr(0, headEnd);
    // Copied: the input is drained below, and the view would point into freed memory.
    const std::string requestLine(head.substr(0, head.find("\r\n")));
    size_t contentLength = 0;
    for (size_t pos = head.find("\r\n"); pos != std::string_view::npos;) {
        size_t next = head.find("\r\n", pos + 2);
        std::string line(head.substr(
            pos + 2, next == std::string_view::npos ? std::string_view::npos : next - pos - 2));
        for (size_t i = 0; i < line.size() && line[i] != ':'; ++i)
            line[i] = char(std::tolower(static_cast<unsigned char>(line[i])));
        if (line.starts_with("content-length:")) {
            try {
                contentLength = std::stoul(line.substr(15));
            } catch (...) {
                contentLength = kMaxHttpBody + 1;
            }
        }
        pos = next;
    }
    if (contentLength > kMaxHttpBody) {
        Close();
        return;
    }
    if (length < headEnd + 4 + contentLength) return;
    std::string body(text.substr(headEnd + 4, contentLength));
    evbuffer_drain(input, length);

    std::string status = "404 Not Found";
    if (requestLine.starts_with("POST /action/msg ")) {
        status = "200 OK";
        nlohmann::json parsed = nlohmann::json::parse(body, nullptr, false);
        m_server.Log("report " + (parsed.is_discarded() ? body : parsed.dump()));
    }
    std::string answer = "HTTP/1.1 " + status +
                         "\r\nContent-Type: text/plain\r\nContent-Length: 2\r\n"
                         "Connection: close\r\n\r\nok";
    Queue(std::vector<uint8_t>(answer.begin(), answer.end()), 0);
    CloseWhenFlushed();
}
