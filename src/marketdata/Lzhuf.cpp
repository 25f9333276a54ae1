#include "marketdata/Lzhuf.h"

#include "foundation/Compress.h"

bool DecodeLzhuf(const uint8_t* data, size_t length, std::vector<uint8_t>& out) {
    out.clear();
    if (!data || length < 4 || length > UINT32_MAX)
        return false;
    CCompress decoder;
    return decoder.Decode(data, uint32_t(length), out);
}
