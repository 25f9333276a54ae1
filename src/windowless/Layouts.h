#pragma once
// Further containers: the tab layout (one child shown at a time), the tile layout (a grid of
// equal columns filled row by row) and the child layout (filled from a layout file of its own).
#include "windowless/Container.h"

namespace WinlessUI {

class CTabLayoutUI : public CContainerUI, public ITabLayoutUI {
public:
    CTabLayoutUI() = default;
    const char* GetClassName() const override { return "TabLayoutUI"; }
    void* GetInterface(const char* name) override;

    bool Add(CControlUI* control) override;
    bool AddAt(CControlUI* control, int index) override;
    bool Remove(CControlUI* control) override;
    bool RemoveAt(int index) override;
    void RemoveAll() override;
    void SetPos(RECT rc) override;
    void SetAttribute(const char* name, const char* value) override;

    int GetCurSel() const { return m_iCurSel; }
    virtual bool SelectTab(CControlUI* control);
    virtual bool SelectTabAt(int index);
    bool SelectItem(int index) override { return SelectTabAt(index); }

protected:
    int m_iCurSel = -1;
};

class CTileLayoutUI : public CContainerUI {
public:
    CTileLayoutUI() = default;
    const char* GetClassName() const override { return "TileLayoutUI"; }
    void* GetInterface(const char* name) override;
    void SetPos(RECT rc) override;
    void SetAttribute(const char* name, const char* value) override;

    SIZE GetTileSize() const { return m_szTile; }
    void SetTileSize(SIZE size);
    int GetColumns() const { return m_nColumns; }
    void SetColumns(int columns);

protected:
    SIZE m_szTile{0, 0};
    int m_nColumns = 1;
};

class CChildLayoutUI : public CContainerUI {
public:
    CChildLayoutUI() = default;
    const char* GetClassName() const override { return "ChildLayoutUI"; }
    void* GetInterface(const char* name) override;
    void Init() override;
    void SetAttribute(const char* name, const char* value) override;
    void SetChildXml(const char* name) { m_sXmlFile = name; }
    const CUIString& GetChildXml() const { return m_sXmlFile; }

protected:
    CUIString m_sXmlFile;
};

}  // namespace WinlessUI
