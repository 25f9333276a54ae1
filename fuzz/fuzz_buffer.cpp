// CBuffer's readers and writers against a plain model of the byte queue. The input is
// one byte k, then k operation bytes, then the bytes loaded into the buffer. Every read
// must return the model's bytes or throw the short-read CParseError with nothing changed.

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "foundation/Buffer.h"

namespace {

void Check(bool ok) {
    if (!ok) std::abort();
}

struct Model {
    std::vector<uint8_t> bytes;  // everything written; the contents start at head
    size_t head = 0;
    bool peek = false;
    size_t cursor = 0;

    size_t Length() const { return bytes.size() - head; }
    size_t Available() const { return peek ? Length() - cursor : Length(); }
    uint8_t At(size_t i) const { return bytes[head + (peek ? cursor : 0) + i]; }
    // The next n bytes, consumed or stepped over as the buffer would.
    std::vector<uint8_t> Take(size_t n) {
        size_t from = head + (peek ? cursor : 0);
        std::vector<uint8_t> out(bytes.begin() + from, bytes.begin() + from + n);
        if (peek)
            cursor += n;
        else
            head += n;
        return out;
    }
};

// After each step the ends of the contents are compared (large contents would make a
// full comparison per step too slow to fuzz); after the last step, all of them.
void CheckSame(const CBuffer& b, const Model& m, bool full) {
    Check(b.GetLength() == m.Length());
    Check(b.m_nPeekCursor == m.cursor);
    Check(b.GetReadOffset() + b.GetLength() <= b.GetCapacity());
    const size_t len = m.Length();
    const uint8_t* want = m.bytes.data() + m.head;
    if (full || len <= 128) {
        Check(len == 0 || std::memcmp(b.GetData(), want, len) == 0);
    } else {
        Check(std::memcmp(b.GetData(), want, 64) == 0);
        Check(std::memcmp(b.GetData() + len - 64, want + len - 64, 64) == 0);
    }
}

template <class T, class ReadFn>
void ReadFixed(CBuffer& b, Model& m, ReadFn read) {
    if (m.Available() < sizeof(T)) {
        try {
            read();
            Check(false);
        } catch (const CParseError& e) {
            Check(e.Problem().rfind("short read", 0) == 0);
        }
        return;
    }
    T got = read();
    std::vector<uint8_t> want = m.Take(sizeof(T));
    Check(std::memcmp(&got, want.data(), sizeof(T)) == 0);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    size_t nOps = std::min<size_t>(data[0], size - 1);
    const uint8_t* ops = data + 1;
    const uint8_t* contents = ops + nOps;
    size_t contentSize = size - 1 - nOps;

    CBuffer b;
    Model m;
    b.Write(contents, static_cast<uint32_t>(contentSize));
    m.bytes.assign(contents, contents + contentSize);
    CheckSame(b, m, true);

    for (size_t i = 0; i < nOps; ++i) {
        uint8_t op = ops[i];
        uint8_t arg = i + 1 < nOps ? ops[i + 1] : 0;
        switch (op % 13) {
            case 0:
                ReadFixed<uint8_t>(b, m, [&] { return b.ReadUInt8(); });
                break;
            case 1:
                ReadFixed<uint16_t>(b, m, [&] { return b.ReadUInt16(); });
                break;
            case 2:
                ReadFixed<uint32_t>(b, m, [&] { return b.ReadUInt32(); });
                break;
            case 3:
                ReadFixed<int64_t>(b, m, [&] { return b.ReadInt64(); });
                break;
            case 4: {
                std::string s;
                size_t avail = m.Available();
                size_t len = 0;
                if (avail >= 2) len = m.At(0) | (m.At(1) << 8);
                if (avail < 2 || avail - 2 < len) {
                    try {
                        b.ReadString(s);
                        Check(false);
                    } catch (const CParseError& e) {
                        Check(e.Problem().rfind("short read", 0) == 0);
                    }
                } else {
                    Check(b.ReadString(s) == static_cast<int32_t>(len + 2));
                    std::vector<uint8_t> want = m.Take(len + 2);
                    std::string text(want.begin() + 2, want.end());
                    Check(s == text.substr(0, text.find('\0')));
                }
                break;
            }
            case 5: {
                // Small reads byte by byte, large ones in pages, to empty large blocks.
                uint32_t n = arg < 128 ? arg : (arg - 128u) * 4096u + arg;
                static std::vector<uint8_t> sink(128 * 4096 + 256);
                if (m.Available() < n) {
                    try {
                        b.Read(sink.data(), n);
                        Check(false);
                    } catch (const CParseError& e) {
                        Check(e.Problem().rfind("short read", 0) == 0);
                    }
                } else {
                    Check(b.Read(sink.data(), n) == n);
                    size_t from = m.head + (m.peek ? m.cursor : 0);
                    Check(n == 0 || std::memcmp(sink.data(), m.bytes.data() + from, n) == 0);
                    if (m.peek)
                        m.cursor += n;
                    else
                        m.head += n;
                }
                ++i;
                break;
            }
            case 6:
                b.m_bPeekMode = m.peek = !m.peek;
                if (!m.peek) b.m_nPeekCursor = m.cursor = 0;
                break;
            case 7: {
                std::string s(reinterpret_cast<const char*>(ops), std::min<size_t>(arg, nOps));
                Check(b.WriteString(s) == static_cast<int32_t>(s.size() + 2));
                m.bytes.push_back(static_cast<uint8_t>(s.size()));
                m.bytes.push_back(static_cast<uint8_t>(s.size() >> 8));
                m.bytes.insert(m.bytes.end(), s.begin(), s.end());
                ++i;
                break;
            }
            case 8:
                b.m_nShrinkFloor = arg * 64u;
                ++i;
                break;
            case 9:
                b.m_bShrinkLocked = !b.m_bShrinkLocked;
                break;
            case 10:
                // Up to 1 MB: large blocks are mapped and shrink by unmapping pages.
                b.Reserve(b.GetLength() + arg * 4099u);
                ++i;
                break;
            case 11:
                b.WriteUInt32(0x01020304u * arg);
                for (int k = 0; k < 4; ++k)
                    m.bytes.push_back(static_cast<uint8_t>((0x01020304u * arg) >> (8 * k)));
                ++i;
                break;
            case 12: {
                static const std::vector<uint8_t> pattern = [] {
                    std::vector<uint8_t> v(255 * 2053u);
                    for (size_t k = 0; k < v.size(); ++k)
                        v[k] = static_cast<uint8_t>(k * 7 + (k >> 9));
                    return v;
                }();
                const uint32_t n = arg * 2053u;
                b.Write(pattern.data() + arg, n - arg);
                m.bytes.insert(m.bytes.end(), pattern.begin() + arg, pattern.begin() + n);
                ++i;
                break;
            }
        }
        CheckSame(b, m, false);
    }
    CheckSame(b, m, true);
    return 0;
}
