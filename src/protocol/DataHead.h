#pragma once
// The 28-byte header that opens every message on the market-data connection, in both
// directions. Little-endian and packed; the serial sits unaligned at offset 6, so the
// header is always (de)serialised byte by byte, never overlaid on a struct.

#include <cstddef>
#include <cstdint>

class CBuffer;

struct CDataHead {
    static constexpr uint16_t kMarker = 0x1688;
    static constexpr uint16_t kRequestSubtype = 100;
    static constexpr size_t kSize = 28;

    uint16_t m_wMarker = kMarker;
    uint16_t m_wCommand = 0;
    uint16_t m_wSubtype = 0;
    int64_t m_nSerial = 0;
    uint32_t m_nBodyLength = 0;
    uint16_t m_wReserved1 = 0;
    uint32_t m_nReserved2 = 0;
    uint32_t m_nReserved3 = 0;

    // A header with marker set and serial 0: for headers about to be read.
    CDataHead() = default;

    // The header of a new request: takes the next process-wide serial.
    static CDataHead NewRequest();

    // Next value of the process-wide request counter (first call gives 1). The counter is
    // a signed 32-bit value, widened to 64 bits for the wire; safe from any thread.
    static int64_t NextSerial();

    bool HasValidMarker() const { return m_wMarker == kMarker; }

    void Encode(uint8_t out[kSize]) const;
    // Reads the 28 bytes at p; the marker is not checked here (see HasValidMarker).
    static CDataHead Decode(const uint8_t in[kSize]);

    // Finishes a request built as: 28 placeholder bytes, then the body. Sets the command,
    // subtype 100 and the body length (unread length - 28), and copies the header over the
    // first 28 unread bytes. Returns false when the buffer holds fewer than 28 bytes.
    bool WriteToBuffer(CBuffer& buffer, uint16_t command);

    // Appends the 28 placeholder bytes that WriteToBuffer later fills.
    static void ReservePlaceholder(CBuffer& buffer);
};
