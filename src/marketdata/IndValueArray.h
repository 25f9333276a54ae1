#pragma once
// The per-security value block: a self-describing table of values in two sections, one
// byte block laid out exactly as the formula engine and the chart layers read it.
//
//   0    u32 entries in section 1 (17)    4   u32 entries in section 2 (23)
//   8    u32 position of the section-2 directory, from byte 16 (306)
//   12   u32 length of everything after byte 16 (792)
//   16   section-1 directory: 17 x {u16 size, u64 slot}, then its blobs (ids 6, 12, 13)
//   322  section-2 directory: 23 x {u16 size, u64 slot}, then its blobs (ids 1000-1002)
// A size of 0 means the slot holds the value itself; otherwise the slot is the blob's
// position counted from byte 16.

#include <cstddef>
#include <cstdint>
#include <vector>

class IndValueArray {
public:
    static constexpr size_t kBlockSize = 808;

    IndValueArray();
    virtual ~IndValueArray() = default;

    // The 64-bit slot of id (section 1: 0..16, section 2: 1000..1022); 0 for an unknown id.
    int64_t GetValue(int id) const;
    // False for an unknown id or an id that holds a blob.
    bool SetValue(int id, int64_t value);

    // The blob of id and its size; null (size 0) when id has no blob.
    uint8_t* GetBlob(int id, uint16_t* size = nullptr);
    const uint8_t* GetBlob(int id, uint16_t* size = nullptr) const;
    // Copies min(n, blob size) bytes into the blob. False when id has no blob.
    bool SetBlob(int id, const void* data, size_t n);

    // u32 number i of a blob (0 when out of range).
    uint32_t GetBlobU32(int id, int i) const;
    bool SetBlobU32(int id, int i, uint32_t value);

    const uint8_t* GetData() const { return m_block.data(); }

private:
    // Offset of id's directory entry in the block, or 0 when unknown.
    size_t EntryOffset(int id) const;

    std::vector<uint8_t> m_block;
};
