#pragma once
// Block-file store: one of the five cache files under "Data/" (bar, day, mk1, mk5,
// trend). For up to 21,840 securities the file keeps one chain of fixed-size records per
// security, stored in fixed-size blocks linked by block number, behind a header that
// carries the whole index. The header is mirrored in memory; a look-up is a binary search
// there, and an append rewrites only the 48-byte counters (when they changed) and the
// security's 148-byte entry.
//
// Layout (little-endian):
//   0      "DataFile" + 24 zero bytes
//   32     u32 block size, u32 blocks in file, u32 next free block, u32 entries in use
//   48     21,840 entries of 148 bytes: u32 market, char code[128], u32 total records,
//          u32 first block, u32 last block, u32 flag
// Block n starts at n * block size: u32 next block (0 = none), u32 records, u32 0, then the
// records.
//
// The file is trusted only as far as it checks out: block numbers outside the data area,
// record counts beyond a block, and loops end a chain's read with the records already
// read; a header that does not describe this store is kept aside and a new file started.

#include <cstdint>
#include <memory>
#include <cstdlib>
#include <mutex>
#include <string>
#include <vector>

#include "marketdata/DayItem.h"
#include "foundation/SortArray.h"

struct CSecusIndex {
    uint32_t m_nMarket = 0;
    char m_szCode[128] = {};
    uint32_t m_nSlot = 0;
};
int SortArrayCompare(const CSecusIndex& a, const CSecusIndex& b);

class CDataFile {
public:
    static constexpr uint32_t kMaxEntries = 21840;
    static constexpr uint32_t kEntrySize = 148;
    static constexpr uint32_t kCounterSize = 48;
    static constexpr uint32_t kHeaderSize = kCounterSize + kMaxEntries * kEntrySize;  // 3,232,368
    static constexpr uint32_t kBlockHeaderSize = 12;
    static constexpr uint32_t kGrowBlocks = 64;

    CDataFile(uint16_t recordSize, uint16_t recordsPerBlock, uint32_t blockSize);
    ~CDataFile();
    CDataFile(const CDataFile&) = delete;
    CDataFile& operator=(const CDataFile&) = delete;

    // Opens the file, or creates it when missing. An existing file whose header does not
    // describe this store (short, wrong name or block size) is renamed aside and a new one
    // created. False when the file can be neither opened nor created, or is held by
    // another process; the store then holds nothing and stores nothing.
    bool Open(const std::string& path);
    void Close();
    bool IsOpen() const;

    // The security's records, oldest first, appended to nothing: out is replaced. Returns
    // the number of records read (a damaged chain gives the sound ones before the damage).
    uint32_t ReadItems(uint32_t market, const std::string& code, std::vector<uint8_t>& out);
    // The same for stores of CDayItem records (record size 32), read straight into out.
    uint32_t ReadDayItems(uint32_t market, const std::string& code, std::vector<CDayItem>& out);

    // Appends records to the security's chain. True when they were stored (also for a
    // count of 0); false when the index is full, the store is not open or a write failed.
    bool AppendItems(uint32_t count, uint32_t market, const std::string& code, const void* records);

    // Clear and append in one step, so that two savers of one security cannot interleave.
    bool ReplaceItems(uint32_t count, uint32_t market, const std::string& code,
                      const void* records);

    // Empties the security's chain; its blocks stay linked and the next append reuses
    // them. True when there was nothing to clear or the entry was written.
    bool ClearItems(uint32_t market, const std::string& code);

    // Records held for the security (0 when it has no entry).
    uint32_t GetItemCount(uint32_t market, const std::string& code);

    uint16_t GetRecordSize() const { return m_nRecordSize; }
    uint16_t GetRecordsPerBlock() const { return m_nRecordsPerBlock; }
    uint32_t GetBlockSize() const { return m_nBlockSize; }
    uint32_t GetHeaderBlocks() const { return m_nHeaderBlocks; }
    uint32_t GetEntriesInUse();
    // The header counters as held in memory (for tests and diagnostics).
    uint32_t GetBlocksInFile();
    uint32_t GetNextFreeBlock();
    // Path the last Open renamed a damaged file to; empty when none.
    const std::string& GetKeptAsidePath() const { return m_strKeptAside; }

private:
    struct Entry {
        uint32_t market;
        char code[128];
        uint32_t total;
        uint32_t first;
        uint32_t last;
        uint32_t flag;
    };

    bool CreateNew();
    bool LoadIndex();
    Entry GetEntry(uint32_t slot) const;
    void PutEntry(uint32_t slot, const Entry& e);
    uint32_t Counter(uint32_t offset) const;
    void SetCounter(uint32_t offset, uint32_t value);
    int FindSlot(uint32_t market, const std::string& code) const;
    int FindOrAddEntry(uint32_t market, const std::string& code);
    bool AllocateBlock(uint32_t& block);
    bool IsDataBlock(uint32_t block) const;
    bool ReadBlockHeader(uint32_t block, uint32_t& next, uint32_t& count);
    uint32_t ReadableRecords(const Entry& e) const;
    void TrimChain(Entry& e);
    uint32_t ReadChain(const Entry& e, uint8_t* out, uint32_t records);
    bool WriteAt(uint64_t offset, const void* data, size_t n);
    bool WriteCounters();
    bool WriteEntry(uint32_t slot);
    bool AppendLocked(uint32_t count, uint32_t market, const std::string& code,
                      const void* records);
    bool ClearLocked(uint32_t market, const std::string& code);

    const uint16_t m_nRecordSize;
    const uint16_t m_nRecordsPerBlock;
    const uint32_t m_nBlockSize;
    const uint32_t m_nHeaderBlocks;
    int m_fd = -1;
    std::string m_strPath;
    std::string m_strKeptAside;
    // Image of the whole header. Zeroed memory from calloc, so the 3 MB cost nothing until
    // used: only the counters and the slots in use are ever read or written.
    struct FreeBytes {
        void operator()(uint8_t* p) const { std::free(p); }
    };
    std::unique_ptr<uint8_t, FreeBytes> m_header;
    void ResetHeader();
    CSortArray<CSecusIndex> m_index;
    std::mutex m_lock;
};
