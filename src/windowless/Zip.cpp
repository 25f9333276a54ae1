#include "windowless/Zip.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <zlib.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstring>
#include <ctime>
#include <string>
#include <vector>

namespace WinlessUI {
namespace {

constexpr std::uint32_t kInBufSize = 16384;
constexpr std::uint32_t kUnzipKind = 1;
thread_local ZRESULT g_lastOpen = ZR_OK;

std::uint16_t U16(const unsigned char* p) {
    return std::uint16_t(p[0] | (p[1] << 8));
}
std::uint32_t U32(const unsigned char* p) {
    return std::uint32_t(p[0]) | (std::uint32_t(p[1]) << 8) | (std::uint32_t(p[2]) << 16) |
           (std::uint32_t(p[3]) << 24);
}

// Byte source; positions are relative to where the archive's source starts.
struct Source {
    bool isMemory = false;
    int fd = -1;
    bool canSeek = false;
    bool readFailed = false;
    std::int64_t start = 0;
    const unsigned char* mem = nullptr;
    std::uint32_t memLen = 0;
    std::uint32_t memPos = 0;

    std::int64_t Size() const {
        if (isMemory) return memLen;
        struct stat st;
        if (fstat(fd, &st) != 0) return -1;
        return std::int64_t(st.st_size) - start;
    }
    bool Seek(std::int64_t pos) {
        if (pos < 0) return false;
        if (isMemory) {
            memPos = pos > memLen ? memLen : std::uint32_t(pos);
            return true;
        }
        if (!canSeek) return false;
        return lseek(fd, off_t(start + pos), SEEK_SET) != (off_t)-1;
    }
    // Bytes actually read; a memory read past the end is cut short at the end.
    std::int64_t Read(void* buf, std::uint32_t n) {
        if (isMemory) {
            std::uint32_t avail = memLen - memPos;
            std::uint32_t count = std::min(n, avail);
            if (count > 0) memcpy(buf, mem + memPos, count);
            memPos += count;
            return count;
        }
        std::uint32_t total = 0;
        while (total < n) {
            ssize_t got = ::read(fd, static_cast<char*>(buf) + total, n - total);
            if (got < 0 && errno == EINTR) continue;
            if (got <= 0) {
                if (got < 0) readFailed = true;
                break;
            }
            total += std::uint32_t(got);
        }
        return total;
    }
    bool ReadExact(void* buf, std::uint32_t n) { return Read(buf, n) == n; }
};

struct CentralFields {
    std::uint16_t versionMade = 0, versionNeeded = 0, flags = 0, method = 0;
    std::uint32_t dosDate = 0, crc = 0, compSize = 0, uncSize = 0;
    std::uint16_t nameLen = 0, extraLen = 0, commentLen = 0, diskStart = 0, internalAttr = 0;
    std::uint32_t externalAttr = 0, localOffset = 0;
};

struct OpenEntry {
    std::vector<unsigned char> inBuf;
    z_stream zs{};
    bool zInit = false;
    std::int64_t dataPos = 0;
    std::uint32_t compLeft = 0, uncLeft = 0;
    std::uint32_t crc = 0, expectedCrc = 0;
    std::uint16_t method = 0;
    bool failed = false;  // a data error, a truncated entry or a short read
    bool streamEnded = false;
    ~OpenEntry() {
        if (zInit) inflateEnd(&zs);
    }
};

}  // namespace

struct ZipHandleData {
    std::uint32_t kind = kUnzipKind;
    struct State* state = nullptr;
};

struct State {
    bool inited = false;
    Source src;
    std::uint32_t count = 0;
    std::uint32_t cdOffset = 0, cdSize = 0;
    std::int64_t bytesBefore = 0;
    std::uint32_t curIndex = 0;
    std::int64_t curPos = 0;
    bool curValid = false;
    CentralFields cur;
    OpenEntry* open = nullptr;
    int openIndex = -1;
    ZipEntry cache;
    int cacheIndex = -1;
    std::string rootDir;

    ~State() {
        delete open;
        if (!src.isMemory && src.fd >= 0) ::close(src.fd);
    }

    void CloseEntry() {
        delete open;
        open = nullptr;
        openIndex = -1;
    }

    // Reads the central-directory record at curPos; the name into buf when given.
    ZRESULT ReadCurrent(char* nameBuf, std::uint32_t bufSize) {
        unsigned char h[46];
        if (!src.Seek(curPos) || !src.ReadExact(h, sizeof(h))) return ZR_BADARCHIVE;
        if (U32(h) != 0x02014B50) return ZR_BADARCHIVE;
        cur.versionMade = U16(h + 4);
        cur.versionNeeded = U16(h + 6);
        cur.flags = U16(h + 8);
        cur.method = U16(h + 10);
        cur.dosDate = U32(h + 12);
        cur.crc = U32(h + 16);
        cur.compSize = U32(h + 20);
        cur.uncSize = U32(h + 24);
        cur.nameLen = U16(h + 28);
        cur.extraLen = U16(h + 30);
        cur.commentLen = U16(h + 32);
        cur.diskStart = U16(h + 34);
        cur.internalAttr = U16(h + 36);
        cur.externalAttr = U32(h + 38);
        cur.localOffset = U32(h + 42);
        curValid = true;
        if (nameBuf != nullptr && bufSize > 0) {
            // The stored name may be longer than the buffer: only what fits is read, and
            // the text always ends with a NUL inside the buffer.
            std::uint32_t n = std::min<std::uint32_t>(cur.nameLen, bufSize - 1);
            std::int64_t got = src.Read(nameBuf, n);
            nameBuf[got < 0 ? 0 : got] = '\0';
        }
        return ZR_OK;
    }

    ZRESULT GoToFirst() {
        curIndex = 0;
        curPos = std::int64_t(cdOffset) + bytesBefore;
        if (count == 0) {
            curValid = false;
            return ZR_OK;
        }
        return ReadCurrent(nullptr, 0);
    }
    ZRESULT GoToNext() {
        if (!curValid || curIndex + 1 >= count) return ZR_ARGS;
        curPos += 46 + std::int64_t(cur.nameLen) + cur.extraLen + cur.commentLen;
        curIndex++;
        return ReadCurrent(nullptr, 0);
    }
    ZRESULT GoTo(std::uint32_t n) {
        if (n >= count) return ZR_ARGS;
        if (n < curIndex || !curValid) {
            ZRESULT r = GoToFirst();
            if (r != ZR_OK) return r;
        }
        while (curIndex < n) {
            ZRESULT r = GoToNext();
            if (r != ZR_OK) return r;
        }
        return ZR_OK;
    }

    // Checks the local header of the current entry; gives where its data starts.
    bool CheckLocal(std::int64_t* dataStart, std::uint16_t* localExtraLen) {
        unsigned char h[30];
        std::int64_t pos = std::int64_t(cur.localOffset) + bytesBefore;
        if (!src.Seek(pos) || !src.ReadExact(h, sizeof(h))) return false;
        if (U32(h) != 0x04034B50) return false;
        std::uint16_t flags = U16(h + 6), method = U16(h + 8);
        if (method != cur.method || (method != 0 && method != 8)) return false;
        if (!(flags & 8)) {
            if (U32(h + 14) != cur.crc || U32(h + 18) != cur.compSize || U32(h + 22) != cur.uncSize)
                return false;
        }
        if (U16(h + 26) != cur.nameLen) return false;
        *localExtraLen = U16(h + 28);
        *dataStart = pos + 30 + cur.nameLen + *localExtraLen;
        return true;
    }

    bool OpenCurrent() {
        std::int64_t dataStart = 0;
        std::uint16_t extra = 0;
        if (!CheckLocal(&dataStart, &extra)) return false;
        auto* e = new OpenEntry;
        e->inBuf.resize(kInBufSize);
        e->method = cur.method;
        if (e->method == 8) {
            if (inflateInit2(&e->zs, -MAX_WBITS) != Z_OK) {
                delete e;
                return false;
            }
            e->zInit = true;
        }
        e->dataPos = dataStart;
        e->compLeft = cur.compSize;
        e->uncLeft = cur.uncSize;
        e->expectedCrc = cur.crc;
        e->crc = crc32(0, nullptr, 0);
        open = e;
        return true;
    }

    // Delivers up to len bytes of the open entry; -1 on a read failure of the source.
    std::int64_t ReadOpen(unsigned char* buf, std::uint32_t len) {
        OpenEntry* e = open;
        std::uint32_t room = std::min(len, e->uncLeft);
        std::uint32_t delivered = 0;
        while (room > 0 && !e->failed && !e->streamEnded) {
            if (e->zs.avail_in == 0 && e->compLeft > 0) {
                std::uint32_t n = std::min(kInBufSize, e->compLeft);
                if (!src.Seek(e->dataPos) || src.Read(e->inBuf.data(), n) != n) {
                    e->failed = true;  // the entry's data runs past the end of the archive
                    return -1;
                }
                e->dataPos += n;
                e->compLeft -= n;
                e->zs.next_in = e->inBuf.data();
                e->zs.avail_in = n;
            }
            std::uint32_t produced = 0;
            if (e->method == 0) {
                std::uint32_t n = std::min(room, (std::uint32_t)e->zs.avail_in);
                if (n == 0) {
                    e->failed = true;  // fewer stored bytes than the entry claims
                    break;
                }
                memcpy(buf + delivered, e->zs.next_in, n);
                e->zs.next_in += n;
                e->zs.avail_in -= n;
                produced = n;
            } else {
                e->zs.next_out = buf + delivered;
                e->zs.avail_out = room;
                int err = inflate(&e->zs, Z_SYNC_FLUSH);
                produced = room - e->zs.avail_out;
                if (err == Z_STREAM_END) {
                    e->streamEnded = true;
                } else if (err != Z_OK && !(err == Z_BUF_ERROR && produced > 0)) {
                    e->failed = true;
                } else if (produced == 0 && e->zs.avail_in == 0 && e->compLeft == 0) {
                    e->failed = true;  // the compressed data ended before the entry did
                }
            }
            e->crc = crc32(e->crc, buf + delivered, produced);
            delivered += produced;
            room -= produced;
            e->uncLeft -= produced;
        }
        if (e->streamEnded && e->uncLeft > 0) e->failed = true;
        return delivered;
    }
    bool OpenEntryIsBad() const {
        return open->failed || (open->uncLeft == 0 && open->crc != open->expectedCrc);
    }
};

namespace {

void DosToFileTime(std::uint32_t dos, ZIPFILETIME* ft) {
    struct tm t {};
    t.tm_sec = int(dos & 0x1F) * 2;
    t.tm_min = int((dos >> 5) & 0x3F);
    t.tm_hour = int((dos >> 11) & 0x1F);
    t.tm_mday = int((dos >> 16) & 0x1F);
    t.tm_mon = int((dos >> 21) & 0x0F) - 1;
    t.tm_year = int((dos >> 25) & 0x7F) + 80;
    time_t secs = timegm(&t);
    std::uint64_t v = (std::uint64_t(std::int64_t(secs) + 11644473600LL)) * 10000000ULL;
    ft->dwLowDateTime = std::uint32_t(v);
    ft->dwHighDateTime = std::uint32_t(v >> 32);
}
void UnixToFileTime(std::uint32_t secs, ZIPFILETIME* ft) {
    std::uint64_t v = (std::uint64_t(secs) + 11644473600ULL) * 10000000ULL;
    ft->dwLowDateTime = std::uint32_t(v);
    ft->dwHighDateTime = std::uint32_t(v >> 32);
}
std::int64_t FileTimeToUnix(const ZIPFILETIME& ft) {
    std::uint64_t v = (std::uint64_t(ft.dwHighDateTime) << 32) | ft.dwLowDateTime;
    return std::int64_t(v / 10000000ULL) - 11644473600LL;
}

ZRESULT CheckHandle(ZipHandle hz) {
    if (hz == nullptr) return ZR_ARGS;
    if (hz->kind != kUnzipKind) return ZR_NOTMMAP;
    return ZR_OK;
}

ZRESULT OpenState(State& s, const void* source, std::uint32_t length, std::uint32_t kind) {
    if (s.inited) return ZR_NOTINITED;
    char cwd[PATH_MAX];
    s.rootDir = getcwd(cwd, sizeof(cwd)) ? std::string(cwd) : std::string(".");
    s.rootDir += "/";
    if (kind == ZIP_HANDLE) {
        int fd = int(reinterpret_cast<std::intptr_t>(source));
        struct stat st;
        if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) return ZR_SEEK;
        int dupFd = dup(fd);
        if (dupFd < 0) return ZR_NODUPH;
        s.src.fd = dupFd;
        s.src.canSeek = true;
        off_t here = lseek(dupFd, 0, SEEK_CUR);
        s.src.start = here < 0 ? 0 : here;
    } else if (kind == ZIP_FILENAME) {
        int fd = ::open(static_cast<const char*>(source), O_RDONLY | O_CLOEXEC);
        if (fd < 0) return ZR_NOFILE;
        s.src.fd = fd;
        struct stat st;
        s.src.canSeek = fstat(fd, &st) == 0 && S_ISREG(st.st_mode);
    } else if (kind == ZIP_MEMORY) {
        s.src.isMemory = true;
        s.src.mem = static_cast<const unsigned char*>(source);
        s.src.memLen = source ? length : 0;
        s.src.canSeek = true;
    } else {
        return ZR_ARGS;
    }
    s.inited = true;

    // The end record: looked for backwards from the end, in overlapping blocks.
    std::int64_t size = s.src.Size();
    if (!s.src.canSeek || size < 22) return ZR_ENDRECORD;
    std::int64_t maxBack = std::min<std::int64_t>(0xFFFF, size);
    std::int64_t found = -1;
    unsigned char block[1028];
    std::int64_t backRead = 4;
    while (backRead < maxBack && found < 0) {
        backRead = std::min(backRead + 1024, maxBack);
        std::int64_t readPos = size - backRead;
        std::uint32_t readSize = std::uint32_t(std::min<std::int64_t>(1028, size - readPos));
        if (!s.src.Seek(readPos) || !s.src.ReadExact(block, readSize)) return ZR_ENDRECORD;
        for (int i = int(readSize) - 4; i >= 0; --i) {
            if (block[i] == 0x50 && block[i + 1] == 0x4B && block[i + 2] == 0x05 && block[i + 3] == 0x06) {
                found = readPos + i;
                break;
            }
        }
    }
    if (found <= 0) return ZR_ENDRECORD;

    unsigned char e[22];
    if (!s.src.Seek(found) || !s.src.ReadExact(e, sizeof(e))) return ZR_ENDRECORD;
    std::uint16_t thisDisk = U16(e + 4), cdDisk = U16(e + 6);
    std::uint16_t entriesHere = U16(e + 8), entriesTotal = U16(e + 10);
    s.cdSize = U32(e + 12);
    s.cdOffset = U32(e + 16);
    if (thisDisk != 0 || cdDisk != 0 || entriesHere != entriesTotal) return ZR_BADARCHIVE;
    if (std::int64_t(s.cdOffset) + s.cdSize > found) return ZR_BADARCHIVE;
    s.count = entriesTotal;
    s.bytesBefore = found - std::int64_t(s.cdOffset) - s.cdSize;
    // A directory whose records do not fit between its start and the end record is broken.
    if (std::int64_t(s.count) * 46 > s.cdSize) return ZR_BADARCHIVE;
    return s.GoToFirst();
}

ZRESULT BuildEntry(State& s, int index, ZipEntry* ze) {
    if (index == -1) {
        *ze = ZipEntry();
        ze->index = int(s.count);
        return ZR_OK;
    }
    if (index < -1 || index >= int(s.count)) return ZR_ARGS;
    if (index == s.cacheIndex) {
        *ze = s.cache;
        return ZR_OK;
    }
    ZRESULT r = s.GoTo(std::uint32_t(index));
    if (r != ZR_OK) return r;
    ZipEntry out;
    out.index = index;
    s.ReadCurrent(out.name, sizeof(out.name));
    std::int64_t dataStart = 0;
    std::uint16_t extraLen = 0;
    if (!s.CheckLocal(&dataStart, &extraLen)) return ZR_CORRUPT;
    std::vector<unsigned char> extra(extraLen);
    if (!s.src.Seek(dataStart - extraLen) || !s.src.ReadExact(extra.data(), extraLen)) return ZR_READ;

    std::uint32_t a = s.cur.externalAttr;
    std::uint32_t attr = 0x80;
    if (a & ((1u << 30) | 0x10)) attr |= 0x10;
    if (a & 0x20) attr |= 0x20;
    if (a & 0x02) attr |= 0x02;
    if (!(a & (1u << 23)) || (a & 0x01)) attr |= 0x01;
    if (a & 0x04) attr |= 0x04;
    out.attr = attr;
    DosToFileTime(s.cur.dosDate, &out.mtime);
    out.atime = out.ctime = out.mtime;
    std::size_t pos = 0;
    while (pos + 4 < extra.size() + 0 && extra.size() - pos >= 5) {
        std::uint16_t dataSize = U16(&extra[pos + 2]);
        if (extra[pos] == 'U' && extra[pos + 1] == 'T') {
            std::size_t end = std::min(extra.size(), pos + 4 + dataSize);
            std::size_t p = pos + 4;
            std::uint8_t flags = extra[p++];
            if ((flags & 1) && p + 4 <= end) UnixToFileTime(U32(&extra[p]), &out.mtime), p += 4;
            if ((flags & 2) && p + 4 <= end) UnixToFileTime(U32(&extra[p]), &out.atime), p += 4;
            if ((flags & 4) && p + 4 <= end) UnixToFileTime(U32(&extra[p]), &out.ctime), p += 4;
            break;
        }
        pos += 4 + std::size_t(dataSize);
    }
    out.comp_size = std::int32_t(s.cur.compSize);
    out.unc_size = std::int32_t(s.cur.uncSize);
    s.cache = out;
    s.cacheIndex = index;
    *ze = out;
    return ZR_OK;
}

bool MakeDirs(const std::string& root, const std::string& relPath, bool lastIsDir) {
    std::string path = root;
    std::size_t start = 0;
    while (start < relPath.size()) {
        std::size_t sep = relPath.find_first_of("/\\", start);
        if (sep == std::string::npos && !lastIsDir) break;
        std::string part = relPath.substr(start, sep == std::string::npos ? std::string::npos : sep - start);
        if (!part.empty()) {
            path += part + "/";
            if (mkdir(path.c_str(), 0755) != 0 && errno != EEXIST) return false;
        }
        if (sep == std::string::npos) break;
        start = sep + 1;
    }
    return true;
}

ZRESULT UnzipToFile(State& s, int index, void* target, std::uint32_t kind) {
    s.CloseEntry();
    ZipEntry ze;
    ZRESULT r = BuildEntry(s, index, &ze);
    if (r != ZR_OK) return r;
    std::string name = kind == ZIP_FILENAME ? static_cast<const char*>(target) : "";
    bool absolute = !name.empty() && (name[0] == '/' || name[0] == '\\' || (name.size() > 1 && name[1] == ':'));
    bool parentRef = name.find("../") != std::string::npos || name.find("..\\") != std::string::npos;
    if (ze.attr & 0x10) {
        if (kind == ZIP_FILENAME && !absolute && !parentRef) MakeDirs(s.rootDir, name, true);
        return ZR_OK;
    }
    int fd;
    if (kind == ZIP_FILENAME) {
        std::string path = name;
        if (!absolute && !parentRef) {
            MakeDirs(s.rootDir, name, false);
            path = s.rootDir + name;
        }
        fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, (ze.attr & 0x01) ? 0444 : 0644);
        if (fd < 0) return ZR_NOFILE;
    } else {
        fd = int(reinterpret_cast<std::intptr_t>(target));
    }
    bool failed = false;
    if (s.GoTo(std::uint32_t(index)) != ZR_OK || !s.OpenCurrent()) {
        failed = true;
    } else {
        std::vector<unsigned char> buf(kInBufSize);
        for (;;) {
            std::int64_t n = s.ReadOpen(buf.data(), kInBufSize);
            if (n < 0) {
                failed = true;
                break;
            }
            if (n == 0) break;
            if (::write(fd, buf.data(), std::size_t(n)) != n) {
                failed = true;
                break;
            }
        }
        if (!failed && s.OpenEntryIsBad()) failed = true;
        s.CloseEntry();
    }
    struct stat st;
    if (!failed && fstat(fd, &st) == 0 && S_ISREG(st.st_mode)) {
        struct timespec times[2];
        times[0].tv_sec = time_t(FileTimeToUnix(ze.atime));
        times[0].tv_nsec = 0;
        times[1].tv_sec = time_t(FileTimeToUnix(ze.mtime));
        times[1].tv_nsec = 0;
        futimens(fd, times);
    }
    if (kind == ZIP_FILENAME) ::close(fd);
    return failed ? ZR_WRITE : ZR_OK;
}

}  // namespace

ZRESULT ZipLastOpenResult() {
    return g_lastOpen;
}

ZipHandle ZipOpen(const void* source, std::uint32_t length, std::uint32_t kind) {
    auto* s = new State;
    ZRESULT r = OpenState(*s, source, length, kind);
    g_lastOpen = r;
    if (r != ZR_OK) {
        delete s;
        return nullptr;
    }
    auto* h = new ZipHandleData;
    h->state = s;
    return h;
}

ZRESULT ZipFindItem(ZipHandle hz, const char* name, bool ignoreCase, int* index, ZipEntry* entry) {
    ZRESULT r = CheckHandle(hz);
    if (r != ZR_OK) return r;
    State& s = *hz->state;
    auto notFound = [&]() {
        if (index) *index = -1;
        if (entry) {
            *entry = ZipEntry();
            entry->index = -1;
        }
        return ZR_NOTFOUND;
    };
    if (name == nullptr || strlen(name) >= 256) return notFound();
    std::string want(name);
    std::replace(want.begin(), want.end(), '\\', '/');
    auto upper = [](std::string t) {
        for (char& c : t)
            if (c >= 'a' && c <= 'z') c = char(c - 'a' + 'A');
        return t;
    };
    if (ignoreCase) want = upper(want);
    std::uint32_t savedIndex = s.curIndex;
    std::int64_t savedPos = s.curPos;
    CentralFields savedFields = s.cur;
    bool savedValid = s.curValid;
    int hit = -1;
    if (s.GoToFirst() == ZR_OK && s.count > 0) {
        for (std::uint32_t i = 0; i < s.count; ++i) {
            if (i > 0 && s.GoToNext() != ZR_OK) break;
            char buf[256];
            if (s.ReadCurrent(buf, sizeof(buf)) != ZR_OK) break;
            if (s.cur.nameLen >= sizeof(buf)) continue;  // longer than any name we look for
            std::string stored(buf);
            if ((ignoreCase ? upper(stored) : stored) == want) {
                hit = int(i);
                break;
            }
        }
    }
    if (hit < 0) {
        s.curIndex = savedIndex;
        s.curPos = savedPos;
        s.cur = savedFields;
        s.curValid = savedValid;
        return notFound();
    }
    s.CloseEntry();
    if (index) *index = hit;
    ZipEntry ze;
    r = BuildEntry(s, hit, &ze);
    if (entry) *entry = ze;
    return r;
}

ZRESULT ZipGetItem(ZipHandle hz, int index, ZipEntry* entry) {
    ZRESULT r = CheckHandle(hz);
    if (r != ZR_OK) return r;
    if (entry == nullptr) return ZR_ARGS;
    if (index != hz->state->openIndex) hz->state->CloseEntry();
    return BuildEntry(*hz->state, index, entry);
}

ZRESULT ZipUnzipItem(ZipHandle hz, int index, void* target, std::uint32_t length, std::uint32_t kind) {
    ZRESULT r = CheckHandle(hz);
    if (r != ZR_OK) return r;
    State& s = *hz->state;
    if (kind != ZIP_HANDLE && kind != ZIP_FILENAME && kind != ZIP_MEMORY) return ZR_ARGS;
    if (kind != ZIP_MEMORY) {
        if (index < 0 || index >= int(s.count) || target == nullptr) return ZR_ARGS;
        return UnzipToFile(s, index, target, kind);
    }
    if (s.open == nullptr || index != s.openIndex) {
        s.CloseEntry();
        if (index < 0 || index >= int(s.count)) return ZR_ARGS;
        if (s.GoTo(std::uint32_t(index)) != ZR_OK || !s.OpenCurrent()) return ZR_FLATE;
        s.openIndex = index;
    }
    if (target == nullptr && length > 0) return ZR_ARGS;
    std::int64_t n = s.ReadOpen(static_cast<unsigned char*>(target), length);
    if (n < 0 || s.OpenEntryIsBad()) {
        // A truncated entry, a data error in its deflate stream or a wrong CRC: the bytes
        // delivered are not the entry, and the caller must not take them for it.
        s.CloseEntry();
        return ZR_FLATE;
    }
    if (n > 0) return ZR_MORE;
    s.CloseEntry();
    return ZR_OK;
}

ZRESULT ZipClose(ZipHandle hz) {
    ZRESULT r = CheckHandle(hz);
    if (r != ZR_OK) return r;
    delete hz->state;
    delete hz;
    return ZR_OK;
}

}  // namespace WinlessUI
