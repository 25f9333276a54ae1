#pragma once
// The growable byte queue every wire message and several data files pass through.
// Bytes are appended at the tail and consumed from the head; integers are little-endian;
// strings are a u16 byte count followed by the bytes. A read that finds too few bytes
// throws CParseError and leaves the buffer exactly as it was, so a parser can catch it,
// name the field it was reading, and reject the message or file as short or malformed.

#include <bit>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

#include "foundation/ParseError.h"

static_assert(std::endian::native == std::endian::little,
              "CBuffer copies integers as they lie in memory");

class CBuffer {
public:
    CBuffer();
    ~CBuffer();
    CBuffer(const CBuffer&) = delete;
    CBuffer& operator=(const CBuffer&) = delete;
    CBuffer(CBuffer&& other) noexcept;
    CBuffer& operator=(CBuffer&& other) noexcept;

    // Smallest multiple of the page size that is at least 8 KB; every growth starts there.
    static uint32_t MinimumBlockSize();

    // Makes room for `total` bytes counted from the read offset. Returns the new capacity,
    // or 0 when the room behind the contents already sufficed. Throws std::bad_alloc when
    // `total` cannot be held (above 2 GB) or memory runs out.
    uint32_t Reserve(uint32_t total);
    // Gives memory back after reads: returns the new capacity, or 0 when unchanged. The
    // block halves until it is below twice max(need, shrink floor). Large blocks (256 KB
    // and more) are not copied: they keep the pages around the contents, which then start
    // within the first page, and may keep one page more than the halving gives.
    uint32_t Shrink(uint32_t need);

    // Copies n bytes out (dest may be null to skip them). Consumes them unless in peek
    // mode. Throws CParseError when fewer than n are available.
    uint32_t Read(void* dest, uint32_t n);
    uint8_t ReadUInt8() { return ReadFixed<uint8_t>(); }
    uint16_t ReadUInt16() { return ReadFixed<uint16_t>(); }
    uint32_t ReadUInt32() { return ReadFixed<uint32_t>(); }
    uint64_t ReadUInt64() { return ReadFixed<uint64_t>(); }
    int16_t ReadInt16() { return ReadFixed<int16_t>(); }
    int32_t ReadInt32() { return ReadFixed<int32_t>(); }
    int64_t ReadInt64() { return ReadFixed<int64_t>(); }
    double ReadDouble() { return ReadFixed<double>(); }
    // u16 byte count, then the bytes; the text ends at its first NUL (later bytes are
    // consumed and dropped). Returns the byte count + 2. A count larger than the bytes
    // left throws CParseError without consuming anything.
    int32_t ReadString(std::string& out);

    void Write(const void* src, uint32_t n);
    void WriteUInt8(uint8_t v) { WriteFixed(v); }
    void WriteUInt16(uint16_t v) { WriteFixed(v); }
    void WriteUInt32(uint32_t v) { WriteFixed(v); }
    void WriteUInt64(uint64_t v) { WriteFixed(v); }
    void WriteInt16(int16_t v) { WriteFixed(v); }
    void WriteInt32(int32_t v) { WriteFixed(v); }
    void WriteInt64(int64_t v) { WriteFixed(v); }
    void WriteDouble(double v) { WriteFixed(v); }
    // Returns the byte count + 2. Throws std::length_error for text over 65,535 bytes,
    // which the u16 count cannot describe.
    int32_t WriteString(std::string_view s);
    // Appends n zero bytes and returns where they start (valid until the next write),
    // for fields that are filled in afterwards, such as a message header.
    uint8_t* Extend(uint32_t n);

    // Replaces `path` with the contents (written beside it, then renamed into place, so a
    // failed save keeps the old file). 1 on success, 0 on any failure. Not consuming.
    int SaveToFile(const std::string& path) const;
    // Appends the whole file. 1 on success, 0 when it cannot be opened or read; on 0 the
    // contents are unchanged.
    int AppendFile(const std::string& path);

    // Drops the contents and the peek cursor; keeps the storage.
    void Clear() {
        SetContents(0, 0);
        m_nPeekCursor = 0;
    }
    // The unread bytes.
    uint8_t* GetData() { return m_pRead; }
    const uint8_t* GetData() const { return m_pRead; }
    uint32_t GetLength() const { return Length(); }
    uint32_t GetCapacity() const { return m_nCapacity; }
    uint32_t GetReadOffset() const { return ReadOffset(); }
    bool IsEmpty() const { return m_pRead == m_pEnd; }

private:
    uint8_t* m_pStorage = nullptr;
    // The contents are [m_pRead, m_pEnd) inside the storage. They are kept as pointers,
    // not as offset and length, because a parser stores every field it reads into its own
    // integers: integer members would have to be reloaded after each of those stores,
    // which chains every read to the one before through memory.
    uint8_t* m_pRead = nullptr;
    uint8_t* m_pEnd = nullptr;
    uint32_t m_nCapacity = 0;  // size of the storage block

public:
    // Set directly by owners.
    uint32_t m_nShrinkFloor = 0;   // Shrink never goes below this capacity
    bool m_bShrinkLocked = false;  // never shrink (whole decoded files)
    bool m_bPeekMode = false;      // reads copy without consuming
    uint32_t m_nPeekCursor = 0;    // bytes read in peek mode, from the read offset

private:
    uint32_t Length() const { return static_cast<uint32_t>(m_pEnd - m_pRead); }
    uint32_t ReadOffset() const { return static_cast<uint32_t>(m_pRead - m_pStorage); }
    void SetContents(uint32_t readOffset, uint32_t length) {
        m_pRead = m_pStorage + readOffset;
        m_pEnd = m_pRead + length;
    }

    // Bytes a read may take at the current position, honouring peek mode.
    uint32_t Available() const {
        const uint32_t length = Length();
        if (!m_bPeekMode) return length;
        return m_nPeekCursor <= length ? length - m_nPeekCursor : 0;
    }
    void AfterRead() {
        // Shrink(length) changes something only when the block is at least twice what it
        // must keep; test that here so the common read stays a few instructions.
        if (m_bShrinkLocked || m_pRead == m_pEnd || m_nCapacity <= m_nShrinkFloor) return;
        const uint32_t length = Length();
        uint64_t keep = length > m_nShrinkFloor ? length : m_nShrinkFloor;
        if (m_nCapacity >= 2 * keep) Shrink(length);
    }
    void Relocate(uint32_t newCapacity);
    void ShrinkMapped(uint32_t newCapacity);

    template <class T>
    T ReadFixed() {
        T v;
        if (!m_bPeekMode) [[likely]] {
            if (static_cast<size_t>(m_pEnd - m_pRead) < sizeof(T)) [[unlikely]]
                ThrowShortRead(sizeof(T), static_cast<size_t>(m_pEnd - m_pRead));
            std::memcpy(&v, m_pRead, sizeof(T));
            m_pRead += sizeof(T);
        } else {
            if (Available() < sizeof(T)) ThrowShortRead(sizeof(T), Available());
            std::memcpy(&v, m_pRead + m_nPeekCursor, sizeof(T));
            m_nPeekCursor += sizeof(T);
        }
        AfterRead();
        return v;
    }
    template <class T>
    void WriteFixed(T v) {
        if (static_cast<size_t>(m_pStorage + m_nCapacity - m_pEnd) < sizeof(T)) [[unlikely]]
            Reserve(GrownLength(sizeof(T)));
        std::memcpy(m_pEnd, &v, sizeof(T));
        m_pEnd += sizeof(T);
    }
    uint32_t GrownLength(uint32_t n) const;
};
