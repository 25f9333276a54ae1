#include "foundation/LzhufEncoder.h"

#include <memory>
#include <stdexcept>

#include "foundation/Compress.h"

using namespace lzhuf;

namespace {

constexpr int NIL = N;  // "no node" in the match trees

// Encoding side of the position prefix code, derived from the decoding tables so the
// two cannot disagree: the code of upper value u is the first table byte that decodes
// to u, of which the top len[u] bits are sent.
struct PositionCodes {
    uint8_t code[64];
    uint8_t len[64];
};

constexpr PositionCodes MakePositionCodes() {
    PositionCodes pc{};
    for (int b = 255; b >= 0; --b) {
        pc.code[d_code[b]] = static_cast<uint8_t>(b);
        pc.len[d_code[b]] = d_len[b];
    }
    return pc;
}

constexpr PositionCodes kPositionCodes = MakePositionCodes();

class BitWriter {
public:
    explicit BitWriter(std::vector<uint8_t>& out) : out_(out) {}
    // The low n bits of value, most significant first; n <= 32.
    void Put(unsigned n, uint32_t value) {
        acc_ = (acc_ << n) | (value & ((uint64_t(1) << n) - 1));
        count_ += n;
        while (count_ >= 8) {
            count_ -= 8;
            out_.push_back(static_cast<uint8_t>(acc_ >> count_));
        }
    }
    void Flush() {
        if (count_) out_.push_back(static_cast<uint8_t>(acc_ << (8 - count_)));
        count_ = 0;
    }

private:
    std::vector<uint8_t>& out_;
    uint64_t acc_ = 0;
    unsigned count_ = 0;
};

// LZSS with binary search trees over the ring: one tree per first byte, every ring
// position that starts a string is a node.
class Encoder {
public:
    Encoder(const uint8_t* data, size_t size, std::vector<uint8_t>& out)
        : data_(data), size_(size), bits_(out) {}

    void Run() {
        tree_.StartHuff();
        for (int i = N + 1; i <= N + 256; ++i) rson_[i] = NIL;
        for (int i = 0; i < N; ++i) dad_[i] = NIL;

        int s = 0, r = RING_PREFILL, len = 0;
        for (int i = 0; i < r; ++i) text_[i] = ' ';
        for (; len < F && next_ < size_; ++len) text_[r + len] = data_[next_++];
        // The spaces before the text are matchable, as the decoder's ring holds them too.
        for (int i = 1; i <= F; ++i) InsertNode(r - i);
        InsertNode(r);
        do {
            if (matchLength_ > len) matchLength_ = len;
            if (matchLength_ <= THRESHOLD) {
                matchLength_ = 1;
                EncodeChar(text_[r]);
            } else {
                EncodeChar(255 - THRESHOLD + matchLength_);
                EncodePosition(matchPosition_);
            }
            const int last = matchLength_;
            int i = 0;
            for (; i < last && next_ < size_; ++i) {
                DeleteNode(s);
                uint8_t c = data_[next_++];
                text_[s] = c;
                if (s < F - 1) text_[s + N] = c;  // mirror so compares run past the ring end
                s = (s + 1) & (N - 1);
                r = (r + 1) & (N - 1);
                InsertNode(r);
            }
            for (; i < last; ++i) {
                DeleteNode(s);
                s = (s + 1) & (N - 1);
                r = (r + 1) & (N - 1);
                if (--len) InsertNode(r);
            }
        } while (len > 0);
        bits_.Flush();
    }

private:
    void InsertNode(int r) {
        int cmp = 1;
        const uint8_t* key = &text_[r];
        int p = N + 1 + key[0];
        rson_[r] = lson_[r] = NIL;
        matchLength_ = 0;
        for (;;) {
            if (cmp >= 0) {
                if (rson_[p] != NIL) {
                    p = rson_[p];
                } else {
                    rson_[p] = r;
                    dad_[r] = p;
                    return;
                }
            } else {
                if (lson_[p] != NIL) {
                    p = lson_[p];
                } else {
                    lson_[p] = r;
                    dad_[r] = p;
                    return;
                }
            }
            int i = 1;
            for (; i < F; ++i)
                if ((cmp = key[i] - text_[p + i]) != 0) break;
            if (i > THRESHOLD) {
                // Positions are sent as distance - 1 behind r; prefer the nearest.
                const int distance = ((r - p) & (N - 1)) - 1;
                if (i > matchLength_) {
                    matchPosition_ = distance;
                    if ((matchLength_ = i) >= F) break;
                } else if (i == matchLength_ && distance < matchPosition_) {
                    matchPosition_ = distance;
                }
            }
        }
        // A full-length match: r replaces p in the tree.
        dad_[r] = dad_[p];
        lson_[r] = lson_[p];
        rson_[r] = rson_[p];
        dad_[lson_[p]] = r;
        dad_[rson_[p]] = r;
        if (rson_[dad_[p]] == p)
            rson_[dad_[p]] = r;
        else
            lson_[dad_[p]] = r;
        dad_[p] = NIL;
    }

    void DeleteNode(int p) {
        if (dad_[p] == NIL) return;
        int q;
        if (rson_[p] == NIL) {
            q = lson_[p];
        } else if (lson_[p] == NIL) {
            q = rson_[p];
        } else {
            q = lson_[p];
            if (rson_[q] != NIL) {
                do q = rson_[q];
                while (rson_[q] != NIL);
                rson_[dad_[q]] = lson_[q];
                dad_[lson_[q]] = dad_[q];
                lson_[q] = lson_[p];
                dad_[lson_[p]] = q;
            }
            rson_[q] = rson_[p];
            dad_[rson_[p]] = q;
        }
        dad_[q] = dad_[p];
        if (rson_[dad_[p]] == p)
            rson_[dad_[p]] = q;
        else
            lson_[dad_[p]] = q;
        dad_[p] = NIL;
    }

    void EncodeChar(int c) {
        // Walk from the leaf to the root; a node's parity is its bit. Codes can be longer
        // than any machine word in a skewed tree, so the bits are collected first.
        uint8_t path[T];
        int depth = 0;
        for (int k = tree_.prnt[c + T]; k != R; k = tree_.prnt[k]) path[depth++] = k & 1;
        while (depth > 0) bits_.Put(1, path[--depth]);
        tree_.Update(c);
    }

    void EncodePosition(int position) {
        const int upper = position >> 6;
        const unsigned n = kPositionCodes.len[upper];
        bits_.Put(n, kPositionCodes.code[upper] >> (8 - n));
        bits_.Put(6, position & 0x3F);
    }

    const uint8_t* data_;
    size_t size_;
    size_t next_ = 0;
    BitWriter bits_;
    CHuffTree tree_;
    uint8_t text_[N + F - 1] = {};
    int16_t lson_[N + 1];
    int16_t rson_[N + 257];
    int16_t dad_[N + 1];
    int matchPosition_ = 0;
    int matchLength_ = 0;
};

}  // namespace

std::vector<uint8_t> LzhufEncode(const uint8_t* data, size_t size) {
    if (size > MAX_SIZE) throw std::length_error("LzhufEncode: input above 256 MB");
    std::vector<uint8_t> out;
    out.reserve(4 + size / 2 + 64);
    for (int i = 0; i < 4; ++i) out.push_back(static_cast<uint8_t>(size >> (8 * i)));
    if (size == 0) return out;
    auto encoder = std::make_unique<Encoder>(data, size, out);
    encoder->Run();
    return out;
}
