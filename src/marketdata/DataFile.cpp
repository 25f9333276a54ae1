#include "marketdata/DataFile.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "foundation/AtomicFile.h"

namespace {
constexpr uint32_t kOffBlockSize = 32;
constexpr uint32_t kOffBlocksInFile = 36;
constexpr uint32_t kOffNextFree = 40;
constexpr uint32_t kOffEntries = 44;
constexpr char kName[] = "DataFile";

uint32_t LoadU32(const uint8_t* p) {
    uint32_t v;
    memcpy(&v, p, 4);
    return v;
}
void StoreU32(uint8_t* p, uint32_t v) {
    memcpy(p, &v, 4);
}

// A positional read or write (io, pread or pwrite) carried to the end over short
// transfers and interruptions; false on an error or at the end of the file.
template <class Byte, class Io>
bool TransferFully(Byte* p, size_t n, uint64_t offset, Io io) {
    while (n > 0) {
        ssize_t done = io(p, n, off_t(offset));
        if (done < 0 && errno == EINTR) continue;
        if (done <= 0) return false;
        p += done;
        n -= size_t(done);
        offset += uint64_t(done);
    }
    return true;
}

bool ReadFully(int fd, void* buf, size_t n, uint64_t offset) {
    return TransferFully(static_cast<uint8_t*>(buf), n, offset,
                         [fd](uint8_t* p, size_t len, off_t at) { return pread(fd, p, len, at); });
}
}  // namespace

int SortArrayCompare(const CSecusIndex& a, const CSecusIndex& b) {
    if (int32_t(a.m_nMarket) != int32_t(b.m_nMarket))
        return int32_t(a.m_nMarket) < int32_t(b.m_nMarket) ? -1 : 1;
    int c = strncmp(a.m_szCode, b.m_szCode, sizeof a.m_szCode);  // compares as unsigned char
    return c < 0 ? -1 : c > 0 ? 1 : 0;
}

CDataFile::CDataFile(uint16_t recordSize, uint16_t recordsPerBlock, uint32_t blockSize)
    : m_nRecordSize(recordSize),
      m_nRecordsPerBlock(recordsPerBlock),
      m_nBlockSize(blockSize),
      m_nHeaderBlocks((blockSize + kHeaderSize - 1) / blockSize) {
    ResetHeader();
    SetCounter(kOffBlockSize, m_nBlockSize);
    SetCounter(kOffBlocksInFile, m_nHeaderBlocks);
    SetCounter(kOffNextFree, m_nHeaderBlocks);
    SetCounter(kOffEntries, 0);
}

void CDataFile::ResetHeader() {
    m_header.reset(static_cast<uint8_t*>(std::calloc(kHeaderSize, 1)));
    if (!m_header) throw std::bad_alloc();
    memcpy(m_header.get(), kName, 8);
}

CDataFile::~CDataFile() {
    Close();
}

void CDataFile::Close() {
    std::lock_guard lock(m_lock);
    if (m_fd >= 0) {
        ::close(m_fd);  // releases the flock as well
        m_fd = -1;
    }
}

bool CDataFile::IsOpen() const {
    return m_fd >= 0;
}

uint32_t CDataFile::Counter(uint32_t offset) const {
    return LoadU32(m_header.get() + offset);
}
void CDataFile::SetCounter(uint32_t offset, uint32_t value) {
    StoreU32(m_header.get() + offset, value);
}

CDataFile::Entry CDataFile::GetEntry(uint32_t slot) const {
    Entry e;
    const uint8_t* p = m_header.get() + kCounterSize + size_t(slot) * kEntrySize;
    e.market = LoadU32(p);
    memcpy(e.code, p + 4, sizeof e.code);
    e.code[sizeof e.code - 1] = 0;
    e.total = LoadU32(p + 132);
    e.first = LoadU32(p + 136);
    e.last = LoadU32(p + 140);
    e.flag = LoadU32(p + 144);
    return e;
}

void CDataFile::PutEntry(uint32_t slot, const Entry& e) {
    uint8_t* p = m_header.get() + kCounterSize + size_t(slot) * kEntrySize;
    StoreU32(p, e.market);
    memcpy(p + 4, e.code, sizeof e.code);
    StoreU32(p + 132, e.total);
    StoreU32(p + 136, e.first);
    StoreU32(p + 140, e.last);
    StoreU32(p + 144, e.flag);
}

bool CDataFile::Open(const std::string& path) {
    std::unique_lock lock(m_lock);
    if (m_fd >= 0) {
        ::close(m_fd);
        m_fd = -1;
    }
    m_strPath = path;
    m_strKeptAside.clear();
    m_index.clear();

    int fd = ::open(path.c_str(), O_RDWR | O_CLOEXEC);
    if (fd < 0) {
        if (errno != ENOENT) return false;
        return CreateNew();
    }
    if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
        ::close(fd);
        return false;
    }
    m_fd = fd;
    if (LoadIndex()) return true;

    // Not a store of this kind, or its header is cut short: keep the bytes for whoever
    // wants to look at them and start afresh.
    ::close(m_fd);
    m_fd = -1;
    m_strKeptAside = KeepAside(path);
    if (m_strKeptAside.empty()) return false;
    return CreateNew();
}

bool CDataFile::CreateNew() {
    int fd = ::open(m_strPath.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    if (fd < 0) return false;
    if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
        ::close(fd);
        return false;
    }
    m_fd = fd;
    ResetHeader();
    SetCounter(kOffBlockSize, m_nBlockSize);
    SetCounter(kOffBlocksInFile, m_nHeaderBlocks);
    SetCounter(kOffNextFree, m_nHeaderBlocks);
    SetCounter(kOffEntries, 0);
    // The entry table is all zeros: the file is extended past it (the filesystem keeps the
    // hole as zeros) and only the counters are written.
    uint8_t zero = 0;
    if (!WriteAt(uint64_t(m_nHeaderBlocks) * m_nBlockSize, &zero, 1) ||
        !WriteAt(0, m_header.get(), kCounterSize)) {
        ::close(m_fd);
        m_fd = -1;
        unlink(m_strPath.c_str());
        return false;
    }
    return true;
}

bool CDataFile::IsDataBlock(uint32_t block) const {
    return block >= m_nHeaderBlocks && block < Counter(kOffBlocksInFile);
}

bool CDataFile::LoadIndex() {
    struct stat st;
    if (fstat(m_fd, &st) != 0 || uint64_t(st.st_size) < kHeaderSize) return false;
    // The counters, then only the slots the counter says are in use: slots past it are
    // free whatever the file holds there, and stay zero in the image.
    ResetHeader();
    if (!ReadFully(m_fd, m_header.get(), kCounterSize, 0)) return false;
    if (memcmp(m_header.get(), kName, 8) != 0 || Counter(kOffBlockSize) != m_nBlockSize)
        return false;
    const uint32_t used = std::min(Counter(kOffEntries), kMaxEntries);
    if (used > 0 && !ReadFully(m_fd, m_header.get() + kCounterSize, size_t(used) * kEntrySize, kCounterSize))
        return false;

    // Counters: the data area is what the file really holds; the free pointer must lie
    // past every block an entry names, or an allocation would hand out a block in use.
    uint64_t fileBlocks = uint64_t(st.st_size) / m_nBlockSize;
    uint32_t blocksInFile = Counter(kOffBlocksInFile);
    if (blocksInFile < m_nHeaderBlocks || blocksInFile > fileBlocks)
        blocksInFile = uint32_t(
            std::max<uint64_t>(m_nHeaderBlocks, std::min<uint64_t>(fileBlocks, UINT32_MAX)));
    SetCounter(kOffBlocksInFile, blocksInFile);
    uint32_t entries = std::min(Counter(kOffEntries), kMaxEntries);
    SetCounter(kOffEntries, entries);

    // Slots past the last one ever written are free, whatever the counter claims.
    while (entries > 0) {
        Entry e = GetEntry(entries - 1);
        if (e.market != 0 || e.code[0] != 0 || e.first != 0 || e.total != 0) break;
        --entries;
    }
    SetCounter(kOffEntries, entries);

    uint32_t nextFree = std::clamp(Counter(kOffNextFree), m_nHeaderBlocks, blocksInFile);
    std::vector<CSecusIndex> index;
    index.reserve(entries);
    for (uint32_t slot = 0; slot < entries; ++slot) {
        Entry e = GetEntry(slot);  // also terminates the code
        if (e.first == 0 || !IsDataBlock(e.first)) {
            // A chain that starts outside the data area holds nothing usable.
            e.total = 0;
            e.first = e.last = 0;
        } else if (!IsDataBlock(e.last)) {
            // It ends outside: keep the sound front of the chain and end it there, so the
            // next append neither loses those records nor writes outside the data area.
            TrimChain(e);
        }
        if (e.first != 0) nextFree = std::max(nextFree, std::max(e.first, e.last) + 1);
        PutEntry(slot, e);
        CSecusIndex item;
        item.m_nMarket = e.market;
        memcpy(item.m_szCode, e.code, sizeof item.m_szCode);
        item.m_nSlot = slot;
        index.push_back(item);
    }
    if (nextFree > blocksInFile) SetCounter(kOffBlocksInFile, nextFree);
    SetCounter(kOffNextFree, nextFree);

    // Entries arrive in slot order; sort once instead of inserting one by one. A repeated
    // key keeps its first slot, as an ordered insert would.
    std::stable_sort(index.begin(), index.end(), [](const CSecusIndex& a, const CSecusIndex& b) {
        return SortArrayCompare(a, b) < 0;
    });
    index.erase(std::unique(index.begin(), index.end(),
                            [](const CSecusIndex& a, const CSecusIndex& b) {
                                return SortArrayCompare(a, b) == 0;
                            }),
                index.end());
    m_index.assign(index.begin(), index.end());
    return true;
}

int CDataFile::FindSlot(uint32_t market, const std::string& code) const {
    if (code.size() >= sizeof(CSecusIndex::m_szCode)) return -1;
    CSecusIndex probe;
    probe.m_nMarket = market;
    memcpy(probe.m_szCode, code.data(), code.size());
    int i = m_index.Find(probe);
    return i < 0 ? -1 : int(m_index[i].m_nSlot);
}

int CDataFile::FindOrAddEntry(uint32_t market, const std::string& code) {
    int slot = FindSlot(market, code);
    if (slot >= 0) return slot;
    uint32_t entries = Counter(kOffEntries);
    if (entries >= kMaxEntries || code.size() >= sizeof(CSecusIndex::m_szCode) ||
        code.find('\0') != std::string::npos)
        return -1;
    Entry e = {};
    e.market = market;
    memcpy(e.code, code.data(), code.size());
    PutEntry(entries, e);
    SetCounter(kOffEntries, entries + 1);
    CSecusIndex item;
    item.m_nMarket = market;
    memcpy(item.m_szCode, code.data(), code.size());
    item.m_nSlot = entries;
    m_index.Insert(item);
    return int(entries);
}

bool CDataFile::WriteAt(uint64_t offset, const void* data, size_t n) {
    return TransferFully(
        static_cast<const uint8_t*>(data), n, offset,
        [fd = m_fd](const uint8_t* p, size_t len, off_t at) { return pwrite(fd, p, len, at); });
}

bool CDataFile::WriteCounters() {
    return WriteAt(0, m_header.get(), kCounterSize);
}

bool CDataFile::WriteEntry(uint32_t slot) {
    return WriteAt(kCounterSize + uint64_t(slot) * kEntrySize,
                   m_header.get() + kCounterSize + size_t(slot) * kEntrySize, kEntrySize);
}

bool CDataFile::AllocateBlock(uint32_t& block) {
    uint32_t nextFree = Counter(kOffNextFree);
    uint32_t blocksInFile = Counter(kOffBlocksInFile);
    if (nextFree == UINT32_MAX) return false;
    if (nextFree >= blocksInFile) {
        // Grow in steps of 64 blocks by writing one byte past them; the blocks themselves
        // are never written here.
        uint64_t grown = uint64_t(blocksInFile) + kGrowBlocks;
        if (grown > UINT32_MAX) return false;
        uint8_t zero = 0;
        if (!WriteAt(grown * m_nBlockSize, &zero, 1)) return false;
        SetCounter(kOffBlocksInFile, uint32_t(grown));
    }
    block = nextFree;
    SetCounter(kOffNextFree, nextFree + 1);
    return true;
}

bool CDataFile::ReadBlockHeader(uint32_t block, uint32_t& next, uint32_t& count) {
    uint8_t h[kBlockHeaderSize];
    if (!IsDataBlock(block) || !ReadFully(m_fd, h, sizeof h, uint64_t(block) * m_nBlockSize))
        return false;
    next = LoadU32(h);
    count = LoadU32(h + 4);
    return true;
}

uint32_t CDataFile::ReadChain(const Entry& e, uint8_t* out, uint32_t records) {
    uint32_t got = 0;
    uint32_t block = e.first;
    std::vector<uint32_t> visited;
    while (got < records) {
        if (std::find(visited.begin(), visited.end(), block) != visited.end())
            break;  // a loop: what came before it is all there is
        visited.push_back(block);
        uint32_t next, count;
        if (!ReadBlockHeader(block, next, count) || count == 0 || count > m_nRecordsPerBlock) break;
        uint32_t n = std::min(records - got, count);
        if (!ReadFully(m_fd, out + size_t(got) * m_nRecordSize, size_t(n) * m_nRecordSize,
                       uint64_t(block) * m_nBlockSize + kBlockHeaderSize))
            break;
        got += n;
        block = next;
    }
    return got;
}

void CDataFile::TrimChain(Entry& e) {
    uint32_t got = 0, block = e.first, last = e.first;
    std::vector<uint32_t> visited;
    while (got < e.total && std::find(visited.begin(), visited.end(), block) == visited.end()) {
        visited.push_back(block);
        uint32_t next, count;
        if (!ReadBlockHeader(block, next, count) || count == 0 || count > m_nRecordsPerBlock) break;
        uint32_t n = std::min(e.total - got, count);
        uint64_t end =
            uint64_t(block) * m_nBlockSize + kBlockHeaderSize + uint64_t(n) * m_nRecordSize;
        struct stat st;
        if (fstat(m_fd, &st) != 0 || uint64_t(st.st_size) < end) break;
        got += n;
        last = block;
        if (n < count || got % m_nRecordsPerBlock != 0)
            break;  // only full blocks may be followed by more
        block = next;
    }
    e.total = got;
    e.last = last;
}

uint32_t CDataFile::ReadableRecords(const Entry& e) const {
    // A damaged total must not size the read: no chain holds more than the data area.
    uint64_t room = uint64_t(Counter(kOffBlocksInFile) - m_nHeaderBlocks) * m_nRecordsPerBlock;
    return uint32_t(std::min<uint64_t>(e.total, room));
}

uint32_t CDataFile::ReadItems(uint32_t market, const std::string& code, std::vector<uint8_t>& out) {
    std::lock_guard lock(m_lock);
    out.clear();
    int slot = FindSlot(market, code);
    if (m_fd < 0 || slot < 0) return 0;
    Entry e = GetEntry(uint32_t(slot));
    uint32_t n = ReadableRecords(e);
    if (n == 0) return 0;
    out.resize(size_t(n) * m_nRecordSize);
    uint32_t got = ReadChain(e, out.data(), n);
    out.resize(size_t(got) * m_nRecordSize);
    return got;
}

uint32_t CDataFile::ReadDayItems(uint32_t market, const std::string& code,
                                 std::vector<CDayItem>& out) {
    std::lock_guard lock(m_lock);
    out.clear();
    int slot = FindSlot(market, code);
    if (m_fd < 0 || slot < 0 || m_nRecordSize != sizeof(CDayItem)) return 0;
    Entry e = GetEntry(uint32_t(slot));
    uint32_t n = ReadableRecords(e);
    if (n == 0) return 0;
    out.resize(n);
    uint32_t got = ReadChain(e, reinterpret_cast<uint8_t*>(out.data()), n);
    out.resize(got);
    return got;
}

uint32_t CDataFile::GetItemCount(uint32_t market, const std::string& code) {
    std::lock_guard lock(m_lock);
    int slot = FindSlot(market, code);
    return slot < 0 ? 0 : GetEntry(uint32_t(slot)).total;
}

uint32_t CDataFile::GetEntriesInUse() {
    std::lock_guard lock(m_lock);
    return Counter(kOffEntries);
}
uint32_t CDataFile::GetBlocksInFile() {
    std::lock_guard lock(m_lock);
    return Counter(kOffBlocksInFile);
}
uint32_t CDataFile::GetNextFreeBlock() {
    std::lock_guard lock(m_lock);
    return Counter(kOffNextFree);
}

bool CDataFile::AppendItems(uint32_t count, uint32_t market, const std::string& code,
                            const void* records) {
    std::lock_guard lock(m_lock);
    return AppendLocked(count, market, code, records);
}

bool CDataFile::ReplaceItems(uint32_t count, uint32_t market, const std::string& code,
                             const void* records) {
    std::lock_guard lock(m_lock);
    return ClearLocked(market, code) && AppendLocked(count, market, code, records);
}

bool CDataFile::ClearItems(uint32_t market, const std::string& code) {
    std::lock_guard lock(m_lock);
    return ClearLocked(market, code);
}

bool CDataFile::AppendLocked(uint32_t count, uint32_t market, const std::string& code,
                             const void* records) {
    if (!records || count == 0) return true;
    if (m_fd < 0) return false;
    uint32_t entriesBefore = Counter(kOffEntries);
    int slot = FindOrAddEntry(market, code);
    if (slot < 0) return false;
    bool countersDirty = Counter(kOffEntries) != entriesBefore;
    Entry e = GetEntry(uint32_t(slot));
    if (uint64_t(e.total) + count > UINT32_MAX) return false;

    bool lastIsFresh = false;  // allocated in this call: its old bytes mean nothing
    if (e.first == 0) {
        if (!AllocateBlock(e.first)) return false;
        e.last = e.first;
        e.total = 0;
        lastIsFresh = true;
        countersDirty = true;
    }

    const auto* src = static_cast<const uint8_t*>(records);
    uint32_t remaining = count;
    uint32_t p = e.total % m_nRecordsPerBlock;
    if (e.total > 0 && p == 0) {
        // The last block is full: go on in the block after it, never over it.
        uint32_t next = 0, cnt = 0;
        bool known = ReadBlockHeader(e.last, next, cnt);
        if (!known || !IsDataBlock(next) || next == e.last || next == e.first) {
            if (!AllocateBlock(next)) return false;
            countersDirty = true;
            lastIsFresh = true;
            uint8_t h[kBlockHeaderSize] = {};
            StoreU32(h, next);
            StoreU32(h + 4, m_nRecordsPerBlock);
            if (!WriteAt(uint64_t(e.last) * m_nBlockSize, h, sizeof h)) return false;
        }
        e.last = next;
    }

    while (remaining > 0) {
        uint32_t next = 0, cnt = 0;
        if (lastIsFresh || !ReadBlockHeader(e.last, next, cnt)) next = 0;
        uint32_t room = m_nRecordsPerBlock - p;
        uint32_t n = std::min(remaining, room);
        bool more = remaining > room;
        bool nextIsFresh = false;
        if (!IsDataBlock(next) || next == e.last || next == e.first) next = 0;
        if (more && next == 0) {
            // The chain continues in a new block: a zero or damaged link never leads into
            // the header or back into the chain.
            if (!AllocateBlock(next)) return false;
            countersDirty = true;
            nextIsFresh = true;
        }
        uint8_t h[kBlockHeaderSize] = {};
        StoreU32(h, next);
        StoreU32(h + 4, p + n);
        uint64_t base = uint64_t(e.last) * m_nBlockSize;
        if (!WriteAt(base + kBlockHeaderSize + uint64_t(p) * m_nRecordSize, src,
                     size_t(n) * m_nRecordSize) ||
            !WriteAt(base, h, sizeof h))
            return false;
        src += size_t(n) * m_nRecordSize;
        remaining -= n;
        p = 0;
        if (more) {
            e.last = next;
            lastIsFresh = nextIsFresh;
        }
    }
    e.total += count;
    e.flag = 0;
    PutEntry(uint32_t(slot), e);
    if (countersDirty && !WriteCounters()) return false;
    return WriteEntry(uint32_t(slot));
}

bool CDataFile::ClearLocked(uint32_t market, const std::string& code) {
    int slot = FindSlot(market, code);
    if (m_fd < 0 || slot < 0) return true;
    Entry e = GetEntry(uint32_t(slot));
    if (e.total == 0) return true;
    e.total = 0;
    e.flag = 0;
    e.last = e.first;
    PutEntry(uint32_t(slot), e);
    return WriteEntry(uint32_t(slot));
}
