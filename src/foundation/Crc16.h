#pragma once
// CRC-16/XMODEM (polynomial 0x1021, initial 0, MSB first, no reflection, no final XOR),
// the checksum kept beside the compressed security list. "123456789" gives 0x31C3.

#include <cstddef>
#include <cstdint>

uint16_t Crc16(size_t len, const uint8_t* data);
