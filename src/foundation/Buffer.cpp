#include "foundation/Buffer.h"

#include "foundation/AtomicFile.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <new>
#include <stdexcept>
#include <vector>

namespace {

uint32_t PageSize() {
    static const uint32_t page = [] {
        long p = sysconf(_SC_PAGESIZE);
        return p > 0 ? static_cast<uint32_t>(p) : 4096u;
    }();
    return page;
}

// Blocks are page-aligned and a whole number of pages, like the virtual-memory blocks
// this buffer was designed around. Large blocks are anonymous mappings of their own: they
// grow with mremap (no copy) and shrink by unmapping the consumed pages in front of the
// contents and the unneeded ones behind them, so reading a large reply does not copy
// what remains each time the block halves. Small blocks come from the heap.
constexpr uint32_t kMapThreshold = 256 * 1024;

bool IsMapped(uint32_t capacity) {
    return capacity >= kMapThreshold;
}

size_t BlockBytes(uint32_t capacity) {
    size_t page = PageSize();
    return (static_cast<size_t>(capacity) + page - 1) / page * page;
}

uint8_t* AllocateBlock(uint32_t capacity) {
    void* p;
    if (IsMapped(capacity)) {
        p = ::mmap(nullptr, BlockBytes(capacity), PROT_READ | PROT_WRITE,
                   MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
        if (p == MAP_FAILED) p = nullptr;
    } else {
        p = std::aligned_alloc(PageSize(), BlockBytes(capacity));
    }
    if (!p) throw std::bad_alloc();
    return static_cast<uint8_t*>(p);
}

void FreeBlock(uint8_t* p, uint32_t capacity) {
    if (!p) return;
    if (IsMapped(capacity))
        ::munmap(p, BlockBytes(capacity));
    else
        std::free(p);
}

// Largest block the u32 capacity can describe after doubling.
constexpr uint64_t kMaxCapacity = 0x80000000ull;

}  // namespace

uint32_t CBuffer::MinimumBlockSize() {
    static const uint32_t minimum = [] {
        uint32_t page = PageSize();
        return (8192 + page - 1) / page * page;
    }();
    return minimum;
}

CBuffer::CBuffer() {
    MinimumBlockSize();
}

CBuffer::~CBuffer() {
    FreeBlock(m_pStorage, m_nCapacity);
}

CBuffer::CBuffer(CBuffer&& other) noexcept
    : m_pStorage(other.m_pStorage),
      m_pRead(other.m_pRead),
      m_pEnd(other.m_pEnd),
      m_nCapacity(other.m_nCapacity),
      m_nShrinkFloor(other.m_nShrinkFloor),
      m_bShrinkLocked(other.m_bShrinkLocked),
      m_bPeekMode(other.m_bPeekMode),
      m_nPeekCursor(other.m_nPeekCursor) {
    other.m_pStorage = other.m_pRead = other.m_pEnd = nullptr;
    other.m_nCapacity = other.m_nShrinkFloor = 0;
    other.m_nPeekCursor = 0;
    other.m_bShrinkLocked = other.m_bPeekMode = false;
}

CBuffer& CBuffer::operator=(CBuffer&& other) noexcept {
    if (this != &other) {
        CBuffer moved(std::move(other));
        std::swap(m_pStorage, moved.m_pStorage);
        std::swap(m_pRead, moved.m_pRead);
        std::swap(m_pEnd, moved.m_pEnd);
        std::swap(m_nCapacity, moved.m_nCapacity);
        std::swap(m_nShrinkFloor, moved.m_nShrinkFloor);
        std::swap(m_bShrinkLocked, moved.m_bShrinkLocked);
        std::swap(m_bPeekMode, moved.m_bPeekMode);
        std::swap(m_nPeekCursor, moved.m_nPeekCursor);
    }
    return *this;
}

void CBuffer::Relocate(uint32_t newCapacity) {
    uint8_t* block = AllocateBlock(newCapacity);
    const uint32_t length = Length();
    if (length) std::memcpy(block, m_pRead, length);
    FreeBlock(m_pStorage, m_nCapacity);
    m_pStorage = block;
    m_nCapacity = newCapacity;
    SetContents(0, length);
}

uint32_t CBuffer::Reserve(uint32_t total) {
    const uint32_t length = Length();
    if (total <= m_nCapacity - ReadOffset()) return 0;
    if (total <= m_nCapacity) {
        std::memmove(m_pStorage, m_pRead, length);
        SetContents(0, length);
        return m_nCapacity;
    }
    if (total > kMaxCapacity) throw std::bad_alloc();
    uint64_t size = std::max(m_nCapacity, MinimumBlockSize());
    while (size < total) size *= 2;
    const uint32_t newCapacity = static_cast<uint32_t>(std::min(size, kMaxCapacity));
    if (IsMapped(m_nCapacity) && IsMapped(newCapacity)) {
        const uint32_t readOffset = ReadOffset();
        void* p =
            ::mremap(m_pStorage, BlockBytes(m_nCapacity), BlockBytes(newCapacity), MREMAP_MAYMOVE);
        if (p == MAP_FAILED) throw std::bad_alloc();
        m_pStorage = static_cast<uint8_t*>(p);
        m_nCapacity = newCapacity;
        if (readOffset) std::memmove(m_pStorage, m_pStorage + readOffset, length);
        SetContents(0, length);
    } else {
        Relocate(newCapacity);
    }
    return m_nCapacity;
}

uint32_t CBuffer::Shrink(uint32_t need) {
    if (m_bShrinkLocked) return 0;
    if (m_nCapacity <= m_nShrinkFloor || need < Length()) return 0;
    uint64_t keep = std::max(need, m_nShrinkFloor);
    // Nothing to keep and no floor gives nothing to size the block by (and halving
    // towards zero would never end): leave it.
    if (keep == 0) return 0;
    uint32_t newCapacity = m_nCapacity;
    while (newCapacity >= 2 * keep) newCapacity /= 2;
    if (newCapacity == m_nCapacity) return 0;
    if (IsMapped(m_nCapacity) && IsMapped(newCapacity))
        ShrinkMapped(newCapacity);
    else
        Relocate(newCapacity);
    return m_nCapacity;
}

void CBuffer::ShrinkMapped(uint32_t newCapacity) {
    const size_t page = PageSize();
    const size_t oldBytes = BlockBytes(m_nCapacity);
    // The new block starts at the page holding the first unread byte, so nothing moves.
    // Shrinks come just as the contents fall below half the block, when they barely fit
    // the halved size: the block then keeps one page more than the halving asks.
    const uint32_t length = Length();
    uint32_t readOffset = ReadOffset();
    size_t head = readOffset / page * page;
    size_t newBytes = BlockBytes(newCapacity);
    if (readOffset - head + length > newCapacity) newBytes += page;
    if (head + newBytes > oldBytes) {
        // Contents near the end of the block: move them to the front instead.
        std::memmove(m_pStorage, m_pRead, length);
        readOffset = 0;
        head = 0;
        newBytes = BlockBytes(newCapacity);
    }
    // A failed unmap (the kernel's mapping limit) only leaves pages unreturned.
    if (head) ::munmap(m_pStorage, head);
    if (head + newBytes < oldBytes)
        ::munmap(m_pStorage + head + newBytes, oldBytes - head - newBytes);
    m_pStorage += head;
    SetContents(readOffset - static_cast<uint32_t>(head), length);
    if (newBytes > BlockBytes(newCapacity)) newCapacity = static_cast<uint32_t>(newBytes);
    m_nCapacity = newCapacity;
}

uint32_t CBuffer::Read(void* dest, uint32_t n) {
    if (n == 0) return 0;
    if (Available() < n) ThrowShortRead(n, Available());
    if (m_bPeekMode) {
        if (dest) std::memcpy(dest, m_pRead + m_nPeekCursor, n);
        m_nPeekCursor += n;
    } else {
        if (dest) std::memcpy(dest, m_pRead, n);
        m_pRead += n;
    }
    AfterRead();
    return n;
}

int32_t CBuffer::ReadString(std::string& out) {
    out.clear();
    // The count is unsigned: texts of 32 KB and more are valid. The whole string must be
    // there before anything is consumed, so a short one leaves the buffer untouched.
    uint32_t avail = Available();
    if (avail < 2) ThrowShortRead(2, avail);
    const uint8_t* p = m_pRead + (m_bPeekMode ? m_nPeekCursor : 0);
    uint32_t len = static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8);
    if (avail - 2 < len) ThrowShortRead(size_t(len) + 2, avail);
    const char* text = reinterpret_cast<const char*>(p + 2);
    out.assign(text, strnlen(text, len));
    Read(nullptr, len + 2);
    return static_cast<int32_t>(len) + 2;
}

uint32_t CBuffer::GrownLength(uint32_t n) const {
    const uint32_t length = Length();
    if (n > UINT32_MAX - length) throw std::bad_alloc();
    return length + n;
}

void CBuffer::Write(const void* src, uint32_t n) {
    Reserve(GrownLength(n));
    if (n) std::memcpy(m_pEnd, src, n);
    m_pEnd += n;
}

uint8_t* CBuffer::Extend(uint32_t n) {
    Reserve(GrownLength(n));
    uint8_t* p = m_pEnd;
    if (n) std::memset(p, 0, n);
    m_pEnd += n;
    return p;
}

int32_t CBuffer::WriteString(std::string_view s) {
    if (s.size() > 0xFFFF) throw std::length_error("CBuffer::WriteString: text over 65535 bytes");
    uint16_t len = static_cast<uint16_t>(s.size());
    WriteUInt16(len);
    if (len) Write(s.data(), len);
    return len + 2;
}

int CBuffer::SaveToFile(const std::string& path) const {
    // Unlike the XML saves, a table file's folder is never made here: it must exist.
    const std::filesystem::path parent = std::filesystem::path(path).parent_path();
    std::error_code ec;
    if (!parent.empty() && !std::filesystem::is_directory(parent, ec)) return 0;
    const std::string_view bytes = m_pStorage && !IsEmpty()
                                       ? std::string_view(reinterpret_cast<const char*>(GetData()), Length())
                                       : std::string_view();
    return WriteFileAtomic(path, bytes) ? 1 : 0;
}

int CBuffer::AppendFile(const std::string& path) {
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return 0;
    struct stat st;
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) ||
        static_cast<uint64_t>(st.st_size) > kMaxCapacity) {
        ::close(fd);
        return 0;
    }
    std::vector<uint8_t> bytes(static_cast<size_t>(st.st_size));
    size_t got = 0;
    while (got < bytes.size()) {
        ssize_t r = ::read(fd, bytes.data() + got, bytes.size() - got);
        if (r < 0 && errno == EINTR) continue;
        if (r <= 0) break;
        got += static_cast<size_t>(r);
    }
    ::close(fd);
    // A file that shrank under us, or a read error, is not appended in part.
    if (got != bytes.size()) return 0;
    if (!bytes.empty()) Write(bytes.data(), static_cast<uint32_t>(bytes.size()));
    return 1;
}
