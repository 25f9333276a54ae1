#include "windowless/Builder.h"

#include <cstdlib>
#include <cstring>
#include <map>
#include <string>

#include "windowless/Button.h"
#include "windowless/Combo.h"
#include "windowless/Container.h"
#include "windowless/DateTime.h"
#include "windowless/GifAnim.h"
#include "windowless/RichEdit.h"
#include "windowless/Tree.h"
#include "windowless/Edit.h"
#include "windowless/Label.h"
#include "windowless/Layouts.h"
#include "windowless/List.h"
#include "windowless/ListElements.h"
#include "windowless/Progress.h"
#include "windowless/ScrollBar.h"

namespace WinlessUI {
namespace {

std::map<std::string, ControlFactory>& Registry() {
    static auto* registry = [] {
        auto* r = new std::map<std::string, ControlFactory>;
        (*r)["Control"] = [] { return new CControlUI; };
        (*r)["Container"] = [] { return new CContainerUI; };
        (*r)["VerticalLayout"] = [] { return new CVerticalLayoutUI; };
        (*r)["HorizontalLayout"] = [] { return new CHorizontalLayoutUI; };
        (*r)["ScrollBar"] = [] { return new CScrollBarUI; };
        (*r)["Label"] = [] { return new CLabelUI; };
        (*r)["Text"] = [] { return new CTextUI; };
        (*r)["Button"] = [] { return new CButtonUI; };
        (*r)["Option"] = [] { return new COptionUI; };
        (*r)["CheckBox"] = [] { return new CCheckBoxUI; };
        (*r)["Edit"] = [] { return new CEditUI; };
        (*r)["TabLayout"] = [] { return new CTabLayoutUI; };
        (*r)["TileLayout"] = [] { return new CTileLayoutUI; };
        (*r)["ChildLayout"] = [] { return new CChildLayoutUI; };
        (*r)["Progress"] = [] { return new CProgressUI; };
        (*r)["Slider"] = [] { return new CSliderUI; };
        (*r)["List"] = [] { return new CListUI; };
        (*r)["ListHeader"] = [] { return new CListHeaderUI; };
        (*r)["ListHeaderItem"] = [] { return new CListHeaderItemUI; };
        (*r)["ListElement"] = [] { return new CListElementUI; };
        (*r)["ListLabelElement"] = [] { return new CListLabelElementUI; };
        (*r)["ListTextElement"] = [] { return new CListTextElementUI; };
        (*r)["ListContainerElement"] = [] { return new CListContainerElementUI; };
        (*r)["Combo"] = [] { return new CComboUI; };
        (*r)["TreeView"] = [] { return new CTreeViewUI; };
        (*r)["TreeNode"] = [] { return new CTreeNodeUI; };
        (*r)["DateTime"] = [] { return new CDateTimeUI; };
        (*r)["GifAnim"] = [] { return new CGifAnimUI; };
        (*r)["RichEdit"] = [] { return new CRichEditUI; };
        return r;
    }();
    return *registry;
}

}  // namespace

bool RegisterControlClass(const char* elementName, ControlFactory factory) {
    if (elementName == nullptr || !factory) return false;
    return Registry().emplace(elementName, std::move(factory)).second;
}
bool IsControlClassRegistered(const char* elementName) {
    return elementName && Registry().count(elementName) > 0;
}
CControlUI* CreateRegisteredControl(const char* elementName) {
    auto it = Registry().find(elementName ? elementName : "");
    return it == Registry().end() ? nullptr : it->second();
}

bool CDialogBuilder::LoadBytes(const std::string& bytes) {
    return m_xml.LoadFromMem(reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size(),
                             CMarkup::XMLFILE_ENCODING_UTF8);
}

CControlUI* CDialogBuilder::Create(UINT resourceId, const char* type, IDialogBuilderCallback* callback,
                                   CUIPaintManager* manager, CControlUI* parent) {
    std::string bytes;
    if (!CUIPaintManager::ReadResourceFile(std::to_string(resourceId).c_str(), type, &bytes)) return nullptr;
    m_sType = type;
    m_pstrtype = m_sType.GetData();
    m_pCallback = callback;
    if (!LoadBytes(bytes)) return nullptr;
    return Create(callback, manager, parent);
}

CControlUI* CDialogBuilder::Create(const char* layout, const char* type, IDialogBuilderCallback* callback,
                                   CUIPaintManager* manager, CControlUI* parent) {
    if (layout == nullptr) return nullptr;
    if (type != nullptr && *type != '\0') return Create((UINT)strtoul(layout, nullptr, 10), type, callback, manager, parent);
    if (*layout == '<') {
        if (!m_xml.Load(layout)) return nullptr;
    } else {
        std::string bytes;
        if (!CUIPaintManager::ReadResourceFile(layout, nullptr, &bytes)) return nullptr;
        if (!LoadBytes(bytes)) return nullptr;
    }
    return Create(callback, manager, parent);
}

CControlUI* CDialogBuilder::Create(IDialogBuilderCallback* callback, CUIPaintManager* manager, CControlUI* parent) {
    m_pCallback = callback;
    CMarkupNode root = m_xml.GetRoot();
    if (!root.IsValid()) return nullptr;
    if (manager != nullptr) {
        for (CMarkupNode node = root.GetChild(); node.IsValid(); node = node.GetSibling()) {
            const char* cls = node.GetName();
            if (strcmp(cls, "Image") == 0) {
                const char* name = node.GetAttributeValue("name");
                const char* restype = node.GetAttributeValue("restype");
                DWORD mask = ParseColor(node.GetAttributeValue("mask"));
                if (*name) manager->AddImage(name, *restype ? restype : nullptr, mask);
            } else if (strcmp(cls, "Font") == 0) {
                const char* name = node.GetAttributeValue("name");
                int size = node.HasAttribute("size") ? atoi(node.GetAttributeValue("size")) : 12;
                bool bold = ParseBool(node.GetAttributeValue("bold"));
                bool underline = ParseBool(node.GetAttributeValue("underline"));
                bool italic = ParseBool(node.GetAttributeValue("italic"));
                bool isDefault = ParseBool(node.GetAttributeValue("default"));
                if (*name) {
                    manager->AddFont(name, size, bold, underline, italic);
                    if (isDefault) manager->SetDefaultFont(name, size, bold, underline, italic);
                }
            } else if (strcmp(cls, "Default") == 0) {
                const char* name = node.GetAttributeValue("name");
                const char* value = node.GetAttributeValue("value");
                if (*name) manager->AddClassDefaults(name, value);
            }
        }
        if (strcmp(root.GetName(), "Window") == 0 && manager->GetHostWindow() != nullptr) {
            int n = root.GetAttributeCount();
            for (int i = 0; i < n; i++) {
                const char* name = root.GetAttributeName(i);
                const char* value = root.GetAttributeValue(i);
                auto is = [&](const char* x) { return strcmp(name, x) == 0; };
                if (is("size")) {
                    SIZE sz = ParseSize(value);
                    manager->SetInitialSize(sz.cx, sz.cy);
                } else if (is("sizebox")) manager->SetSizeBox(ParseRect(value));
                else if (is("caption")) manager->SetCaptionRect(ParseRect(value));
                else if (is("roundcorner")) {
                    SIZE sz = ParseSize(value);
                    manager->SetRoundCorner(sz.cx, sz.cy);
                } else if (is("mininfo")) {
                    SIZE sz = ParseSize(value);
                    manager->SetMinInfo(sz.cx, sz.cy);
                } else if (is("maxinfo")) {
                    SIZE sz = ParseSize(value);
                    manager->SetMaxInfo(sz.cx, sz.cy);
                } else if (is("alpha")) manager->SetOpacity(atoi(value));
                else if (is("bktrans")) manager->SetBackgroundTransparent(ParseBool(value));
                else if (is("gdiplustext")) manager->SetUseGdiplusText(ParseBool(value));
                else if (is("richeditcorner")) manager->SetRichEditCorner(ParseRect(value));
                else if (is("disabledfontcolor")) manager->SetDefaultDisabledColor(ParseColor(value));
                else if (is("defaultfontcolor")) manager->SetDefaultFontColor(ParseColor(value));
                else if (is("linkfontcolor")) manager->SetDefaultLinkFontColor(ParseColor(value));
                else if (is("linkhoverfontcolor")) manager->SetDefaultLinkHoverFontColor(ParseColor(value));
                else if (is("selectedcolor")) manager->SetDefaultSelectedBkColor(ParseColor(value));
                else if (is("shadowsize")) manager->GetShadow()->SetSize(atoi(value));
                else if (is("shadowsharpness")) manager->GetShadow()->SetSharpness((unsigned)atoi(value));
                else if (is("shadowdarkness")) manager->GetShadow()->SetDarkness((unsigned)atoi(value));
                else if (is("shadowposition")) {
                    SIZE sz = ParseSize(value);
                    manager->GetShadow()->SetPosition(sz.cx, sz.cy);
                } else if (is("shadowcolor")) manager->GetShadow()->SetColor(ParseColor(value));
                else if (is("shadowcorner")) manager->GetShadow()->SetShadowCorner(ParseRect(value));
                else if (is("shadowimage")) manager->GetShadow()->SetImage(value);
                else if (is("showshadow")) manager->GetShadow()->SetShow(ParseBool(value));
            }
        }
    }
    return Parse(&root, parent, manager);
}

CControlUI* CDialogBuilder::Parse(CMarkupNode* root, CControlUI* parent, CUIPaintManager* manager) {
    CControlUI* first = nullptr;
    for (CMarkupNode node = root->GetChild(); node.IsValid(); node = node.GetSibling()) {
        const char* cls = node.GetName();
        if (strcmp(cls, "Image") == 0 || strcmp(cls, "Font") == 0 || strcmp(cls, "Default") == 0) continue;
        if (strcmp(cls, "Include") == 0) {
            if (!node.HasAttributes()) continue;
            char countText[499] = {0}, source[499] = {0};
            int count = 1;
            if (node.GetAttributeValue("count", countText, sizeof(countText))) count = atoi(countText);
            if (!node.GetAttributeValue("source", source, sizeof(source)) || count <= 0) continue;
            for (int i = 0; i < count; i++) {
                CDialogBuilder builder;
                CControlUI* c = m_pstrtype != nullptr
                                    ? builder.Create((UINT)strtoul(source, nullptr, 10), m_pstrtype, m_pCallback, manager, parent)
                                    : builder.Create(source, nullptr, m_pCallback, manager, parent);
                if (first == nullptr) first = c;
            }
            continue;
        }
        // Hosted browser, Flash and ActiveX objects do not exist on this platform: their
        // elements are known and build nothing.
        if (strcmp(cls, "ActiveX") == 0 || strcmp(cls, "WebBrowser") == 0 || strcmp(cls, "Flash") == 0) continue;
        CControlUI* control = CreateRegisteredControl(cls);
        if (control == nullptr && m_pCallback != nullptr) control = m_pCallback->CreateControl(cls);
        if (control == nullptr) continue;  // nobody makes it: skipped with its children
        if (node.HasChildren()) Parse(&node, control, manager);
        if (parent != nullptr) {
            auto* container = static_cast<IContainerUI*>(parent->GetInterface("IContainer"));
            if (container == nullptr) {
                delete control;
                return nullptr;
            }
            if (!container->Add(control)) {
                delete control;
                continue;
            }
        }
        if (manager != nullptr) {
            control->BindManager(manager, nullptr, false);
            if (const char* defaults = manager->GetClassDefaults(cls)) control->ApplyAttributeText(defaults);
            int n = node.GetAttributeCount();
            for (int i = 0; i < n; i++) control->SetAttribute(node.GetAttributeName(i), node.GetAttributeValue(i));
            control->BindManager(nullptr, nullptr, false);
        }
        if (first == nullptr) first = control;
    }
    return first;
}

}  // namespace WinlessUI
