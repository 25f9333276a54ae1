#include "marketdata/net/WireProtocol.h"

#include <event2/buffer.h>

#include "foundation/Buffer.h"

namespace wire {

FrameResult TakeMessage(evbuffer* input, CDataHead& head, CBuffer& body, uint32_t maxBody) {
    size_t buffered = evbuffer_get_length(input);
    if (buffered < CDataHead::kSize) return FrameResult::kNeedMore;
    uint8_t raw[CDataHead::kSize];
    if (evbuffer_copyout(input, raw, sizeof raw) != static_cast<ev_ssize_t>(sizeof raw))
        return FrameResult::kBadMarker;
    CDataHead peeked;
    FrameResult result = PeekFrame(raw, buffered, peeked, maxBody);
    if (result != FrameResult::kMessage) return result;
    evbuffer_drain(input, CDataHead::kSize);
    body.Clear();
    if (peeked.m_nBodyLength > 0) {
        uint8_t* into = body.Extend(peeked.m_nBodyLength);
        evbuffer_remove(input, into, peeked.m_nBodyLength);
    }
    head = peeked;
    return FrameResult::kMessage;
}

}  // namespace wire
