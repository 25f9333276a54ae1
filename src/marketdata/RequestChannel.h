#pragma once
// The narrow waist between the market-data objects that ask the server for something
// (series, code table, ex-rights table, training windows) and the network client that
// carries the bytes. The network client implements it; tests plug in a fake that records
// the request bytes and replays canned replies.
//
// Threads: IsConnected, NewSerial, RegisterReply, Send and CancelPending may be called from
// any thread. Reply handlers and posted tasks run on the network thread.

#include <compare>
#include <cstddef>
#include <cstdint>
#include <functional>

class CBuffer;
struct CDataHead;

// Who registered a reply handler or subscribed to a series: an object's address and a
// second number (0 for most owners). Kept apart rather than packed into 64 bits, because
// an address alone already needs all 64.
struct OwnerTag {
    uintptr_t m_nOwner = 0;
    uint32_t m_nId = 0;

    OwnerTag() = default;
    OwnerTag(const void* owner, uint32_t id = 0)
        : m_nOwner(reinterpret_cast<uintptr_t>(owner)), m_nId(id) {}

    friend bool operator==(const OwnerTag&, const OwnerTag&) = default;
    friend auto operator<=>(const OwnerTag&, const OwnerTag&) = default;
};

// Called with the reply's header and body for every message carrying the request's
// serial. Returns true when the reply is complete (the handler is then dropped), false
// while more messages with the same serial are expected. The body is only valid during
// the call. A handler may throw CParseError on a short or malformed body: the channel
// catches it, logs what and where, keeps the entry and goes on with the next message.
using ReplyHandler = std::function<bool(const CDataHead& head, CBuffer& body)>;

class CRequestChannel {
public:
    virtual ~CRequestChannel() = default;

    // True when a connection is established and ready for requests (login handshake
    // included). Requesters test it first and take their offline path otherwise.
    virtual bool IsConnected() const = 0;

    // Enters handler under serial, replacing an earlier one, before the request is sent,
    // so that no reply can arrive before its entry exists.
    virtual void RegisterReply(int64_t serial, OwnerTag owner, ReplyHandler handler) = 0;

    // Writes a complete message (header and body). Discarded when not connected; a
    // handler registered for it then stays until a disconnect or CancelPending.
    virtual void Send(const uint8_t* data, size_t length) = 0;

    // Drops every pending handler registered under owner; none of them is called after
    // this returns. Never waits: one that is running now (on the network thread, which
    // may be waiting for the caller) finishes, so handlers hold their owners weakly.
    virtual void CancelPending(OwnerTag owner) = 0;

    // Runs task on the network thread after the reply dispatch in progress has left the
    // pending-reply lock (at once, on that thread, when no dispatch is in progress).
    // Reply handlers use it for slow or re-entrant follow-ups: file writes, subscriber
    // callbacks, further requests.
    virtual void Post(std::function<void()> task) = 0;

    // A fresh serial from the process-wide counter (CDataHead::NextSerial).
    static int64_t NewSerial();
};

// The process-wide channel: null while there is no network client (offline). The owner
// sets it when the client exists and clears it before the client is destroyed.
CRequestChannel* GetRequestChannel();
void SetRequestChannel(CRequestChannel* channel);

// The channel when it is set and connected, else null: the test every request builder
// makes before it builds a request.
CRequestChannel* GetConnectedChannel();
