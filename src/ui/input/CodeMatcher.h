#pragma once
// Candidates of the stock-code input and the search behind them.
//
// Every keystroke searches the whole security table, so the search runs over a flat copy
// of what it compares (code, space-free name, key, abbreviations) instead of taking each
// security's lock and copying its strings per keystroke. The copy is rebuilt when the
// table's size changed and whenever a typing session starts (names are written by the
// code-table worker, which runs before the user can type). A text that extends the
// previous one only re-checks the securities the previous one matched.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "foundation/SortArray.h"

class CDataCenter;
class CSecurity;

struct CInputResult {
    int32_t kind = 0;  // 3: a security of the code input
    std::string key;   // "%04d%s": market number, code
    int32_t rank = 0;
    std::string text;
    std::string abbreviation;
    std::string code;
    std::string name;  // spaces removed
    std::string extra1, extra2, extra3;
    int32_t weight = 20;
};

// Rank descending, then weight, kind, code, name and key ascending (byte-wise). The
// abbreviation takes no part: one security is listed once.
int SortArrayCompare(const CInputResult& a, const CInputResult& b);

// "沪" for market 1, "深" for 2, "未知" otherwise.
const char* MarketNameOf(int market);
// The market number in the first four characters of a key; 0 when they are not digits.
int MarketOfKey(const std::string& key);

class CCodeMatcher {
public:
    struct Entry {
        std::string code, name, key;
        std::vector<std::string> abbreviations;
    };

    // The copy of the data centre's table (under its read lock, each security under its
    // own lock).
    void Rebuild(CDataCenter& dc);
    // Rebuilds when the table's size differs from the copy's.
    void Refresh(CDataCenter& dc);
    // Replaces the copy (tests, benchmarks).
    void SetEntries(std::vector<Entry> entries);
    const std::vector<Entry>& Entries() const { return m_entries; }
    // The next Match searches the whole copy.
    void ForgetLastText() { m_bLastValid = false; }

    // Fills out with the candidates for text; out is emptied first.
    void Match(const std::string& text, CSortArray<CInputResult>& out);
    // The securities the last Match looked at (all of them, or the narrowed set).
    size_t LastScanned() const { return m_nLastScanned; }

private:
    bool MatchEntry(size_t index, const std::string& text, bool digitsOnly,
                    CSortArray<CInputResult>& out) const;
    std::vector<Entry> m_entries;
    size_t m_nSourceCount = size_t(-1);
    std::string m_strLastText;
    std::vector<uint32_t> m_lastHits;  // indices matched by m_strLastText
    bool m_bLastValid = false;
    size_t m_nLastScanned = 0;
};

// Whether a typed character may go into the code: ASCII letters, digits, "." and "/".
// Anything else (IME text, GBK bytes, controls) is not, whatever its sign.
bool IsCodeInputChar(unsigned int ch);
// The character a key-down of the open list types, or 0 when the key types nothing:
// letters, digits and keypad digits. Delete, Help, the function keys and the keypad
// operators type nothing.
char CodeCharOfKey(unsigned int vk);
