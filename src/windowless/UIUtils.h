#pragma once
// Small value types of the windowless framework: an inline-buffer string, a pointer array,
// a string-keyed hash map, rectangle helpers and the delegates through which controls
// publish events. Failures are return values; nothing throws.
#include <cstdarg>
#include <cstring>
#include <string>

#include "platform/WinTypes.h"

namespace WinlessUI {

// Text with 62 characters held inline; longer texts live in a heap block.
class CUIString {
public:
    enum { MAX_LOCAL_STRING_LEN = 63 };
    CUIString();
    CUIString(const char* text, int length = -1);
    CUIString(char ch);
    CUIString(const CUIString& src);
    CUIString(const std::string& s) : CUIString(s.c_str(), (int)s.size()) {}
    ~CUIString();

    void Empty();
    int GetLength() const { return (int)strlen(m_pstr); }
    bool IsEmpty() const { return m_pstr[0] == '\0'; }
    char GetAt(int index) const { return m_pstr[index]; }
    void Append(const char* text);
    void Assign(const char* text, int count = -1);
    const char* GetData() const { return m_pstr; }
    bool IsInline() const { return m_pstr == m_szBuffer; }
    std::string ToStd() const { return m_pstr; }

    operator const char*() const { return m_pstr; }
    char operator[](int index) const { return m_pstr[index]; }
    const CUIString& operator=(const CUIString& src);
    const CUIString& operator=(const char* text);
    const CUIString& operator=(char ch);
    CUIString operator+(const CUIString& src) const;
    CUIString operator+(const char* text) const;
    const CUIString& operator+=(const CUIString& src);
    const CUIString& operator+=(const char* text);
    const CUIString& operator+=(char ch);

    bool operator==(const char* text) const { return Compare(text) == 0; }
    bool operator!=(const char* text) const { return Compare(text) != 0; }
    bool operator==(const CUIString& s) const { return Compare(s.m_pstr) == 0; }
    bool operator!=(const CUIString& s) const { return Compare(s.m_pstr) != 0; }

    int Compare(const char* text) const;
    int CompareNoCase(const char* text) const;
    void MakeUpper();
    void MakeLower();

    CUIString Left(int length) const;
    CUIString Mid(int pos, int length = -1) const;
    CUIString Right(int length) const;
    int Find(char ch, int pos = 0) const;
    int Find(const char* text, int pos = 0) const;
    int ReverseFind(char ch) const;
    int Replace(const char* from, const char* to);
    // printf-style; the result is cut to 63 characters.
    int Format(const char* format, ...);

private:
    char* m_pstr;
    char m_szBuffer[MAX_LOCAL_STRING_LEN + 1];
};

// Growable array of untyped pointers; it never owns what they point to.
class CUIPtrArray {
public:
    explicit CUIPtrArray(int preallocSize = 0);
    CUIPtrArray(const CUIPtrArray& src);
    CUIPtrArray& operator=(const CUIPtrArray& src);
    ~CUIPtrArray();

    void Empty();
    void Resize(int size);
    bool IsEmpty() const { return m_nCount == 0; }
    int Find(void* p) const;
    bool Add(void* p);
    bool SetAt(int index, void* p);
    bool InsertAt(int index, void* p);
    bool Remove(int index);
    int GetSize() const { return m_nCount; }
    int GetCapacity() const { return m_nAllocated; }
    void** GetData() { return m_ppVoid; }
    void* GetAt(int index) const;
    void* operator[](int index) const { return m_ppVoid[index]; }

private:
    bool Grow();
    void** m_ppVoid = nullptr;
    int m_nCount = 0;
    int m_nAllocated = 0;
};

// Hash map from texts to pointers; a found key moves to the head of its chain.
class CUIStringMap {
public:
    explicit CUIStringMap(int size = 83);
    ~CUIStringMap();
    CUIStringMap(const CUIStringMap&) = delete;
    CUIStringMap& operator=(const CUIStringMap&) = delete;

    void Resize(int size = 83);
    void* Find(const char* key, bool optimize = true) const;
    bool Insert(const char* key, void* data);
    void* Set(const char* key, void* data);
    bool Remove(const char* key);
    void RemoveAll() { Resize(m_nBuckets); }
    int GetSize() const { return m_nCount; }
    int GetBucketCount() const { return m_nBuckets; }
    const char* GetAt(int index) const;
    const char* operator[](int index) const { return GetAt(index); }
    static unsigned HashKey(const char* key);

private:
    struct Item {
        CUIString key;
        void* data;
        Item* prev;
        Item* next;
    };
    Item** m_aT = nullptr;
    int m_nBuckets = 0;
    int m_nCount = 0;
};

class CUIRect : public RECT {
public:
    CUIRect() { left = top = right = bottom = 0; }
    CUIRect(const RECT& src) { left = src.left, top = src.top, right = src.right, bottom = src.bottom; }
    CUIRect(int l, int t, int r, int b) { left = l, top = t, right = r, bottom = b; }
    int GetWidth() const { return right - left; }
    int GetHeight() const { return bottom - top; }
    void Empty() { left = top = right = bottom = 0; }
    bool IsNull() const { return left == 0 && top == 0 && right == 0 && bottom == 0; }
    void Join(const RECT& rc);
    void ResetOffset() { Offset(-left, -top); }  // moves the rectangle to the origin
    void Normalize();
    void Offset(int cx, int cy) { left += cx, right += cx, top += cy, bottom += cy; }
    void Inflate(int cx, int cy) { left -= cx, right += cx, top -= cy, bottom += cy; }
    void Deflate(int cx, int cy) { Inflate(-cx, -cy); }
    void Union(const CUIRect& rc);
};

class CUISize : public SIZE {
public:
    CUISize() { cx = cy = 0; }
    CUISize(const SIZE& s) { cx = s.cx, cy = s.cy; }
    CUISize(int x, int y) { cx = x, cy = y; }
};

class CUIPoint : public POINT {
public:
    CUIPoint() { x = y = 0; }
    CUIPoint(const POINT& p) { x = p.x, y = p.y; }
    CUIPoint(int px, int py) { x = px, y = py; }
};

// Rectangle helpers over the plain RECT.
bool IsRectEmpty(const RECT& rc);
bool IntersectRect(RECT* out, const RECT& a, const RECT& b);
bool PtInRect(const RECT& rc, POINT pt);
void UnionRect(RECT* out, const RECT& a, const RECT& b);

// ---- delegates ----
class CDelegateBase {
public:
    CDelegateBase(void* object, const void* fn, size_t fnSize);
    CDelegateBase(const CDelegateBase& rhs);
    virtual ~CDelegateBase() = default;
    bool Equals(const CDelegateBase& rhs) const;
    bool operator()(void* param) { return Invoke(param); }
    virtual CDelegateBase* Copy() const = 0;

protected:
    void* GetFn() { return m_fn; }
    void* GetObject() { return m_object; }
    virtual bool Invoke(void* param) = 0;

private:
    void* m_object;
    alignas(void*) unsigned char m_fn[2 * sizeof(void*)];
    size_t m_fnSize;
};

class CDelegateStatic : public CDelegateBase {
    using Fn = bool (*)(void*);

public:
    explicit CDelegateStatic(Fn fn) : CDelegateBase(nullptr, &fn, sizeof(fn)) {}
    CDelegateBase* Copy() const override { return new CDelegateStatic(*this); }

protected:
    bool Invoke(void* param) override {
        Fn fn;
        memcpy(&fn, GetFn(), sizeof(fn));
        return fn(param);
    }
};

template <class O, class T>
class CDelegate : public CDelegateBase {
    using Fn = bool (T::*)(void*);

public:
    CDelegate(O* obj, Fn fn) : CDelegateBase(static_cast<T*>(obj), &fn, sizeof(fn)) {}
    CDelegateBase* Copy() const override { return new CDelegate(*this); }

protected:
    bool Invoke(void* param) override {
        Fn fn;
        memcpy(&fn, GetFn(), sizeof(fn));
        return (static_cast<T*>(GetObject())->*fn)(param);
    }
};

template <class O, class T>
CDelegate<O, T> MakeDelegate(O* obj, bool (T::*fn)(void*)) {
    return CDelegate<O, T>(obj, fn);
}
inline CDelegateStatic MakeDelegate(bool (*fn)(void*)) {
    return CDelegateStatic(fn);
}

class CUIEventSource {
public:
    CUIEventSource() = default;
    CUIEventSource(const CUIEventSource&) = delete;
    CUIEventSource& operator=(const CUIEventSource&) = delete;
    ~CUIEventSource();
    operator bool() const { return m_aDelegates.GetSize() > 0; }
    int GetCount() const { return m_aDelegates.GetSize(); }
    void operator+=(const CDelegateBase& d);
    void operator+=(bool (*fn)(void*)) { (*this) += MakeDelegate(fn); }
    void operator-=(const CDelegateBase& d);
    bool operator()(void* param);

private:
    CUIPtrArray m_aDelegates;
};

}  // namespace WinlessUI
