#pragma once
// The drawing-tool picker: the chart's second element bar. Eight group buttons with a
// drop-down of related tools each (the text and symbol tools as a grid of icons), then,
// right-aligned, the eraser, the bin and the line-settings gear. Picking a tool sends its
// command (49995 + tool number; the symbol variants 50060-50102) to the chart, whose
// drawing-tool actions start placing it and answer 0x8068 with 3 while it is the active
// tool. The picker creates no tools.
//
// Icons: toolbar 49998 names the command of each of the 118 icons (50000-50058, then
// 50103-50117, then 50059-50102); bitmaps 49995, 49996 and 49997 hold the same icons in
// their normal, pressed and disabled looks.
#include <memory>
#include <string>
#include <vector>

#include "platform/SkinMenu.h"
#include "ui/element/ElementBar.h"

namespace chart {

inline constexpr UINT kPickerBitmapNormal = 49995;
inline constexpr UINT kPickerBitmapPressed = 49996;
inline constexpr UINT kPickerBitmapDisabled = 49997;
inline constexpr UINT kPickerToolBar = 49998;
inline constexpr COLORREF kPickerMask = 0xFF0000;
inline constexpr UINT kCmdToolFirst = 50000;
inline constexpr UINT kCmdTextTool = 50059;
inline constexpr UINT kCmdSymbolLast = 50102;
inline constexpr UINT kCmdBin = 50103;
inline constexpr UINT kCmdEraser = 50104;
inline constexpr UINT kCmdLineSettings = 50116;

struct PickerEntry {
    int tool;      // tool number of the catalogue
    int variant;   // the symbol tool's variant, -1 for other tools
    UINT command;
    const char* name;  // empty for the symbol grid
};

struct PickerGroup {
    const char* text;  // the button's text when it has no icon
    std::vector<PickerEntry> entries;
};

// The eight groups, in bar order, each entry list in menu order.
const std::vector<PickerGroup>& PickerGroups();
// The tool number and symbol variant a picker command stands for; false for other ids.
bool PickerCommandToTool(UINT command, int& tool, int& variant);
// Every command of toolbar 49998, in icon order.
std::vector<UINT> PickerIconCommands();

}  // namespace chart

// The icon set of the picker: icon i belongs to the i-th non-zero command of its word
// array {resource id, icon width, icon height, command ids..., 0}.
class ElementBarIcons : public CSkinMenuIcons {
public:
    // Loads the bitmap of the first word; true when at least one command was added.
    bool LoadIconSet(const std::vector<UINT>& words, COLORREF mask);
};

class BarDrawToolMenuItem : public CElementMenuItem {
public:
    BarDrawToolMenuItem(UINT flags, UINT id, std::string text, int value,
                        std::shared_ptr<ElementBarIcons> icons);
    int Measure(CDC* dc, CFont* font, int barHeight, int reserved = -1) override;
    void AppendToMenu(CMenu* menu, CWnd* owner) override;
    void Draw(CDC* dc, CFont* font, CRect& cursor, int state, int reserved = -1, int width = -1) override;
    // Looks the command up in the icon set again.
    void UpdateIconIndex();

    int m_nIconIndex = -1;
    std::shared_ptr<ElementBarIcons> m_pIcons;
};

class ElementBarDrawTool : public CElementBarMenu {
public:
    // Once at start-up, before any chart: the icon set and the three image lists.
    // Returns false when the resources are missing (the picker then shows text buttons).
    static bool LoadImageList();
    // The same on a thread of its own, so that the start goes on meanwhile; whoever asks
    // for the icons or the lists first waits until they are loaded.
    static void LoadImageListInBackground();
    static std::shared_ptr<ElementBarIcons> Icons();
    // 0 normal, 1 pressed, 2 disabled; empty lists before LoadImageList.
    static CImageList& ImageList(int look);

    std::shared_ptr<CElementMenuItem> CreateItem(UINT flags, UINT id, const std::string& text,
                                                 int value) override;
    void SyncItemState(CElementMenuItem& item) override;
    // A drop-down with column breaks opens as the icon grid; the others as icon menus.
    UINT TrackDropDown(CElementMenuItem& item, CPoint screen) override;
    // Empties the bar and fills it with the picker's buttons.
    void AddToolItems();
};

// The icon grid of a drop-down whose entries carry column breaks: a popup of its own,
// one column per break, run modally. A click on an enabled cell chooses its command;
// Escape, a click outside or losing the capture closes it without a choice.
class CPickerGridPopup : public CWnd {
public:
    CPickerGridPopup(const std::vector<std::shared_ptr<CElementMenuItem>>& entries, CWnd* owner);
    // Shows the grid with its top-left corner at the screen point and runs it; the chosen
    // command, 0 for none.
    UINT Track(CPoint screen);
    // The grid of columns (entry indexes); the size of one cell.
    const std::vector<std::vector<int>>& Columns() const { return m_columns; }
    static constexpr int kCell = 26;
    // The entry under a client point, -1 for none.
    int HitCell(CPoint pt) const;
    CRect CellRect(int column, int row) const;

    // The popup that is open now, or null (for tests and keyboard hooks).
    static CPickerGridPopup* Current();
    void Choose(int entry);
    void Cancel();
    // Keys while the grid is open: arrows move the highlighted cell, Return chooses it,
    // Escape closes the grid. True when the key was the grid's.
    bool OnKey(UINT key);
    int GetHotEntry() const { return m_nHot; }

    void OnPaint() override;
    void OnMouseMove(UINT flags, CPoint pt) override;
    void OnLButtonUp(UINT flags, CPoint pt) override;
    void OnLButtonDown(UINT flags, CPoint pt) override;
    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;

private:
    std::vector<std::shared_ptr<CElementMenuItem>> m_entries;
    std::vector<int> m_states;  // the owner's 0x8068 answers at opening
    std::vector<std::vector<int>> m_columns;
    CWnd* m_pOwner;
    int m_nHot = -1;
    UINT m_nChosen = 0;
    bool m_bRunning = false;
};
