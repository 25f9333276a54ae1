#pragma once
// Base64 (RFC 4648 alphabet, '=' padding): stored user names and passwords, proxy
// authentication.

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

// malloc'ed, zero-terminated text of 4 * ceil(n / 3) characters; null when out of memory.
// The caller frees it with free.
char* Base64Encode(const unsigned char* data, size_t n);

// malloc'ed buffer with the decoded bytes followed by at least one zero byte (callers use
// it as a C string); `decodedLength` (when given) receives the byte count. Up to two '='
// at the end are optional. A character outside the alphabet counts as 'A' (value 0).
// Null when out of memory. The caller frees it with free.
unsigned char* Base64Decode(size_t length, const char* text, size_t* decodedLength = nullptr);

std::string Base64EncodeString(std::string_view data);
// The decoded bytes; nullopt when the text holds a character outside the alphabet, '='
// other than as trailing padding, or a lone final character.
std::optional<std::string> Base64DecodeString(std::string_view text);
