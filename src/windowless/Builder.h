#pragma once
// Turns a skin layout (XML) into a tree of controls attached to a paint manager. Control
// classes are found by element name in a registry: the framework's own controls are
// registered from the start, and further control families register theirs when they are
// linked in. Names nobody registered are offered to the window's callback.
#include <functional>

#include "windowless/Control.h"
#include "windowless/Markup.h"

namespace WinlessUI {

class IDialogBuilderCallback {
public:
    virtual ~IDialogBuilderCallback() = default;
    virtual CControlUI* CreateControl(const char* className) = 0;
};

using ControlFactory = std::function<CControlUI*()>;

// Registers a factory for an element name; false when the name is taken.
bool RegisterControlClass(const char* elementName, ControlFactory factory);
bool IsControlClassRegistered(const char* elementName);
CControlUI* CreateRegisteredControl(const char* elementName);

class CDialogBuilder {
public:
    CDialogBuilder() = default;
    // layout: a resource id (below 0x10000, given as a number), a text starting with "<",
    // or a file name read from the skin folder or archive.
    CControlUI* Create(const char* layout, const char* type = nullptr, IDialogBuilderCallback* callback = nullptr,
                       CUIPaintManager* manager = nullptr, CControlUI* parent = nullptr);
    CControlUI* Create(UINT resourceId, const char* type, IDialogBuilderCallback* callback = nullptr,
                       CUIPaintManager* manager = nullptr, CControlUI* parent = nullptr);
    CControlUI* Create(IDialogBuilderCallback* callback = nullptr, CUIPaintManager* manager = nullptr,
                       CControlUI* parent = nullptr);
    CMarkup* GetMarkup() { return &m_xml; }
    const char* GetLastErrorMessage() const { return m_xml.GetLastErrorMessage(); }

private:
    CControlUI* Parse(CMarkupNode* root, CControlUI* parent, CUIPaintManager* manager);
    bool LoadBytes(const std::string& bytes);

    CMarkup m_xml;
    IDialogBuilderCallback* m_pCallback = nullptr;
    const char* m_pstrtype = nullptr;
    CUIString m_sType;
};

}  // namespace WinlessUI
