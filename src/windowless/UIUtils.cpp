#include "windowless/UIUtils.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>

namespace WinlessUI {

// ---------------- CUIString ----------------
// Texts are the program's multibyte text (UTF-8); byte-wise comparison gives code-point
// order and never splits a character that both sides share.

CUIString::CUIString() : m_pstr(m_szBuffer) {
    m_szBuffer[0] = '\0';
}
CUIString::CUIString(const char* text, int length) : m_pstr(m_szBuffer) {
    m_szBuffer[0] = '\0';
    Assign(text, length);
}
CUIString::CUIString(char ch) : m_pstr(m_szBuffer) {
    m_szBuffer[0] = ch;
    m_szBuffer[1] = '\0';
}
CUIString::CUIString(const CUIString& src) : m_pstr(m_szBuffer) {
    m_szBuffer[0] = '\0';
    Assign(src.m_pstr);
}
CUIString::~CUIString() {
    if (m_pstr != m_szBuffer) free(m_pstr);
}

void CUIString::Empty() {
    if (m_pstr != m_szBuffer) free(m_pstr);
    m_pstr = m_szBuffer;
    m_szBuffer[0] = '\0';
}

void CUIString::Assign(const char* text, int count) {
    if (text == nullptr) text = "";
    if (count < 0) count = (int)strlen(text);
    if (text >= m_pstr && text < m_pstr + GetLength() + 1) {
        // Assigning a part of ourselves: copy first.
        std::string tmp(text, (size_t)count);
        Assign(tmp.c_str(), count);
        return;
    }
    if (count <= MAX_LOCAL_STRING_LEN - 1) {
        if (m_pstr != m_szBuffer) {
            free(m_pstr);
            m_pstr = m_szBuffer;
        }
    } else if (count > GetLength() || m_pstr == m_szBuffer) {
        char* block = (char*)(m_pstr == m_szBuffer ? malloc((size_t)count + 1)
                                                   : realloc(m_pstr, (size_t)count + 1));
        if (block == nullptr) return;
        m_pstr = block;
    }
    memcpy(m_pstr, text, (size_t)count);
    m_pstr[count] = '\0';
}

void CUIString::Append(const char* text) {
    if (text == nullptr) return;
    int oldLen = GetLength();
    int newLen = oldLen + (int)strlen(text);
    if (newLen >= MAX_LOCAL_STRING_LEN) {
        if (m_pstr == m_szBuffer) {
            char* block = (char*)malloc((size_t)newLen + 1);
            if (block == nullptr) return;
            memcpy(block, m_szBuffer, (size_t)oldLen + 1);
            m_pstr = block;
        } else {
            char* block = (char*)realloc(m_pstr, (size_t)newLen + 1);
            if (block == nullptr) return;
            m_pstr = block;
        }
    }
    memmove(m_pstr + oldLen, text, strlen(text) + 1);
}

const CUIString& CUIString::operator=(const CUIString& src) {
    if (this != &src) Assign(src.m_pstr);
    return *this;
}
const CUIString& CUIString::operator=(const char* text) {
    Assign(text);
    return *this;
}
const CUIString& CUIString::operator=(char ch) {
    char t[2] = {ch, '\0'};
    Assign(t);
    return *this;
}
CUIString CUIString::operator+(const CUIString& src) const {
    CUIString s(*this);
    s.Append(src.m_pstr);
    return s;
}
CUIString CUIString::operator+(const char* text) const {
    CUIString s(*this);
    s.Append(text);
    return s;
}
const CUIString& CUIString::operator+=(const CUIString& src) {
    if (&src == this) {
        CUIString copy(src);
        Append(copy.m_pstr);
    } else {
        Append(src.m_pstr);
    }
    return *this;
}
const CUIString& CUIString::operator+=(const char* text) {
    Append(text);
    return *this;
}
const CUIString& CUIString::operator+=(char ch) {
    char t[2] = {ch, '\0'};
    Append(t);
    return *this;
}

int CUIString::Compare(const char* text) const {
    return strcmp(m_pstr, text ? text : "");
}
int CUIString::CompareNoCase(const char* text) const {
    return strcasecmp(m_pstr, text ? text : "");
}
void CUIString::MakeUpper() {
    for (char* p = m_pstr; *p; ++p)
        if (*p >= 'a' && *p <= 'z') *p = char(*p - 'a' + 'A');
}
void CUIString::MakeLower() {
    for (char* p = m_pstr; *p; ++p)
        if (*p >= 'A' && *p <= 'Z') *p = char(*p - 'A' + 'a');
}

CUIString CUIString::Left(int length) const {
    length = std::clamp(length, 0, GetLength());
    return CUIString(m_pstr, length);
}
CUIString CUIString::Mid(int pos, int length) const {
    int len = GetLength();
    if (pos < 0 || pos > len) return CUIString();
    if (length < 0 || pos + length > len) length = len - pos;
    if (length <= 0) return CUIString();
    return CUIString(m_pstr + pos, length);
}
CUIString CUIString::Right(int length) const {
    int len = GetLength();
    length = std::clamp(length, 0, len);
    return CUIString(m_pstr + len - length, length);
}
int CUIString::Find(char ch, int pos) const {
    if (pos < 0 || (pos != 0 && pos >= GetLength())) return -1;
    const char* p = strchr(m_pstr + pos, ch);
    return (p == nullptr || ch == '\0') ? -1 : int(p - m_pstr);
}
int CUIString::Find(const char* text, int pos) const {
    if (text == nullptr || pos < 0 || (pos != 0 && pos > GetLength())) return -1;
    const char* p = strstr(m_pstr + pos, text);
    return p == nullptr ? -1 : int(p - m_pstr);
}
int CUIString::ReverseFind(char ch) const {
    const char* p = strrchr(m_pstr, ch);
    return p == nullptr ? -1 : int(p - m_pstr);
}
int CUIString::Replace(const char* from, const char* to) {
    if (from == nullptr || *from == '\0') return 0;
    if (to == nullptr) to = "";
    CUIString copy;
    int count = 0;
    int pos = Find(from, 0);
    const int fromLen = (int)strlen(from), toLen = (int)strlen(to);
    while (pos >= 0) {
        copy = Left(pos);
        copy += to;
        copy += Mid(pos + fromLen);
        Assign(copy);
        pos = Find(from, pos + toLen);
        ++count;
    }
    return count;
}
int CUIString::Format(const char* format, ...) {
    char buffer[64];
    va_list args;
    va_start(args, format);
    int result = vsnprintf(buffer, sizeof(buffer), format, args);
    va_end(args);
    Assign(buffer);
    return result;
}

// ---------------- CUIPtrArray ----------------

CUIPtrArray::CUIPtrArray(int preallocSize) {
    if (preallocSize > 0) {
        m_ppVoid = (void**)malloc(sizeof(void*) * (size_t)preallocSize);
        if (m_ppVoid) m_nAllocated = preallocSize;
    }
}
CUIPtrArray::CUIPtrArray(const CUIPtrArray& src) {
    for (int i = 0; i < src.GetSize(); i++) Add(src.GetAt(i));
}
CUIPtrArray& CUIPtrArray::operator=(const CUIPtrArray& src) {
    if (this != &src) {
        Empty();
        for (int i = 0; i < src.GetSize(); i++) Add(src.GetAt(i));
    }
    return *this;
}
CUIPtrArray::~CUIPtrArray() {
    free(m_ppVoid);
}
void CUIPtrArray::Empty() {
    free(m_ppVoid);
    m_ppVoid = nullptr;
    m_nCount = m_nAllocated = 0;
}
void CUIPtrArray::Resize(int size) {
    Empty();
    if (size <= 0) return;
    m_ppVoid = (void**)calloc((size_t)size, sizeof(void*));
    if (m_ppVoid) m_nAllocated = m_nCount = size;
}
int CUIPtrArray::Find(void* p) const {
    for (int i = 0; i < m_nCount; i++)
        if (m_ppVoid[i] == p) return i;
    return -1;
}
bool CUIPtrArray::Grow() {
    int cap = m_nAllocated == 0 ? 11 : m_nAllocated * 2;
    void** block = (void**)realloc(m_ppVoid, (size_t)cap * sizeof(void*));
    if (block == nullptr) return false;
    m_ppVoid = block;
    m_nAllocated = cap;
    return true;
}
bool CUIPtrArray::Add(void* p) {
    if (++m_nCount >= m_nAllocated && !Grow()) {
        --m_nCount;
        return false;
    }
    m_ppVoid[m_nCount - 1] = p;
    return true;
}
bool CUIPtrArray::SetAt(int index, void* p) {
    if (index < 0 || index >= m_nCount) return false;
    m_ppVoid[index] = p;
    return true;
}
bool CUIPtrArray::InsertAt(int index, void* p) {
    if (index == m_nCount) return Add(p);
    if (index < 0 || index > m_nCount) return false;
    if (++m_nCount >= m_nAllocated && !Grow()) {
        --m_nCount;
        return false;
    }
    memmove(&m_ppVoid[index + 1], &m_ppVoid[index], (size_t)(m_nCount - index - 1) * sizeof(void*));
    m_ppVoid[index] = p;
    return true;
}
bool CUIPtrArray::Remove(int index) {
    if (index < 0 || index >= m_nCount) return false;
    if (index < --m_nCount)
        memmove(&m_ppVoid[index], &m_ppVoid[index + 1], (size_t)(m_nCount - index) * sizeof(void*));
    return true;
}
void* CUIPtrArray::GetAt(int index) const {
    if (index < 0 || index >= m_nCount) return nullptr;
    return m_ppVoid[index];
}

// ---------------- CUIStringMap ----------------

unsigned CUIStringMap::HashKey(const char* key) {
    std::uint32_t h = 0;
    for (int i = (int)strlen(key) - 1; i >= 0; --i) h = h * 33 + (std::uint32_t)(std::int32_t)(signed char)key[i];
    return h;
}
CUIStringMap::CUIStringMap(int size) {
    if (size < 16) size = 16;
    m_nBuckets = size;
    m_aT = new Item*[(size_t)size]();
}
CUIStringMap::~CUIStringMap() {
    Resize(0);
}
void CUIStringMap::Resize(int size) {
    if (m_aT) {
        for (int i = 0; i < m_nBuckets; i++) {
            Item* it = m_aT[i];
            while (it) {
                Item* next = it->next;
                delete it;
                it = next;
            }
        }
        delete[] m_aT;
        m_aT = nullptr;
    }
    m_nBuckets = 0;
    if (size > 0) {
        m_nBuckets = size;
        m_aT = new Item*[(size_t)size]();
    }
    m_nCount = 0;
}
void* CUIStringMap::Find(const char* key, bool optimize) const {
    if (m_nBuckets == 0 || m_nCount == 0 || key == nullptr) return nullptr;
    unsigned slot = HashKey(key) % (unsigned)m_nBuckets;
    for (Item* it = m_aT[slot]; it; it = it->next) {
        if (it->key == key) {
            if (optimize && it != m_aT[slot]) {
                // move to the head of the chain
                if (it->next) it->next->prev = it->prev;
                it->prev->next = it->next;
                it->prev = nullptr;
                it->next = m_aT[slot];
                m_aT[slot]->prev = it;
                m_aT[slot] = it;
            }
            return it->data;
        }
    }
    return nullptr;
}
bool CUIStringMap::Insert(const char* key, void* data) {
    if (m_nBuckets == 0 || key == nullptr) return false;
    unsigned slot = HashKey(key) % (unsigned)m_nBuckets;
    for (Item* it = m_aT[slot]; it; it = it->next)
        if (it->key == key) return false;
    Item* it = new Item{CUIString(key), data, nullptr, m_aT[slot]};
    if (it->next) it->next->prev = it;
    m_aT[slot] = it;
    m_nCount++;
    return true;
}
void* CUIStringMap::Set(const char* key, void* data) {
    if (m_nBuckets == 0 || key == nullptr) return nullptr;
    if (m_nCount > 0) {
        unsigned slot = HashKey(key) % (unsigned)m_nBuckets;
        for (Item* it = m_aT[slot]; it; it = it->next) {
            if (it->key == key) {
                void* old = it->data;
                it->data = data;
                return old;
            }
        }
    }
    Insert(key, data);
    return nullptr;
}
bool CUIStringMap::Remove(const char* key) {
    if (m_nBuckets == 0 || m_nCount == 0 || key == nullptr) return false;
    unsigned slot = HashKey(key) % (unsigned)m_nBuckets;
    for (Item* it = m_aT[slot]; it; it = it->next) {
        if (it->key == key) {
            if (it->prev)
                it->prev->next = it->next;
            else
                m_aT[slot] = it->next;
            if (it->next) it->next->prev = it->prev;
            delete it;
            m_nCount--;
            return true;
        }
    }
    return false;
}
const char* CUIStringMap::GetAt(int index) const {
    if (m_aT == nullptr || index < 0) return nullptr;
    int pos = 0;
    for (int len = m_nBuckets - 1; len >= 0; --len)
        for (Item* it = m_aT[len]; it; it = it->next)
            if (pos++ == index) return it->key.GetData();
    return nullptr;
}

// ---------------- rectangles ----------------

bool IsRectEmpty(const RECT& rc) {
    return rc.right <= rc.left || rc.bottom <= rc.top;
}
bool IntersectRect(RECT* out, const RECT& a, const RECT& b) {
    RECT r{std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right),
           std::min(a.bottom, b.bottom)};
    if (IsRectEmpty(r)) {
        *out = RECT{0, 0, 0, 0};
        return false;
    }
    *out = r;
    return true;
}
bool PtInRect(const RECT& rc, POINT pt) {
    return pt.x >= rc.left && pt.x < rc.right && pt.y >= rc.top && pt.y < rc.bottom;
}
void UnionRect(RECT* out, const RECT& a, const RECT& b) {
    if (IsRectEmpty(a)) {
        *out = IsRectEmpty(b) ? RECT{0, 0, 0, 0} : b;
        return;
    }
    if (IsRectEmpty(b)) {
        *out = a;
        return;
    }
    *out = RECT{std::min(a.left, b.left), std::min(a.top, b.top), std::max(a.right, b.right),
                std::max(a.bottom, b.bottom)};
}
void CUIRect::Join(const RECT& rc) {
    if (rc.left < left) left = rc.left;
    if (rc.top < top) top = rc.top;
    if (rc.right > right) right = rc.right;
    if (rc.bottom > bottom) bottom = rc.bottom;
}
void CUIRect::Union(const CUIRect& rc) {
    Join(rc);
}
void CUIRect::Normalize() {
    if (left > right) std::swap(left, right);
    if (top > bottom) std::swap(top, bottom);
}

// ---------------- delegates ----------------

CDelegateBase::CDelegateBase(void* object, const void* fn, size_t fnSize)
    : m_object(object), m_fnSize(std::min(fnSize, sizeof(m_fn))) {
    memset(m_fn, 0, sizeof(m_fn));
    memcpy(m_fn, fn, m_fnSize);
}
CDelegateBase::CDelegateBase(const CDelegateBase& rhs) : m_object(rhs.m_object), m_fnSize(rhs.m_fnSize) {
    memcpy(m_fn, rhs.m_fn, sizeof(m_fn));
}
bool CDelegateBase::Equals(const CDelegateBase& rhs) const {
    return m_object == rhs.m_object && m_fnSize == rhs.m_fnSize && memcmp(m_fn, rhs.m_fn, sizeof(m_fn)) == 0;
}

CUIEventSource::~CUIEventSource() {
    for (int i = 0; i < m_aDelegates.GetSize(); i++) delete static_cast<CDelegateBase*>(m_aDelegates[i]);
}
void CUIEventSource::operator+=(const CDelegateBase& d) {
    for (int i = 0; i < m_aDelegates.GetSize(); i++) {
        auto* p = static_cast<CDelegateBase*>(m_aDelegates[i]);
        if (p && p->Equals(d)) return;
    }
    m_aDelegates.Add(d.Copy());
}
void CUIEventSource::operator-=(const CDelegateBase& d) {
    for (int i = 0; i < m_aDelegates.GetSize(); i++) {
        auto* p = static_cast<CDelegateBase*>(m_aDelegates[i]);
        if (p && p->Equals(d)) {
            delete p;
            m_aDelegates.Remove(i);
            return;
        }
    }
}
bool CUIEventSource::operator()(void* param) {
    for (int i = 0; i < m_aDelegates.GetSize(); i++) {
        auto* p = static_cast<CDelegateBase*>(m_aDelegates[i]);
        if (p && !(*p)(param)) return false;
    }
    return true;
}

}  // namespace WinlessUI
