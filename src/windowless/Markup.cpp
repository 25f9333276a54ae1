#include "windowless/Markup.h"

#include <cstdlib>
#include <cstring>

namespace WinlessUI {
namespace {

constexpr std::size_t kMaxFile = 0x400000;
// Nesting deeper than this is no skin layout; refusing it keeps the recursion bounded.
constexpr int kMaxDepth = 200;

void AppendUtf8(std::string& out, unsigned cp) {
    if (cp < 0x80) {
        out += char(cp);
    } else if (cp < 0x800) {
        out += char(0xC0 | (cp >> 6));
        out += char(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += char(0xE0 | (cp >> 12));
        out += char(0x80 | ((cp >> 6) & 0x3F));
        out += char(0x80 | (cp & 0x3F));
    } else {
        out += char(0xF0 | (cp >> 18));
        out += char(0x80 | ((cp >> 12) & 0x3F));
        out += char(0x80 | ((cp >> 6) & 0x3F));
        out += char(0x80 | (cp & 0x3F));
    }
}

std::string Utf16ToUtf8(const unsigned char* p, std::size_t chars, bool bigEndian) {
    std::string out;
    for (std::size_t i = 0; i < chars; ++i) {
        unsigned u = bigEndian ? (p[2 * i] << 8) | p[2 * i + 1] : p[2 * i] | (p[2 * i + 1] << 8);
        if (u >= 0xD800 && u < 0xDC00 && i + 1 < chars) {
            unsigned v = bigEndian ? (p[2 * i + 2] << 8) | p[2 * i + 3] : p[2 * i + 2] | (p[2 * i + 3] << 8);
            if (v >= 0xDC00 && v < 0xE000) {
                AppendUtf8(out, 0x10000 + ((u - 0xD800) << 10) + (v - 0xDC00));
                ++i;
                continue;
            }
        }
        if (u == 0) break;
        AppendUtf8(out, (u >= 0xD800 && u < 0xE000) ? 0xFFFD : u);
    }
    return out;
}

}  // namespace

// ---------------- CMarkupNode ----------------

CMarkupNode CMarkupNode::GetSibling() {
    if (m_pOwner == nullptr) return CMarkupNode();
    unsigned long pos = m_pOwner->m_pElements[m_iPos].iNext;
    if (pos == 0) return CMarkupNode();
    return CMarkupNode(m_pOwner, int(pos));
}
bool CMarkupNode::HasSiblings() const {
    return m_pOwner != nullptr && m_pOwner->m_pElements[m_iPos].iNext > 0;
}
CMarkupNode CMarkupNode::GetChild() {
    if (m_pOwner == nullptr) return CMarkupNode();
    unsigned long pos = m_pOwner->m_pElements[m_iPos].iChild;
    if (pos == 0) return CMarkupNode();
    return CMarkupNode(m_pOwner, int(pos));
}
CMarkupNode CMarkupNode::GetChild(const char* name) {
    if (m_pOwner == nullptr) return CMarkupNode();
    unsigned long pos = m_pOwner->m_pElements[m_iPos].iChild;
    while (pos != 0) {
        if (strcmp(m_pOwner->m_pstrXML + m_pOwner->m_pElements[pos].iStart, name) == 0)
            return CMarkupNode(m_pOwner, int(pos));
        pos = m_pOwner->m_pElements[pos].iNext;
    }
    return CMarkupNode();
}
CMarkupNode CMarkupNode::GetParent() {
    if (m_pOwner == nullptr) return CMarkupNode();
    unsigned long pos = m_pOwner->m_pElements[m_iPos].iParent;
    if (pos == 0) return CMarkupNode();
    return CMarkupNode(m_pOwner, int(pos));
}
bool CMarkupNode::HasChildren() const {
    return m_pOwner != nullptr && m_pOwner->m_pElements[m_iPos].iChild != 0;
}
const char* CMarkupNode::GetName() const {
    if (m_pOwner == nullptr) return nullptr;
    return m_pOwner->m_pstrXML + m_pOwner->m_pElements[m_iPos].iStart;
}
const char* CMarkupNode::GetValue() const {
    if (m_pOwner == nullptr) return nullptr;
    return m_pOwner->m_pstrXML + m_pOwner->m_pElements[m_iPos].iData;
}

void CMarkupNode::MapAttributes() {
    m_nAttributes = 0;
    const char* xml = m_pOwner->m_pstrXML;
    const char* p = xml + m_pOwner->m_pElements[m_iPos].iStart;
    // The attributes lie between the element's name and its content; parsing terminated
    // the name and each attribute name and value in place (the "=" became a blank).
    const char* end = xml + m_pOwner->m_pElements[m_iPos].iData;
    p += strlen(p) + 1;
    while (p < end && m_nAttributes < MAX_XML_ATTRIBUTES) {
        CMarkup::SkipWhitespace(p);
        if (p >= end || *p == '\0' || *p == '>' || *p == '/') break;
        const char* name = p;
        p += strlen(p) + 1;  // skips the name and the blank that was "="
        if (p >= end) break;
        CMarkup::SkipWhitespace(p);
        if (p >= end || *p != '"') break;
        ++p;
        m_aAttributes[m_nAttributes].iName = (unsigned long)(name - xml);
        m_aAttributes[m_nAttributes].iValue = (unsigned long)(p - xml);
        ++m_nAttributes;
        p += strlen(p) + 1;
    }
}
bool CMarkupNode::HasAttributes() {
    return GetAttributeCount() > 0;
}
int CMarkupNode::GetAttributeCount() {
    if (m_pOwner == nullptr) return 0;
    if (m_nAttributes < 0) MapAttributes();
    return m_nAttributes;
}
const char* CMarkupNode::GetAttributeName(int index) {
    if (m_pOwner == nullptr) return nullptr;
    if (m_nAttributes < 0) MapAttributes();
    if (index < 0 || index >= m_nAttributes) return "";
    return m_pOwner->m_pstrXML + m_aAttributes[index].iName;
}
const char* CMarkupNode::GetAttributeValue(int index) {
    if (m_pOwner == nullptr) return nullptr;
    if (m_nAttributes < 0) MapAttributes();
    if (index < 0 || index >= m_nAttributes) return "";
    return m_pOwner->m_pstrXML + m_aAttributes[index].iValue;
}
const char* CMarkupNode::GetAttributeValue(const char* name) {
    if (m_pOwner == nullptr) return nullptr;
    if (m_nAttributes < 0) MapAttributes();
    for (int i = 0; i < m_nAttributes; i++)
        if (strcmp(m_pOwner->m_pstrXML + m_aAttributes[i].iName, name) == 0)
            return m_pOwner->m_pstrXML + m_aAttributes[i].iValue;
    return "";
}
bool CMarkupNode::GetAttributeValue(int index, char* value, std::size_t size) {
    if (m_pOwner == nullptr || size == 0) return false;
    if (m_nAttributes < 0) MapAttributes();
    if (index < 0 || index >= m_nAttributes) return false;
    strncpy(value, m_pOwner->m_pstrXML + m_aAttributes[index].iValue, size);
    value[size - 1] = '\0';
    return true;
}
bool CMarkupNode::GetAttributeValue(const char* name, char* value, std::size_t size) {
    if (m_pOwner == nullptr || size == 0) return false;
    if (m_nAttributes < 0) MapAttributes();
    for (int i = 0; i < m_nAttributes; i++) {
        if (strcmp(m_pOwner->m_pstrXML + m_aAttributes[i].iName, name) == 0) {
            strncpy(value, m_pOwner->m_pstrXML + m_aAttributes[i].iValue, size);
            value[size - 1] = '\0';
            return true;
        }
    }
    return false;
}
bool CMarkupNode::HasAttribute(const char* name) {
    if (m_pOwner == nullptr) return false;
    if (m_nAttributes < 0) MapAttributes();
    for (int i = 0; i < m_nAttributes; i++)
        if (strcmp(m_pOwner->m_pstrXML + m_aAttributes[i].iName, name) == 0) return true;
    return false;
}

// ---------------- CMarkup ----------------

CMarkup::CMarkup(const char* xml) {
    if (xml) Load(xml);
}
CMarkup::~CMarkup() {
    Release();
}
void CMarkup::Release() {
    free(m_pstrXML);
    free(m_pElements);
    m_pstrXML = nullptr;
    m_pElements = nullptr;
    m_nElements = 0;
    m_nReservedElements = 0;
}
bool CMarkup::Load(const char* xml) {
    Release();
    if (xml == nullptr) return Failed("Error parsing element name");
    std::size_t len = strlen(xml);
    return ParseText(strndup(xml, len));
}
bool CMarkup::ParseText(char* text) {
    m_pstrXML = text;
    if (m_pstrXML == nullptr) return Failed("Out of memory");
    bool ok = Parse();
    if (!ok) Release();
    return ok;
}
bool CMarkup::LoadFromMem(const unsigned char* bytes, std::size_t length, int encoding) {
    Release();
    if (length > kMaxFile) return Failed("File too large");
    if (bytes == nullptr) length = 0;
    std::string text;
    if (encoding == XMLFILE_ENCODING_UTF8) {
        // Layout files are UTF-8, which is also the program's own text: only the mark goes.
        if (length >= 3 && bytes[0] == 0xEF && bytes[1] == 0xBB && bytes[2] == 0xBF) bytes += 3, length -= 3;
        text.assign(reinterpret_cast<const char*>(bytes), length);
    } else if (encoding == XMLFILE_ENCODING_UNICODE) {
        if (length >= 2 && bytes[0] == 0xFF && bytes[1] == 0xFE)
            text = Utf16ToUtf8(bytes + 2, length / 2 - 1, false);
        else if (length >= 2 && bytes[0] == 0xFE && bytes[1] == 0xFF)
            text = Utf16ToUtf8(bytes + 2, length / 2 - 1, true);
        else
            return Failed("Missing byte order mark");
    } else {
        text.assign(reinterpret_cast<const char*>(bytes), length);
    }
    return ParseText(strndup(text.c_str(), strlen(text.c_str())));
}

CMarkupNode CMarkup::GetRoot() {
    if (m_nElements < 2) return CMarkupNode();  // element 0 is only the placeholder
    return CMarkupNode(this, 1);
}

bool CMarkup::Parse() {
    ReserveElement();  // element 0: placeholder
    m_szErrorMsg[0] = '\0';
    m_szErrorXML[0] = '\0';
    char* txt = m_pstrXML;
    return Parse(txt, 0, 0);
}

CMarkup::XMLELEMENT* CMarkup::ReserveElement() {
    if (m_nElements == 0) m_nReservedElements = 0;
    if (m_nElements >= m_nReservedElements) {
        unsigned long grown = m_nReservedElements + m_nReservedElements / 2 + 500;
        auto* block = static_cast<XMLELEMENT*>(realloc(m_pElements, grown * sizeof(XMLELEMENT)));
        if (block == nullptr) return nullptr;
        m_pElements = block;
        m_nReservedElements = grown;
    }
    return &m_pElements[m_nElements++];
}

void CMarkup::SkipWhitespace(char*& p) {
    while (*p > '\0' && *p <= ' ') ++p;
}
void CMarkup::SkipWhitespace(const char*& p) {
    while (*p > '\0' && *p <= ' ') ++p;
}
void CMarkup::SkipIdentifier(char*& p) {
    while (*p != '\0' && (*p == '_' || *p == ':' || (*p >= 'a' && *p <= 'z') || (*p >= 'A' && *p <= 'Z') ||
                          (*p >= '0' && *p <= '9')))
        ++p;
}

bool CMarkup::Parse(char*& txt, unsigned long parent, int depth) {
    if (depth > kMaxDepth) return Failed("Nesting too deep", txt);
    unsigned long prev = 0;
    for (;;) {
        SkipWhitespace(txt);
        if (*txt == '\0') {
            // The end of the text: fine at the top level and directly inside the root.
            if (depth <= 1) return true;
            return Failed("Expected start tag", txt);
        }
        if (*txt != '<') return Failed("Expected start tag", txt);
        if (txt[1] == '/') return true;
        *txt++ = '\0';
        if (*txt == '!' || *txt == '?') {
            char end = *txt == '!' ? '-' : '?';
            while (*txt != '\0' && !(txt[0] == end && txt[1] == '>')) ++txt;
            if (*txt != '\0') txt += 2;
            continue;
        }
        SkipWhitespace(txt);
        XMLELEMENT* el = ReserveElement();
        if (el == nullptr) return Failed("Out of memory", txt);
        unsigned long pos = (unsigned long)(el - m_pElements);
        el->iStart = (unsigned long)(txt - m_pstrXML);
        el->iParent = parent;
        el->iNext = el->iChild = 0;
        el->iData = 0;
        if (prev != 0)
            m_pElements[prev].iNext = pos;
        else if (parent > 0)
            m_pElements[parent].iChild = pos;
        prev = pos;
        const char* name = txt;
        SkipIdentifier(txt);
        char* nameEnd = txt;
        if (*txt == '\0' || nameEnd == name) return Failed("Error parsing element name", txt);
        if (!ParseAttributes(txt)) return false;
        SkipWhitespace(txt);
        if (txt[0] == '/' && txt[1] == '>') {
            m_pElements[pos].iData = (unsigned long)(txt - m_pstrXML);
            *txt = '\0';
            txt += 2;
        } else {
            if (*txt != '>') return Failed("Expected start-tag closing", txt);
            m_pElements[pos].iData = (unsigned long)(++txt - m_pstrXML);
            char* dest = txt;
            if (!ParseData(txt, dest, '<')) return false;
            char* dataEnd = dest;
            if (*txt == '<' && txt[1] != '/') {
                if (!Parse(txt, pos, depth + 1)) return false;
            }
            if (*txt == '\0') {
                if (depth > 0) return Failed("Expected end-tag start", txt);
                // The root's end tag is missing: tolerated.
                *dataEnd = '\0';
                *nameEnd = '\0';
                return true;
            }
            if (txt[0] != '<' || txt[1] != '/') return Failed("Expected end-tag start", txt);
            *dataEnd = '\0';
            txt += 2;
            std::size_t nameLen = std::size_t(nameEnd - name);
            if (strncmp(txt, name, nameLen) != 0) return Failed("Unmatched closing tag", txt);
            txt += nameLen;
            SkipWhitespace(txt);
            if (*txt != '>') return Failed("Unmatched closing tag", txt);
            ++txt;
        }
        *nameEnd = '\0';
    }
}

bool CMarkup::ParseData(char*& txt, char*& dest, char cEnd) {
    while (*txt != '\0' && *txt != cEnd) {
        if (*txt == '&') {
            static const struct {
                const char* entity;
                char ch;
            } kEntities[] = {{"&amp;", '&'}, {"&lt;", '<'}, {"&gt;", '>'}, {"&quot;", '"'}, {"&apos;", '\''}};
            bool decoded = false;
            for (const auto& e : kEntities) {
                std::size_t n = strlen(e.entity);
                if (strncmp(txt, e.entity, n) == 0) {
                    *dest++ = e.ch;
                    txt += n;
                    decoded = true;
                    break;
                }
            }
            if (decoded) continue;
        }
        *dest++ = *txt++;
    }
    if (*txt == '\0' && cEnd == '"') return Failed("Error while parsing attribute string", txt);
    if (dest != txt) {
        // Blank out what the decoding freed, up to the end character.
        char* p = dest;
        while (p < txt) *p++ = ' ';
    }
    return true;
}

bool CMarkup::ParseAttributes(char*& txt) {
    if (*txt == '>' || *txt == '/') return true;
    *txt++ = '\0';
    SkipWhitespace(txt);
    while (*txt != '\0' && *txt != '>' && *txt != '/') {
        char* nameStart = txt;
        SkipIdentifier(txt);
        char* nameEnd = txt;
        if (nameEnd == nameStart) return Failed("Error while parsing attributes", txt);
        SkipWhitespace(txt);
        if (*txt != '=') return Failed("Error while parsing attributes", txt);
        *txt++ = ' ';
        *nameEnd = '\0';
        SkipWhitespace(txt);
        if (*txt != '"') return Failed("Expected attribute value", txt);
        ++txt;
        char* dest = txt;
        if (!ParseData(txt, dest, '"')) return false;
        if (*txt == '\0') return Failed("Error while parsing attribute string", txt);
        *dest = '\0';
        if (dest != txt) *txt = ' ';
        else *txt = '\0';
        txt++;
        SkipWhitespace(txt);
    }
    return true;
}

bool CMarkup::Failed(const char* error, const char* location) {
    strncpy(m_szErrorMsg, error, sizeof(m_szErrorMsg) - 1);
    m_szErrorMsg[sizeof(m_szErrorMsg) - 1] = '\0';
    if (location) {
        strncpy(m_szErrorXML, location, sizeof(m_szErrorXML) - 1);
        m_szErrorXML[sizeof(m_szErrorXML) - 1] = '\0';
    } else {
        m_szErrorXML[0] = '\0';
    }
    return false;
}

}  // namespace WinlessUI
