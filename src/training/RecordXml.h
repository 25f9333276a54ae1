#pragma once
// Attribute access shared by the readers and writers of the record file's elements.
// Reading visits each element's attributes once; writing streams straight into the
// printer, so a file of thousands of sessions costs little beyond the XML itself.
// A missing attribute reads 0, 0.0 or empty text.

#include <tinyxml2.h>

#include <charconv>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

#include "training/RecordText.h"

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

}  // namespace recordxml
