#pragma once
// Attribute access shared by the readers and writers of the record file's elements.
// Reading visits each element's attributes once. The file itself is written by
// CRecordFileWriter, straight into one buffer, so a file of thousands of sessions costs
// little beyond its bytes; the same elements also print into any tinyxml2 printer.
// A missing attribute reads 0, 0.0 or empty text.

#include <tinyxml2.h>

#include <charconv>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "training/RecordText.h"

class CTrainingRecord;

namespace recordxml {

// Documents are parsed with entities left as they stand: texts are decoded together with
// their GBK bytes by UnescapeFileText; numbers have none.

// Calls apply(index into `fields`, value) for each attribute whose name is listed. The
// names come in the order the file writes them, so a look-up is usually one comparison.
template <size_t N, class Apply>
void ReadAttributes(const tinyxml2::XMLElement& e, const char* const (&fields)[N], Apply&& apply) {
    size_t next = 0;
    for (const tinyxml2::XMLAttribute* a = e.FirstAttribute(); a; a = a->Next()) {
        const char* name = a->Name();
        size_t index = N;
        if (next < N && std::strcmp(fields[next], name) == 0) {
            index = next;
        } else {
            for (size_t i = 0; i < N; ++i) {
                if (std::strcmp(fields[i], name) == 0) {
                    index = i;
                    break;
                }
            }
        }
        if (index == N) continue;
        next = index + 1;
        const char* value = a->Value();
        apply(index, std::string_view(value ? value : ""));
    }
}

inline int32_t Int(std::string_view v) {
    return static_cast<int32_t>(ParseInt64(v));
}

// The file's printer; texts go out already escaped and in GBK.
class CRecordPrinter : public tinyxml2::XMLPrinter {
public:
    void PushEscapedAttribute(const char* name, std::string_view escaped) {
        Putc(' ');
        Write(name);
        Write("=\"", 2);
        Write(escaped.data(), escaped.size());
        Putc('"');
    }
};

// A number's text needs no escaping: the record file's printer takes it as it is, which keeps
// the save of a long record list close to the cost of writing its bytes.
inline void PushNumber(tinyxml2::XMLPrinter& p, const char* name, std::string_view text) {
    if (auto* file = dynamic_cast<CRecordPrinter*>(&p)) {
        file->PushEscapedAttribute(name, text);
        return;
    }
    p.PushAttribute(name, std::string(text).c_str());
}

inline void WriteInt(tinyxml2::XMLPrinter& p, const char* name, int64_t value) {
    char buf[24];
    auto res = std::to_chars(buf, buf + sizeof buf, value);
    PushNumber(p, name, std::string_view(buf, size_t(res.ptr - buf)));
}

inline void WriteFixed(tinyxml2::XMLPrinter& p, const char* name, double value, int precision) {
    PushNumber(p, name, FormatFixed(value, precision));
}

// Values later arithmetic builds on (stop levels, rates, the account) must reload exactly.
inline void WriteExact(tinyxml2::XMLPrinter& p, const char* name, double value, int precision) {
    PushNumber(p, name, FormatExact(value, precision));
}

// The record file's printer writes GBK; any other printer gets the text as it is (UTF-8),
// escaped by tinyxml2.
inline void WriteText(tinyxml2::XMLPrinter& p, const char* name, const std::string& utf8) {
    if (auto* file = dynamic_cast<CRecordPrinter*>(&p))
        file->PushEscapedAttribute(name, EscapeFileText(utf8));
    else
        p.PushAttribute(name, utf8.c_str());
}

// The record file's own writer. Its text is byte for byte what tinyxml2's printer makes
// of the same calls (four spaces per level, a line per element, "/>" for an element
// without children, a line break after the root), which is what earlier versions of the
// program wrote and what any reader of the file expects; numbers and escaped texts go in
// without a second look.
class CRecordFileWriter {
public:
    explicit CRecordFileWriter(size_t expectedBytes = 0) { Grow(expectedBytes); }

    // "<?" value "?>"
    void PushDeclaration(std::string_view value) {
        BeginNode();
        Put("<?", value, "?>");
    }
    void OpenElement(std::string_view name) {
        BeginNode();
        Put("<", name);
        m_open.push_back(name);
        m_bJustOpened = true;
    }
    void CloseElement() {
        const std::string_view name = m_open.back();
        m_open.pop_back();
        if (m_bJustOpened) {
            Put("/>");
        } else {
            NewLine();
            Put("</", name, ">");
        }
        if (m_open.empty()) Put("\n");
        m_bJustOpened = false;
    }
    // ` name="value"`; the value is printed as it stands.
    void PushEscapedAttribute(std::string_view name, std::string_view escaped) {
        Put(" ", name, "=\"", escaped, "\"");
    }

    // Ends the start tag of the innermost open element, for children written apart.
    void EndStartTag() {
        if (m_bJustOpened) Put(">");
        m_bJustOpened = false;
        m_bFirst = false;
    }
    // A writer that goes on inside the elements open here (after EndStartTag). The texts of
    // this writer and of its child writers, put one after the other, read as if one writer
    // had written them all; a child writer can also close the elements open here, which
    // this one then must not.
    CRecordFileWriter ChildWriter(size_t expectedBytes) const {
        CRecordFileWriter child(expectedBytes);
        child.m_open = m_open;
        child.m_bFirst = false;
        return child;
    }

    std::string_view Text() const { return std::string_view(m_text.get(), m_nUsed); }

private:
    template <class... Parts>
    void Put(const Parts&... parts) {
        const std::string_view views[] = {std::string_view(parts)...};
        size_t total = 0;
        for (std::string_view v : views) total += v.size();
        if (m_nCapacity - m_nUsed < total) Grow(2 * m_nCapacity + total);
        char* p = m_text.get() + m_nUsed;
        for (std::string_view v : views) {
            std::memcpy(p, v.data(), v.size());
            p += v.size();
        }
        m_nUsed += total;
    }
    // The room is left as it comes (no zeroing): a megabyte-sized text touches its pages
    // only once, when they are written.
    void Grow(size_t capacity) {
        if (capacity <= m_nCapacity) return;
        std::unique_ptr<char[]> text(new char[capacity]);
        if (m_nUsed) std::memcpy(text.get(), m_text.get(), m_nUsed);
        m_text = std::move(text);
        m_nCapacity = capacity;
    }
    void BeginNode() {
        if (m_bJustOpened) {
            Put(">");
            m_bJustOpened = false;
        }
        if (m_bFirst)
            m_bFirst = false;
        else
            NewLine();
    }
    void NewLine() {
        static constexpr std::string_view kIndent =
            "\n                                                                ";
        const size_t width = 1 + 4 * m_open.size();
        if (width <= kIndent.size()) {
            Put(kIndent.substr(0, width));
            return;
        }
        Put("\n");
        for (size_t i = 0; i < m_open.size(); ++i) Put("    ");
    }

    std::unique_ptr<char[]> m_text;  // m_nUsed characters written, the rest room for more
    size_t m_nCapacity = 0;
    size_t m_nUsed = 0;
    std::vector<std::string_view> m_open;  // names of the open elements (literals)
    bool m_bJustOpened = false;
    bool m_bFirst = true;
};

inline void WriteInt(CRecordFileWriter& w, std::string_view name, int64_t value) {
    char buf[24];
    auto res = std::to_chars(buf, buf + sizeof buf, value);
    w.PushEscapedAttribute(name, std::string_view(buf, size_t(res.ptr - buf)));
}

inline void WriteFixed(CRecordFileWriter& w, std::string_view name, double value, int precision) {
    char buf[kMaxNumberText];
    w.PushEscapedAttribute(name, std::string_view(buf, FormatFixedTo(buf, value, precision)));
}

inline void WriteExact(CRecordFileWriter& w, std::string_view name, double value, int precision) {
    char buf[kMaxNumberText];
    w.PushEscapedAttribute(name, std::string_view(buf, FormatExactTo(buf, value, precision)));
}

inline void WriteText(CRecordFileWriter& w, std::string_view name, const std::string& utf8) {
    w.PushEscapedAttribute(name, EscapeFileText(utf8));
}

// What a session's text is printed from, in raw form: each value's bytes, each text with
// its length, and the nesting of the elements, without any of the printing. The printing
// takes nothing else into account, so two sessions with the same key print the same text:
// a session's text can be kept and used again for as long as its key stays the same.
class CRecordKey {
public:
    CRecordKey() { m_bytes.reserve(2048); }
    void OpenElement(std::string_view) { m_bytes.push_back('<'); }
    void CloseElement() { m_bytes.push_back('>'); }
    template <class T>
    void PutValue(char kind, const T& value) {
        char raw[1 + sizeof value];
        raw[0] = kind;
        std::memcpy(raw + 1, &value, sizeof value);
        m_bytes.append(raw, sizeof raw);
    }
    void PutText(std::string_view text) {
        PutValue('s', text.size());
        m_bytes.append(text);
    }
    void Clear() { m_bytes.clear(); }
    const std::string& Bytes() const { return m_bytes; }

private:
    std::string m_bytes;
};

inline void WriteInt(CRecordKey& k, std::string_view, int64_t value) {
    k.PutValue('i', value);
}
inline void WriteFixed(CRecordKey& k, std::string_view, double value, int precision) {
    k.PutValue('f', value);
    k.PutValue('p', static_cast<int8_t>(precision));
}
inline void WriteExact(CRecordKey& k, std::string_view, double value, int precision) {
    k.PutValue('e', value);
    k.PutValue('p', static_cast<int8_t>(precision));
}
inline void WriteText(CRecordKey& k, std::string_view, const std::string& utf8) {
    k.PutText(utf8);
}

// One "TrainingItem" element of the file.
void WriteSession(CRecordFileWriter& w, const CTrainingRecord& record);
// The key of that element's text.
void WriteSessionKey(CRecordKey& k, const CTrainingRecord& record);

}  // namespace recordxml
