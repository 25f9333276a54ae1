// The LZHUF decoder on arbitrary input (it comes from the network), and the encoder's
// output decoding back to the input.

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "foundation/Compress.h"
#include "foundation/LzhufEncoder.h"

namespace {

void DecodeChecked(const uint8_t* data, size_t size) {
    CCompress dec(data, static_cast<int32_t>(size));
    if (dec.Decode() == 1) {
        uint32_t declared;
        std::memcpy(&declared, data, 4);
        // Success means the declared size was produced, overrun by at most one match.
        if (uint32_t(dec.GetOutputLength()) < declared ||
            uint32_t(dec.GetOutputLength()) >= declared + lzhuf::F)
            std::abort();
    } else if (dec.GetOutputLength() != 0) {
        std::abort();
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    DecodeChecked(data, size);
    // Most random size fields are refused at once; fold the size into the plausible range
    // so the bit stream itself gets decoded.
    if (size > 4) {
        std::vector<uint8_t> copy(data, data + size);
        uint32_t declared;
        std::memcpy(&declared, data, 4);
        declared = 1 + declared % uint32_t(48 * (size - 4));
        std::memcpy(copy.data(), &declared, 4);
        DecodeChecked(copy.data(), copy.size());
    }
    if (size > 0) {
        std::vector<uint8_t> packed = LzhufEncode(data, size);
        CCompress dec(packed.data(), static_cast<int32_t>(packed.size()));
        if (dec.Decode() != 1 || size_t(dec.GetOutputLength()) != size ||
            std::memcmp(dec.GetOutput(), data, size) != 0)
            std::abort();
    }
    return 0;
}
