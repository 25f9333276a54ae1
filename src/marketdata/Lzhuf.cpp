#include "marketdata/Lzhuf.h"

#include <climits>

#include "foundation/Compress.h"

bool DecodeLzhuf(const uint8_t* data, size_t length, std::vector<uint8_t>& out) {
    out.clear();
    if (!data || length < 4 || length > size_t(INT32_MAX)) return false;
    CCompress decoder(data, int32_t(length));
    if (decoder.Decode() != 1 || !decoder.GetOutput() || decoder.GetOutputLength() < 0)
        return false;
    out.assign(decoder.GetOutput(), decoder.GetOutput() + decoder.GetOutputLength());
    return true;
}
