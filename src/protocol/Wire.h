#pragma once
// What the client and tarrow-dataserver share about the wire: command numbers, the flag
// bytes of chunked replies, the bounds every reader enforces, and the framing of the
// byte stream into messages (a 28-byte CDataHead, then its body). The bodies themselves
// are in protocol/Bodies.h.

#include <cstddef>
#include <cstdint>

#include "protocol/DataHead.h"

class CBuffer;

namespace wire {

enum Command : uint16_t {
    kKeepAlive = 100,
    kCodeTable = 10201,
    kRange = 10401,
    kRandomWindow = 10501,
    kHistoryPlain = 10701,
    kHistory = 10801,
    kUpdate = 10901,
    kTrainingBars = 11001,
    kSupportRange = 12001,
    kDataRange = 12101,
    kCandidates = 13001,
    kExRights = 13101,
    kLogin = 13301,
    kGuestLogin = 13401,
};

// Largest body either side accepts. Whole-year minute replies stay far below it; a
// header announcing more is treated as a broken stream, before anything is allocated.
constexpr uint32_t kMaxBodyLength = 32u << 20;
// Largest compressed table a chunked download may announce.
constexpr uint32_t kMaxDownloadLength = 256u << 20;
// A chunk carries a u16 length.
constexpr size_t kMaxChunkLength = 0xFFFF;

// Flag bytes of the chunked replies. The code table and the ex-rights table use the two
// bits the other way round; bar history uses them as the code table does.
constexpr uint8_t kCodeTableCurrent = 1;
constexpr uint8_t kCodeTableFirst = 4;  // u32 total follows
constexpr uint8_t kCodeTableLast = 2;   // u16 checksum follows (after the total)
constexpr uint8_t kExRightsCurrent = 0;
constexpr uint8_t kExRightsFirst = 2;  // u32 total follows
constexpr uint8_t kExRightsLast = 4;
constexpr uint8_t kHistoryFirst = 4;  // u32 announced size follows
constexpr uint8_t kHistoryLast = 2;

// Shared between the client and the account service: the last part of the sign text.
constexpr const char* kSigningKey = "7e41c0d9b25a8f36e0d4a9c17b3f5e28";

enum class FrameResult {
    kNeedMore,   // no whole message buffered yet
    kMessage,    // head and body filled, the message removed from the input
    kBadMarker,  // the stream is not ours or has lost its place: close
    kOversized,  // body length above the bound: close, nothing was allocated
};

// Looks at the start of a byte stream of which `buffered` bytes have arrived; `data`
// holds at least the first min(buffered, 28) of them. kMessage when a whole message is
// there (head filled; it takes 28 + head.m_nBodyLength bytes), kNeedMore when not yet.
// Nothing is consumed: the caller removes the message once it has the body.
FrameResult PeekFrame(const uint8_t* data, size_t buffered, CDataHead& head,
                      uint32_t maxBody = kMaxBodyLength);

// Appends header and body of one message to out. The header gets the command, subtype
// 100, the serial and the body length.
void AppendMessage(CBuffer& out, uint16_t command, int64_t serial, const uint8_t* body,
                   uint32_t length);

// Sum modulo 256 of all bytes: the check byte of a run of bars.
uint8_t CheckByte(const void* data, size_t length);

}  // namespace wire
