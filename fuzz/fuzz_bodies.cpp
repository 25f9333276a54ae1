// Every message body decoder on arbitrary bytes (they come from the network or from a
// file): a decoder either reads the body or throws CParseError, never anything else; what
// it read encodes to no more bytes than it consumed (a text ends at its first NUL, a set
// flag is written as 1), and those bytes decode and encode again unchanged. The first
// input byte picks the body.

#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "foundation/Buffer.h"
#include "foundation/ParseError.h"
#include "protocol/Bodies.h"

namespace {

void Check(bool ok) {
    if (!ok) std::abort();
}

template <class Body, class Decode, class Encode>
void RoundTrip(const uint8_t* data, size_t size, Decode decode, Encode encode) {
    CBuffer in;
    in.Write(data, uint32_t(size));
    Body body;
    try {
        decode(body, in);
    } catch (const CParseError&) {
        return;
    }
    const size_t consumed = size - in.GetLength();
    CBuffer first;
    encode(body, first);
    Check(first.GetLength() <= consumed);
    CBuffer again;
    again.Write(first.GetData(), first.GetLength());
    Body copy;
    decode(copy, again);  // throws, and so fails, if the encoding is not readable
    Check(again.GetLength() == 0);
    CBuffer second;
    encode(copy, second);
    Check(second.GetLength() == first.GetLength());
    Check(std::memcmp(second.GetData(), first.GetData(), first.GetLength()) == 0);
}

template <class Body>
void Plain(const uint8_t* data, size_t size) {
    RoundTrip<Body>(
        data, size, [](Body& b, CBuffer& in) { b.Decode(in); },
        [](const Body& b, CBuffer& out) { b.Encode(out); });
}

void Chunk(const uint8_t* data, size_t size, const wire::ChunkScheme& scheme, bool inDownload) {
    RoundTrip<wire::ChunkReply>(
        data, size, [&](wire::ChunkReply& b, CBuffer& in) { b.Decode(in, scheme, inDownload); },
        [&](const wire::ChunkReply& b, CBuffer& out) { b.Encode(out, scheme, inDownload); });
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0 || size > (1u << 20)) return 0;
    const uint8_t pick = data[0];
    ++data;
    --size;
    switch (pick % 26) {
        case 0: Plain<wire::LoginRequest>(data, size); break;
        case 1: Plain<wire::LoginReply>(data, size); break;
        case 2: Plain<wire::CodeTableRequest>(data, size); break;
        case 3: Plain<wire::ExRightsRequest>(data, size); break;
        case 4: Chunk(data, size, wire::kCodeTableChunks, false); break;
        case 5: Chunk(data, size, wire::kExRightsChunks, false); break;
        case 6: Chunk(data, size, wire::kExRightsChunks, true); break;
        case 7: Plain<wire::HistoryChunkReply>(data, size); break;
        case 8: Plain<wire::HistoryRequest>(data, size); break;
        case 9: Plain<wire::HistoryContent>(data, size); break;
        case 10: Plain<wire::HistoryReply>(data, size); break;
        case 11: Plain<wire::UpdateRequest>(data, size); break;
        case 12: Plain<wire::UpdateReply>(data, size); break;
        case 13: Plain<wire::TrainingBarsRequest>(data, size); break;
        case 14: Plain<wire::RangeRequest>(data, size); break;
        case 15: Plain<wire::RandomWindowRequest>(data, size); break;
        case 16: Plain<wire::WindowReply>(data, size); break;
        case 17: Plain<wire::SupportRangeRequest>(data, size); break;
        case 18: Plain<wire::SupportRangeReply>(data, size); break;
        case 19: Plain<wire::DataRangeRequest>(data, size); break;
        case 20: Plain<wire::DataRangeReply>(data, size); break;
        case 21: Plain<wire::CandidatesRequest>(data, size); break;
        case 22: Plain<wire::CandidatesReply>(data, size); break;
        case 23: Plain<wire::CodeTableContent>(data, size); break;
        case 24: Plain<wire::ExRightsContent>(data, size); break;
        case 25: Plain<wire::TrainingBarsReply>(data, size); break;
    }
    return 0;
}
