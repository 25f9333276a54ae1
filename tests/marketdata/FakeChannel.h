#pragma once
// A request channel for tests: records every message sent, keeps the registered reply
// handlers, and replays replies built by the test. Tasks posted by handlers run after
// the handler returns, as the network client runs them after leaving its pending lock.

#include <cstring>
#include <deque>
#include <map>
#include <vector>

#include "foundation/Buffer.h"
#include "foundation/ParseError.h"
#include "protocol/DataHead.h"
#include "marketdata/RequestChannel.h"

class FakeChannel : public CRequestChannel {
public:
    struct Sent {
        CDataHead head;
        std::vector<uint8_t> body;
    };

    FakeChannel() { SetRequestChannel(this); }
    ~FakeChannel() override { SetRequestChannel(nullptr); }

    bool IsConnected() const override { return m_bConnected; }
    void RegisterReply(int64_t serial, OwnerTag owner, ReplyHandler handler) override {
        m_pending[serial] = {owner, std::move(handler)};
    }
    void Send(const uint8_t* data, size_t length) override {
        if (!m_bConnected || length < CDataHead::kSize) return;
        Sent s;
        s.head = CDataHead::Decode(data);
        s.body.assign(data + CDataHead::kSize, data + length);
        m_sent.push_back(std::move(s));
    }
    void CancelPending(OwnerTag owner) override {
        for (auto it = m_pending.begin(); it != m_pending.end();)
            it = it->second.first == owner ? m_pending.erase(it) : std::next(it);
    }
    void Post(std::function<void()> task) override {
        if (m_bDispatching)
            m_posted.push_back(std::move(task));
        else
            task();
    }

    // Delivers one reply message with the given serial; returns the handler's result
    // (true also when no handler was pending: the message is dropped).
    bool Reply(int64_t serial, const CBuffer& body, uint16_t command = 0) {
        auto it = m_pending.find(serial);
        if (it == m_pending.end()) return true;
        CDataHead head;
        head.m_wCommand = command;
        head.m_nSerial = serial;
        head.m_nBodyLength = body.GetLength();
        CBuffer copy;
        copy.Write(body.GetData(), body.GetLength());
        m_bDispatching = true;
        bool done = true;
        try {
            done = it->second.second(head, copy);
        } catch (const CParseError&) {
            done = false;  // the entry stays, like the real client
        }
        m_bDispatching = false;
        if (done) m_pending.erase(serial);
        while (!m_posted.empty()) {
            auto task = std::move(m_posted.front());
            m_posted.pop_front();
            task();
        }
        return done;
    }
    bool IsDispatching() const { return m_bDispatching; }
    bool ReplyToLast(const CBuffer& body) { return Reply(m_sent.back().head.m_nSerial, body); }

    bool m_bConnected = true;
    std::vector<Sent> m_sent;
    std::map<int64_t, std::pair<OwnerTag, ReplyHandler>> m_pending;

private:
    bool m_bDispatching = false;
    std::deque<std::function<void()>> m_posted;
};
