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
    CDataHead peeked = CDataHead::Decode(raw);
    if (!peeked.HasValidMarker()) return FrameResult::kBadMarker;
    if (peeked.m_nBodyLength > maxBody) return FrameResult::kOversized;
    if (buffered < CDataHead::kSize + size_t(peeked.m_nBodyLength)) return FrameResult::kNeedMore;
    evbuffer_drain(input, CDataHead::kSize);
    body.Clear();
    if (peeked.m_nBodyLength > 0) {
        uint8_t* into = body.Extend(peeked.m_nBodyLength);
        evbuffer_remove(input, into, peeked.m_nBodyLength);
    }
    head = peeked;
    return FrameResult::kMessage;
}

void AppendMessage(CBuffer& out, uint16_t command, int64_t serial, const uint8_t* body,
                   uint32_t length) {
    CDataHead head;
    head.m_wCommand = command;
    head.m_wSubtype = CDataHead::kRequestSubtype;
    head.m_nSerial = serial;
    head.m_nBodyLength = length;
    head.Encode(out.Extend(CDataHead::kSize));
    if (length) out.Write(body, length);
}

uint8_t CheckByte(const void* data, size_t length) {
    const auto* p = static_cast<const uint8_t*>(data);
    unsigned sum = 0;
    for (size_t i = 0; i < length; ++i) sum += p[i];
    return uint8_t(sum);
}

}  // namespace wire
