#include "foundation/Compress.h"

#include <array>
#include <cstring>
#include <new>

namespace lzhuf {

void CHuffTree::StartHuff() {
    for (int i = 0; i < N_CHAR; ++i) {
        freq[i] = 1;
        son[i] = static_cast<int16_t>(i + T);
        prnt[i + T] = static_cast<int16_t>(i);
    }
    for (int i = 0, j = N_CHAR; j <= R; i += 2, ++j) {
        freq[j] = static_cast<uint16_t>(freq[i] + freq[i + 1]);
        son[j] = static_cast<int16_t>(i);
        prnt[i] = prnt[i + 1] = static_cast<int16_t>(j);
    }
    freq[T] = 0xFFFF;
    prnt[R] = 0;
}

void CHuffTree::Reconst() {
    // Leaves to the low positions with halved frequencies, then rebuild the internal
    // nodes in frequency order.
    int j = 0;
    for (int i = 0; i < T; ++i) {
        if (son[i] >= T) {
            freq[j] = static_cast<uint16_t>((freq[i] + 1) / 2);
            son[j] = son[i];
            ++j;
        }
    }
    for (int i = 0, j2 = N_CHAR; j2 < T; i += 2, ++j2) {
        unsigned f = static_cast<unsigned>(freq[i]) + freq[i + 1];
        freq[j2] = static_cast<uint16_t>(f);
        int k = j2 - 1;
        while (f < freq[k]) --k;
        ++k;
        std::memmove(&freq[k + 1], &freq[k], sizeof(freq[0]) * (j2 - k));
        freq[k] = static_cast<uint16_t>(f);
        std::memmove(&son[k + 1], &son[k], sizeof(son[0]) * (j2 - k));
        son[k] = static_cast<int16_t>(i);
    }
    for (int k = 0; k < T; ++k) {
        int i = son[k];
        prnt[i] = static_cast<int16_t>(k);
        if (i < T) prnt[i + 1] = static_cast<int16_t>(k);
    }
}

void CHuffTree::Update(int c) {
    if (freq[R] == MAX_FREQ) Reconst();
    c = prnt[c + T];
    do {
        unsigned k = ++freq[c];
        // Keep frequencies ordered: move the node past every node it now outweighs.
        int l = c + 1;
        if (k > freq[l]) {
            while (k > freq[++l]) {
            }
            --l;
            freq[c] = freq[l];
            freq[l] = static_cast<uint16_t>(k);

            int i = son[c];
            prnt[i] = static_cast<int16_t>(l);
            if (i < T) prnt[i + 1] = static_cast<int16_t>(l);

            int j = son[l];
            son[l] = static_cast<int16_t>(i);
            prnt[j] = static_cast<int16_t>(c);
            if (j < T) prnt[j + 1] = static_cast<int16_t>(c);
            son[c] = static_cast<int16_t>(j);

            c = l;
        }
    } while ((c = prnt[c]) != 0);
}

}  // namespace lzhuf

using namespace lzhuf;

namespace {

// Zero bytes after the stream: one symbol reads at most 313 code bits (the tree's depth
// bound) plus 14 position bits, and the word loads reach 8 bytes ahead, so a symbol that
// starts inside the stream never reads beyond this padding before the end check sees it.
constexpr size_t kStreamPadding = 128;

inline uint64_t LoadBigEndian64(const uint8_t* p) {
    uint64_t v;
    std::memcpy(&v, p, 8);
    return __builtin_bswap64(v);
}

}  // namespace

CCompress::~CCompress() {
    delete[] m_pOutput;
}

int32_t CCompress::Decode() {
    if (!m_pInput || m_nInputLength < 4) return 0;
    const uint32_t size = static_cast<uint32_t>(m_pInput[0]) | (uint32_t(m_pInput[1]) << 8) |
                          (uint32_t(m_pInput[2]) << 16) | (uint32_t(m_pInput[3]) << 24);
    const size_t streamBytes = static_cast<size_t>(m_nInputLength) - 4;
    if (!SizeFitsInput(size, streamBytes)) return 0;

    // Room for the size plus the overrun of a final match, so no symbol checks for room.
    const int32_t need = static_cast<int32_t>(size) + F - 1;
    try {
        if (m_pOutput && m_nOutputCapacity < need) {
            delete[] m_pOutput;
            m_pOutput = nullptr;
            m_nOutputCapacity = 0;
        }
        if (!m_pOutput) {
            m_pOutput = new uint8_t[need];
            m_nOutputCapacity = need;
        }
        m_Stream.assign(streamBytes + kStreamPadding, 0);
    } catch (const std::bad_alloc&) {
        return 0;
    }
    std::memset(m_pOutput, 0, m_nOutputCapacity);
    if (streamBytes) std::memcpy(m_Stream.data(), m_pInput + 4, streamBytes);
    m_nOutputLength = 0;

    m_Tree.StartHuff();
    std::memset(m_Ring, ' ', RING_PREFILL);
    std::memset(m_Ring + RING_PREFILL, 0, sizeof(m_Ring) - RING_PREFILL);

    // The bit reader keeps up to 63 pending bits, most significant first. Reaching the
    // end of the stream is only an error when bits a symbol needed were not in it; the
    // look-ahead that word loads make past the end is not.
    const uint8_t* const start = m_Stream.data();
    const uint8_t* const end = start + streamBytes;
    const uint64_t streamBits = uint64_t(streamBytes) * 8;
    const uint8_t* in = start;
    uint64_t bits = 0;
    unsigned count = 0;
    auto refill = [&] {
        bits |= LoadBigEndian64(in) >> count;
        in += (63 - count) >> 3;
        count |= 56;
    };

    const int16_t* const son = m_Tree.son;
    uint8_t* const out = m_pOutput;
    uint8_t* const ring = m_Ring;
    uint32_t pos = 0;
    unsigned r = RING_PREFILL;
    bool ok = true;
    while (pos < size) {
        refill();
        int c = son[R];
        while (c < T) {
            if (count == 0) [[unlikely]]
                refill();
            c = son[c + static_cast<int>(bits >> 63)];
            bits <<= 1;
            --count;
        }
        c -= T;
        m_Tree.Update(c);
        if (c < 256) {
            out[pos++] = static_cast<uint8_t>(c);
            ring[r] = static_cast<uint8_t>(c);
            r = (r + 1) & (N - 1);
        } else {
            // A position code is its first byte, which gives the upper six bits and
            // says that d_len - 2 more bits follow, 9 to 14 bits in all; the last six
            // of them are the position's low six bits.
            if (count < 14) refill();
            const unsigned first = static_cast<unsigned>(bits >> 56);
            const unsigned used = 8 + d_len[first] - 2;
            const unsigned code = static_cast<unsigned>(bits >> (64 - used));
            bits <<= used;
            count -= used;
            const unsigned p = (unsigned(d_code[first]) << 6) | (code & 0x3F);
            unsigned from = (r - p - 1) & (N - 1);
            int len = c - (255 - THRESHOLD);
            for (int k = 0; k < len; ++k) {
                uint8_t b = ring[(from + k) & (N - 1)];
                out[pos++] = b;
                ring[r] = b;
                r = (r + 1) & (N - 1);
            }
        }
        if (in > end) [[unlikely]] {
            if (uint64_t(in - start) * 8 - count > streamBits) {
                ok = false;
                break;
            }
        }
    }
    m_nOutputPos = static_cast<int32_t>(pos);
    const uint64_t consumedBits = uint64_t(in - start) * 8 - count;
    m_nInputPos = 4 + static_cast<int32_t>((consumedBits + 7) / 8);
    if (!ok) return 0;
    m_nOutputLength = static_cast<int32_t>(pos);
    return 1;
}
