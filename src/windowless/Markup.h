#pragma once
// A small in-place reader for skin layout XML: elements, double-quoted attributes, text
// content, five entities, comments and processing instructions. The whole text is parsed
// once into a flat array of element records; nodes are light handles.
#include <cstddef>
#include <string>

namespace WinlessUI {

class CMarkup;

class CMarkupNode {
public:
    CMarkupNode() = default;
    CMarkupNode(CMarkup* owner, int pos) : m_pOwner(owner), m_iPos(pos) {}

    bool IsValid() const { return m_pOwner != nullptr; }
    CMarkupNode GetParent();
    CMarkupNode GetSibling();
    CMarkupNode GetChild();
    CMarkupNode GetChild(const char* name);
    bool HasSiblings() const;
    bool HasChildren() const;
    const char* GetName() const;
    const char* GetValue() const;

    bool HasAttributes();
    bool HasAttribute(const char* name);
    int GetAttributeCount();
    const char* GetAttributeName(int index);
    const char* GetAttributeValue(int index);
    const char* GetAttributeValue(const char* name);
    bool GetAttributeValue(int index, char* value, std::size_t size);
    bool GetAttributeValue(const char* name, char* value, std::size_t size);

    enum { MAX_XML_ATTRIBUTES = 64 };

private:
    void MapAttributes();
    struct XMLATTRIBUTE {
        unsigned long iName;
        unsigned long iValue;
    };
    CMarkup* m_pOwner = nullptr;
    int m_iPos = 0;
    int m_nAttributes = -1;  // -1: not collected yet
    XMLATTRIBUTE m_aAttributes[MAX_XML_ATTRIBUTES];
};

class CMarkup {
public:
    enum Encoding { XMLFILE_ENCODING_UTF8 = 0, XMLFILE_ENCODING_UNICODE = 1, XMLFILE_ENCODING_ASNI = 2 };
    explicit CMarkup(const char* xml = nullptr);
    ~CMarkup();
    CMarkup(const CMarkup&) = delete;
    CMarkup& operator=(const CMarkup&) = delete;

    bool Load(const char* xml);
    bool LoadFromMem(const unsigned char* bytes, std::size_t length, int encoding = XMLFILE_ENCODING_UTF8);
    void Release();
    bool IsValid() const { return m_pElements != nullptr; }
    int GetElementCount() const { return m_nElements; }
    const char* GetLastErrorMessage() const { return m_szErrorMsg; }
    const char* GetLastErrorLocation() const { return m_szErrorXML; }
    CMarkupNode GetRoot();

private:
    friend class CMarkupNode;
    struct XMLELEMENT {
        unsigned long iStart;
        unsigned long iChild;
        unsigned long iNext;
        unsigned long iParent;
        unsigned long iData;
    };
    bool ParseText(char* text);
    bool Parse();
    bool Parse(char*& txt, unsigned long parent, int depth);
    XMLELEMENT* ReserveElement();
    static void SkipWhitespace(char*& p);
    static void SkipWhitespace(const char*& p);
    static void SkipIdentifier(char*& p);
    bool ParseData(char*& txt, char*& dest, char cEnd);
    bool ParseAttributes(char*& txt);
    bool Failed(const char* error, const char* location = nullptr);

    char* m_pstrXML = nullptr;
    XMLELEMENT* m_pElements = nullptr;
    unsigned long m_nElements = 0;
    unsigned long m_nReservedElements = 0;
    char m_szErrorMsg[100] = {};
    char m_szErrorXML[50] = {};
};

}  // namespace WinlessUI
