#include "protocol/DataHead.h"

#include <atomic>

#include "foundation/Buffer.h"

namespace {
std::atomic<int32_t> g_nSerial{0};

void PutU16(uint8_t* p, uint16_t v) {
    p[0] = uint8_t(v);
    p[1] = uint8_t(v >> 8);
}
void PutU32(uint8_t* p, uint32_t v) {
    for (int i = 0; i < 4; ++i) p[i] = uint8_t(v >> (8 * i));
}
void PutU64(uint8_t* p, uint64_t v) {
    for (int i = 0; i < 8; ++i) p[i] = uint8_t(v >> (8 * i));
}
uint16_t GetU16(const uint8_t* p) {
    return uint16_t(p[0] | (p[1] << 8));
}
uint32_t GetU32(const uint8_t* p) {
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}
uint64_t GetU64(const uint8_t* p) {
    return uint64_t(GetU32(p)) | uint64_t(GetU32(p + 4)) << 32;
}
}  // namespace

int64_t CDataHead::NextSerial() {
    // Wraps like the 32-bit counter it is: fetch_add on a signed atomic wraps, and the
    // increment of the returned value is done unsigned so it wraps too.
    const int32_t previous = g_nSerial.fetch_add(1, std::memory_order_relaxed);
    return int64_t(int32_t(uint32_t(previous) + 1u));
}

CDataHead CDataHead::NewRequest() {
    CDataHead head;
    head.m_nSerial = NextSerial();
    return head;
}

void CDataHead::Encode(uint8_t out[kSize]) const {
    PutU16(out + 0, m_wMarker);
    PutU16(out + 2, m_wCommand);
    PutU16(out + 4, m_wSubtype);
    PutU64(out + 6, uint64_t(m_nSerial));
    PutU32(out + 14, m_nBodyLength);
    PutU16(out + 18, m_wReserved1);
    PutU32(out + 20, m_nReserved2);
    PutU32(out + 24, m_nReserved3);
}

CDataHead CDataHead::Decode(const uint8_t in[kSize]) {
    CDataHead head;
    head.m_wMarker = GetU16(in + 0);
    head.m_wCommand = GetU16(in + 2);
    head.m_wSubtype = GetU16(in + 4);
    head.m_nSerial = int64_t(GetU64(in + 6));
    head.m_nBodyLength = GetU32(in + 14);
    head.m_wReserved1 = GetU16(in + 18);
    head.m_nReserved2 = GetU32(in + 20);
    head.m_nReserved3 = GetU32(in + 24);
    return head;
}

void CDataHead::ReservePlaceholder(CBuffer& buffer) {
    buffer.Extend(uint32_t(kSize));
}

bool CDataHead::WriteToBuffer(CBuffer& buffer, uint16_t command) {
    if (buffer.GetLength() < kSize) return false;
    m_wCommand = command;
    m_wSubtype = kRequestSubtype;
    m_nBodyLength = buffer.GetLength() - uint32_t(kSize);
    Encode(buffer.GetData());
    return true;
}
