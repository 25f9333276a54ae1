#include "foundation/XmlFile.h"

#include <tinyxml2.h>

#include <algorithm>
#include <cctype>
#include <cerrno>

#include "foundation/AtomicFile.h"
#include "foundation/TextCodec.h"

namespace {

std::string Lower(std::string s) {
    std::transform(s.begin(), s.end(), s.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return s;
}

bool IsGbkName(const std::string& encoding) {
    return encoding == "gb2312" || encoding == "gbk" || encoding == "gb18030" ||
           encoding == "cp936" || encoding == "x-gbk";
}

// Encoding named in a declaration text such as `xml version="1.0" encoding="gb2312"`.
std::string EncodingIn(std::string_view decl) {
    size_t pos = decl.find("encoding");
    if (pos == std::string_view::npos) return {};
    pos = decl.find_first_of("\"'", pos);
    if (pos == std::string_view::npos) return {};
    char quote = decl[pos];
    size_t end = decl.find(quote, pos + 1);
    if (end == std::string_view::npos) return {};
    return Lower(std::string(decl.substr(pos + 1, end - pos - 1)));
}

std::string FileDeclaredEncoding(const std::string& bytes) {
    std::string_view text(bytes);
    if (text.substr(0, 3) == "\xEF\xBB\xBF") return "utf-8";
    size_t start = text.find("<?xml");
    if (start == std::string_view::npos || start > 16) return {};
    size_t end = text.find("?>", start);
    if (end == std::string_view::npos) return {};
    return EncodingIn(text.substr(start, end - start));
}

}  // namespace

XmlLoadResult ParseXmlText(tinyxml2::XMLDocument& doc, const std::string& bytes,
                           std::string* error) {
    doc.Clear();
    std::string encoding = FileDeclaredEncoding(bytes);
    bool gbk = IsGbkName(encoding) || (encoding.empty() && !IsValidUtf8(bytes));
    std::string utf8 = gbk ? AnsiToUtf8(bytes) : std::string();
    const std::string& text = gbk ? utf8 : bytes;
    if (doc.Parse(text.data(), text.size()) != tinyxml2::XML_SUCCESS) {
        if (error) *error = doc.ErrorStr() ? doc.ErrorStr() : "XML parse error";
        doc.Clear();
        return XmlLoadResult::Damaged;
    }
    return XmlLoadResult::Ok;
}

XmlLoadResult LoadXmlFile(tinyxml2::XMLDocument& doc, const std::string& path, std::string* error) {
    std::string bytes;
    if (!ReadWholeFile(path, bytes, error)) {
        doc.Clear();
        return XmlLoadResult::Missing;
    }
    return ParseXmlText(doc, bytes, error);
}

std::string XmlDeclaredEncoding(const tinyxml2::XMLDocument& doc) {
    for (const tinyxml2::XMLNode* node = doc.FirstChild(); node; node = node->NextSibling()) {
        if (const tinyxml2::XMLDeclaration* decl = node->ToDeclaration())
            return EncodingIn(decl->Value() ? decl->Value() : "");
        if (node->ToElement()) break;
    }
    return {};
}

bool SaveXmlFile(tinyxml2::XMLDocument& doc, const std::string& path, std::string* error) {
    tinyxml2::XMLPrinter printer;
    doc.Print(&printer);
    std::string text(printer.CStr(), printer.CStrSize() > 0 ? printer.CStrSize() - 1 : 0);
    if (IsGbkName(XmlDeclaredEncoding(doc))) text = Utf8ToAnsiXml(text);
    return WriteFileAtomic(path, text, error);
}

void AddXmlDeclaration(tinyxml2::XMLDocument& doc) {
    const tinyxml2::XMLNode* first = doc.FirstChild();
    if (first && first->ToDeclaration()) return;
    tinyxml2::XMLDeclaration* decl = doc.NewDeclaration("xml version=\"1.0\" encoding=\"gb2312\"");
    doc.InsertFirstChild(decl);
}
