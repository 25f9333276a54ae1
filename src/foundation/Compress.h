#pragma once
// LZHUF: LZSS over a 4,096-byte ring with adaptive Huffman coding of literals and match
// lengths and a fixed prefix code for the upper six bits of match positions. Tables and
// bar replies from the data server, code.dat and cq.dat arrive in this form.
//
// Compressed form: u32 little-endian decoded size S (1 to 0x10000000), then the bit
// stream, most significant bit of each byte first.

#include <cstddef>
#include <cstdint>
#include <vector>

namespace lzhuf {

constexpr int N = 4096;                      // ring size
constexpr int F = 60;                        // longest match
constexpr int THRESHOLD = 2;                 // matches longer than this are coded as matches
constexpr int N_CHAR = 256 - THRESHOLD + F;  // 0-255 literals, 256-313 lengths 3-60
constexpr int T = 2 * N_CHAR - 1;            // tree nodes
constexpr int R = T - 1;                     // root
constexpr unsigned MAX_FREQ = 0x8000;        // root frequency that triggers a rebuild
constexpr int RING_PREFILL = N - F;          // ring[0..4035] start as spaces; r starts here
constexpr uint32_t MAX_SIZE = 0x10000000;    // largest decoded size accepted

// Position prefix code, indexed by the first byte of a position code: the upper six bits
// of the position (code) and the code's length in bits for those upper bits (len). The
// values come in groups: 1 value with 32 entries (3-bit code), 3 with 16 (4 bits), 8 with
// 8 (5 bits), 12 with 4 (6 bits), 24 with 2 (7 bits), 16 with 1 (8 bits).
struct PositionTables {
    uint8_t code[256];
    uint8_t len[256];
};

constexpr PositionTables MakePositionTables() {
    PositionTables t{};
    struct Group {
        int values, entries, bits;
    };
    constexpr Group groups[] = {{1, 32, 3}, {3, 16, 4}, {8, 8, 5},
                                {12, 4, 6}, {24, 2, 7}, {16, 1, 8}};
    int index = 0, value = 0;
    for (const Group& g : groups) {
        for (int v = 0; v < g.values; ++v, ++value) {
            for (int e = 0; e < g.entries; ++e, ++index) {
                t.code[index] = static_cast<uint8_t>(value);
                t.len[index] = static_cast<uint8_t>(g.bits);
            }
        }
    }
    return t;
}

inline constexpr PositionTables kPositionTables = MakePositionTables();
inline constexpr const uint8_t (&d_code)[256] = kPositionTables.code;
inline constexpr const uint8_t (&d_len)[256] = kPositionTables.len;

// The adaptive Huffman model both directions keep in step. Siblings always sit at an
// even position and the odd one after it, so a node's position parity is its code bit.
struct CHuffTree {
    uint16_t freq[T + 1];      // the last entry is the sentinel 0xFFFF
    int16_t prnt[T + N_CHAR];  // entries T.. are the leaves' parents
    int16_t son[T];            // left child, or T + symbol for a leaf

    void StartHuff();
    void Update(int c);

private:
    void Reconst();
};

}  // namespace lzhuf

class CCompress {
public:
    CCompress() = default;
    CCompress(const uint8_t* input, int32_t inputLength)
        : m_pInput(input), m_nInputLength(inputLength) {}
    virtual ~CCompress();
    CCompress(const CCompress&) = delete;
    CCompress& operator=(const CCompress&) = delete;

    // 1 when the input decoded to its declared size, 0 when the size field is out of
    // range or beyond what the input could hold, or the stream ends before the size is
    // reached. A match that starts below the size is copied whole, so the output may run
    // up to 59 bytes past it.
    int32_t Decode();

    const uint8_t* GetOutput() const { return m_pOutput; }
    int32_t GetOutputLength() const { return m_nOutputLength; }

    // Whether `size` could come out of `streamBytes` bytes of bit stream (after the
    // size field). Every symbol costs at least one bit of Huffman code; a match adds at
    // least nine bits of position (three of prefix, six low bits) and yields at most 60
    // bytes. So no symbol yields more than 6 bytes per bit spent, and S bytes need at
    // least S / 6 bits: S <= 48 x stream bytes. Anything claiming more is refused before
    // a byte is allocated.
    static bool SizeFitsInput(uint32_t size, size_t streamBytes) {
        return size >= 1 && size <= lzhuf::MAX_SIZE && size <= 48 * uint64_t(streamBytes);
    }

    // Set by the caller before Decode; owned by the caller.
    const uint8_t* m_pInput = nullptr;
    int32_t m_nInputLength = 0;

private:
    uint8_t* m_pOutput = nullptr;  // owned
    int32_t m_nOutputLength = 0;   // bytes of the last successful decode
    int32_t m_nInputPos = 0;       // input bytes consumed (whole bytes, header included)
    int32_t m_nOutputPos = 0;
    uint8_t m_Ring[lzhuf::N + lzhuf::F - 1];
    lzhuf::CHuffTree m_Tree;
    int32_t m_nOutputCapacity = 0;
    // The stream, copied with zero padding so the bit reader can load whole words
    // without testing for the end at every byte.
    std::vector<uint8_t> m_Stream;
};
