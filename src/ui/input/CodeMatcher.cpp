#include "ui/input/CodeMatcher.h"

#include <algorithm>
#include <cstdio>
#include <mutex>

#include "marketdata/DataCenter.h"
#include "marketdata/Security.h"

int SortArrayCompare(const CInputResult& a, const CInputResult& b) {
    if (a.rank != b.rank) return a.rank > b.rank ? -1 : 1;
    if (a.weight != b.weight) return a.weight < b.weight ? -1 : 1;
    if (a.kind != b.kind) return a.kind < b.kind ? -1 : 1;
    if (int c = a.code.compare(b.code)) return c < 0 ? -1 : 1;
    if (int c = a.name.compare(b.name)) return c < 0 ? -1 : 1;
    if (int c = a.key.compare(b.key)) return c < 0 ? -1 : 1;
    return 0;
}

const char* MarketNameOf(int market) {
    return market == 1 ? "沪" : market == 2 ? "深" : "未知";
}

int MarketOfKey(const std::string& key) {
    if (key.size() < 4) return 0;
    int m = 0;
    for (int i = 0; i < 4; ++i) {
        unsigned char c = static_cast<unsigned char>(key[size_t(i)]);
        if (c < '0' || c > '9') return 0;
        m = m * 10 + (c - '0');
    }
    return m;
}

bool IsCodeInputChar(unsigned int ch) {
    if (ch >= 128) return false;
    return (ch >= '0' && ch <= '9') || (ch >= 'a' && ch <= 'z') || (ch >= 'A' && ch <= 'Z') ||
           ch == '.' || ch == '/';
}

char CodeCharOfKey(unsigned int vk) {
    if (vk >= '0' && vk <= '9') return char(vk);
    if (vk >= 'A' && vk <= 'Z') return char(vk);
    if (vk >= 0x60 && vk <= 0x69) return char('0' + (vk - 0x60));  // keypad digits
    return 0;
}

namespace {

std::string WithoutSpaces(std::string s) {
    s.erase(std::remove(s.begin(), s.end(), ' '), s.end());
    return s;
}

bool Contains(const std::string& hay, const std::string& needle) {
    return hay.find(needle) != std::string::npos;
}

}  // namespace

void CCodeMatcher::Rebuild(CDataCenter& dc) {
    std::vector<CSecurity*> all = dc.GetSecurities();  // under the table's read lock
    std::vector<Entry> entries;
    entries.reserve(all.size());
    for (CSecurity* s : all) {
        std::lock_guard<std::recursive_mutex> lock(s->GetLock());
        Entry e;
        const CIndSecuCode& code = s->GetCode();
        e.code = code.m_strCode;
        e.name = WithoutSpaces(s->GetName());
        char market[16];
        std::snprintf(market, sizeof market, "%04d", code.m_nMarket);
        e.key = market + e.code;
        e.abbreviations = s->GetAbbreviations();
        entries.push_back(std::move(e));
    }
    SetEntries(std::move(entries));
    m_nSourceCount = all.size();
}

void CCodeMatcher::Refresh(CDataCenter& dc) {
    if (dc.GetSecurityCount() != m_nSourceCount) Rebuild(dc);
}

void CCodeMatcher::SetEntries(std::vector<Entry> entries) {
    m_entries = std::move(entries);
    m_bLastValid = false;
    m_lastHits.clear();
    m_nSourceCount = m_entries.size();
}

bool CCodeMatcher::MatchEntry(size_t index, const std::string& text, bool digitsOnly,
                              CSortArray<CInputResult>& out) const {
    const Entry& e = m_entries[index];
    const std::string* first = !digitsOnly && !e.abbreviations.empty() ? &e.abbreviations.front() : nullptr;
    bool hit = false;
    if ((Contains(e.code, text) || Contains(e.name, text)) && !(first ? *first == e.name : e.name.empty())) {
        hit = true;
        CInputResult r;
        r.kind = 3;
        r.key = e.key;
        r.code = e.code;
        r.name = e.name;
        if (first) r.abbreviation = *first;
        if (out.Insert(r) >= 0) return true;
    }
    for (const std::string& a : e.abbreviations) {
        if (!Contains(a, text)) continue;
        hit = true;
        CInputResult r;
        r.kind = 3;
        r.key = e.key;
        r.code = e.code;
        r.name = e.name;
        r.abbreviation = a;
        out.Insert(r);  // a second abbreviation of the same security is refused
    }
    return hit;
}

void CCodeMatcher::Match(const std::string& text, CSortArray<CInputResult>& out) {
    out.clear();
    out.SetAscending(true);
    bool digitsOnly = std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
    // Whatever contains the longer text contains the shorter one: only the previous
    // matches can match again.
    bool narrow = m_bLastValid && !m_strLastText.empty() && text.size() > m_strLastText.size() &&
                  text.compare(0, m_strLastText.size(), m_strLastText) == 0;
    std::vector<uint32_t> hits;
    if (narrow) {
        m_nLastScanned = m_lastHits.size();
        for (uint32_t i : m_lastHits)
            if (MatchEntry(i, text, digitsOnly, out)) hits.push_back(i);
    } else {
        m_nLastScanned = m_entries.size();
        for (size_t i = 0; i < m_entries.size(); ++i)
            if (MatchEntry(i, text, digitsOnly, out)) hits.push_back(uint32_t(i));
    }
    m_lastHits = std::move(hits);
    m_strLastText = text;
    m_bLastValid = true;
}
