#pragma once
// MD5 (RFC 1321), used by the login request and the signed account link.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

struct Md5Context {
    uint32_t count[2];  // bit count, low word first
    uint32_t state[4];
    unsigned char buffer[64];
};

// Sets the RFC's initial state and a zero count.
void Md5Init(Md5Context& ctx);
void Md5Update(Md5Context& ctx, const void* data, size_t length);
// Pads, appends the bit length and writes the digest (the state words, little-endian).
void Md5Final(Md5Context& ctx, unsigned char digest[16]);
// 32 lowercase hexadecimal digits, two per byte in byte order.
std::string Md5HexDigest(const unsigned char digest[16]);

// The hex digest of `data` in one call.
std::string Md5Hex(std::string_view data);
