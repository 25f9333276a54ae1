#pragma once
// LZHUF decoding of the compressed blocks this module receives (code table, ex-rights
// table, minute history): u32 decoded size, then the bit stream. False when the stream
// is malformed or does not produce the size it announces.

#include <cstddef>
#include <cstdint>
#include <vector>

bool DecodeLzhuf(const uint8_t* data, size_t length, std::vector<uint8_t>& out);
