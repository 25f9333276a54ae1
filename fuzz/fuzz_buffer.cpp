// CBuffer's readers and writers against a plain model of the byte queue. The input is
// one byte k, then k operation bytes, then the bytes loaded into the buffer. Every read
// must return the model's bytes or throw -1 with nothing changed.

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
    std::vector<uint8_t> bytes;  // unread contents
    bool peek = false;
    size_t cursor = 0;

    size_t Available() const { return peek ? bytes.size() - cursor : bytes.size(); }
    // The next n bytes, consumed or stepped over as the buffer would.
    std::vector<uint8_t> Take(size_t n) {
        size_t from = peek ? cursor : 0;
        std::vector<uint8_t> out(bytes.begin() + from, bytes.begin() + from + n);
        if (peek)
            cursor += n;
        else
            bytes.erase(bytes.begin(), bytes.begin() + n);
        return out;
    }
};

void CheckSame(const CBuffer& b, const Model& m) {
    Check(b.GetLength() == m.bytes.size());
    Check(b.m_nPeekCursor == m.cursor);
    Check(b.GetReadOffset() + b.GetLength() <= b.GetCapacity());
    Check(m.bytes.empty() || std::memcmp(b.GetData(), m.bytes.data(), m.bytes.size()) == 0);
}

template <class T, class ReadFn>
void ReadFixed(CBuffer& b, Model& m, ReadFn read) {
    if (m.Available() < sizeof(T)) {
        try {
            read();
            Check(false);
        } catch (int e) {
            Check(e == -1);
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
    CheckSame(b, m);

    for (size_t i = 0; i < nOps; ++i) {
        uint8_t op = ops[i];
        uint8_t arg = i + 1 < nOps ? ops[i + 1] : 0;
        switch (op % 12) {
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
                if (avail >= 2) {
                    size_t from = m.peek ? m.cursor : 0;
                    len = m.bytes[from] | (m.bytes[from + 1] << 8);
                }
                if (avail < 2 || avail - 2 < len) {
                    try {
                        b.ReadString(s);
                        Check(false);
                    } catch (int e) {
                        Check(e == -1);
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
                uint8_t sink[256];
                if (m.Available() < arg) {
                    try {
                        b.Read(sink, arg);
                        Check(false);
                    } catch (int e) {
                        Check(e == -1);
                    }
                } else {
                    Check(b.Read(sink, arg) == arg);
                    std::vector<uint8_t> want = m.Take(arg);
                    Check(arg == 0 || std::memcmp(sink, want.data(), arg) == 0);
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
                b.Reserve(b.GetLength() + arg * 97u);
                ++i;
                break;
            case 11:
                b.WriteUInt32(0x01020304u * arg);
                for (int k = 0; k < 4; ++k) m.bytes.push_back(static_cast<uint8_t>((0x01020304u * arg) >> (8 * k)));
                ++i;
                break;
        }
        CheckSame(b, m);
    }
    return 0;
}
