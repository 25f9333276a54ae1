#pragma once
// LZHUF encoder: the counterpart of CCompress, for the data server and for tests. The
// program itself only decodes.
//
// The result is the u32 little-endian size followed by the bit stream (the last byte
// padded with zero bits). An empty input gives just the four zero bytes of the size:
// the decoder refuses a size of 0, so an empty payload has no compressed form that a
// client accepts; whoever has nothing to send says so in the message itself rather
// than sending a compressed empty block.

#include <cstddef>
#include <cstdint>
#include <vector>

// Throws std::length_error above 0x10000000 bytes, the largest size a decoder accepts.
std::vector<uint8_t> LzhufEncode(const uint8_t* data, size_t size);
