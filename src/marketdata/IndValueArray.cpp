#include "marketdata/IndValueArray.h"

#include <cstring>

namespace {
constexpr uint32_t kSection1Count = 17;
constexpr uint32_t kSection2Count = 23;
constexpr uint32_t kDirEntry = 10;
constexpr uint32_t kSection2Dir = 306;  // from byte 16
constexpr uint32_t kBodyLength = 792;

struct BlobRow {
    int id;
    uint16_t size;
};
// Ids that own a blob, in id order within each section; every other id is inline.
constexpr BlobRow kSection1Blobs[] = {{6, 34}, {12, 100}, {13, 2}};
constexpr BlobRow kSection2Blobs[] = {{1000, 16}, {1001, 80}, {1002, 160}};

void PutU16(uint8_t* p, uint16_t v) {
    memcpy(p, &v, 2);
}
void PutU32(uint8_t* p, uint32_t v) {
    memcpy(p, &v, 4);
}
void PutU64(uint8_t* p, uint64_t v) {
    memcpy(p, &v, 8);
}
uint16_t GetU16(const uint8_t* p) {
    uint16_t v;
    memcpy(&v, p, 2);
    return v;
}
uint64_t GetU64(const uint8_t* p) {
    uint64_t v;
    memcpy(&v, p, 8);
    return v;
}
}  // namespace

IndValueArray::IndValueArray() : m_block(kBlockSize, 0) {
    uint8_t* b = m_block.data();
    PutU32(b + 0, kSection1Count);
    PutU32(b + 4, kSection2Count);
    PutU32(b + 8, kSection2Dir);
    PutU32(b + 12, kBodyLength);
    uint64_t pos = kSection1Count * kDirEntry;
    for (const BlobRow& row : kSection1Blobs) {
        uint8_t* e = b + 16 + row.id * kDirEntry;
        PutU16(e, row.size);
        PutU64(e + 2, pos);
        pos += row.size;
    }
    pos = kSection2Dir + kSection2Count * kDirEntry;
    for (const BlobRow& row : kSection2Blobs) {
        uint8_t* e = b + 16 + kSection2Dir + (row.id - 1000) * kDirEntry;
        PutU16(e, row.size);
        PutU64(e + 2, pos);
        pos += row.size;
    }
}

size_t IndValueArray::EntryOffset(int id) const {
    if (id >= 0 && id < int(kSection1Count)) return 16 + size_t(id) * kDirEntry;
    if (id >= 1000 && id < 1000 + int(kSection2Count))
        return 16 + kSection2Dir + size_t(id - 1000) * kDirEntry;
    return 0;
}

int64_t IndValueArray::GetValue(int id) const {
    size_t e = EntryOffset(id);
    return e ? int64_t(GetU64(m_block.data() + e + 2)) : 0;
}

bool IndValueArray::SetValue(int id, int64_t value) {
    size_t e = EntryOffset(id);
    if (!e || GetU16(m_block.data() + e) != 0) return false;
    PutU64(m_block.data() + e + 2, uint64_t(value));
    return true;
}

const uint8_t* IndValueArray::GetBlob(int id, uint16_t* size) const {
    if (size) *size = 0;
    size_t e = EntryOffset(id);
    if (!e) return nullptr;
    uint16_t n = GetU16(m_block.data() + e);
    uint64_t pos = GetU64(m_block.data() + e + 2);
    if (n == 0 || 16 + pos + n > m_block.size()) return nullptr;
    if (size) *size = n;
    return m_block.data() + 16 + pos;
}

uint8_t* IndValueArray::GetBlob(int id, uint16_t* size) {
    return const_cast<uint8_t*>(static_cast<const IndValueArray*>(this)->GetBlob(id, size));
}

bool IndValueArray::SetBlob(int id, const void* data, size_t n) {
    uint16_t size = 0;
    uint8_t* blob = GetBlob(id, &size);
    if (!blob) return false;
    memcpy(blob, data, n < size ? n : size);
    return true;
}

uint32_t IndValueArray::GetBlobU32(int id, int i) const {
    uint16_t size = 0;
    const uint8_t* blob = GetBlob(id, &size);
    if (!blob || i < 0 || size_t(i + 1) * 4 > size) return 0;
    uint32_t v;
    memcpy(&v, blob + i * 4, 4);
    return v;
}

bool IndValueArray::SetBlobU32(int id, int i, uint32_t value) {
    uint16_t size = 0;
    uint8_t* blob = GetBlob(id, &size);
    if (!blob || i < 0 || size_t(i + 1) * 4 > size) return false;
    memcpy(blob + i * 4, &value, 4);
    return true;
}
