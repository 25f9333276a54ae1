#include "protocol/Wire.h"

#include "foundation/Buffer.h"

namespace wire {

FrameResult PeekFrame(const uint8_t* data, size_t buffered, CDataHead& head, uint32_t maxBody) {
    if (buffered < CDataHead::kSize) return FrameResult::kNeedMore;
    CDataHead peeked = CDataHead::Decode(data);
    if (!peeked.HasValidMarker()) return FrameResult::kBadMarker;
    if (peeked.m_nBodyLength > maxBody) return FrameResult::kOversized;
    if (buffered < CDataHead::kSize + size_t(peeked.m_nBodyLength)) return FrameResult::kNeedMore;
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
