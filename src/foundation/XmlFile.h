#pragma once
// Loading and saving the program's XML files. Documents are UTF-8 in memory; files whose
// declaration names a GBK-family encoding ("gb2312", "gbk", "gb18030") are converted on
// the way in and out, so such a file stays GBK on disk. Saves are atomic (AtomicFile.h).

#include <string>

namespace tinyxml2 {
class XMLDocument;
}

enum class XmlLoadResult {
    Ok,
    Missing,  // the file does not exist or cannot be read
    Damaged,  // the file exists but does not parse; the document is left empty
};

XmlLoadResult LoadXmlFile(tinyxml2::XMLDocument& doc, const std::string& path,
                          std::string* error = nullptr);

// Parses text read from a file, converting from GBK when its declaration says so (or when
// it has no declared encoding and is not valid UTF-8).
XmlLoadResult ParseXmlText(tinyxml2::XMLDocument& doc, const std::string& bytes,
                           std::string* error = nullptr);

// Writes the document in the encoding its declaration names (UTF-8 when none or another).
bool SaveXmlFile(tinyxml2::XMLDocument& doc, const std::string& path, std::string* error = nullptr);

// Puts the declaration the system writes, version "1.0" encoding "gb2312", at the head of
// an empty or declaration-less document.
void AddXmlDeclaration(tinyxml2::XMLDocument& doc);

// The encoding named by the document's declaration, lower-cased; empty when none.
std::string XmlDeclaredEncoding(const tinyxml2::XMLDocument& doc);
