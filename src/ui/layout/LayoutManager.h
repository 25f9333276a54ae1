#pragma once
// The workspace layout tree: every inner node splits its rectangle in two, side by side
// or stacked, with a cutter window between the halves; every leaf holds one element
// window. The tree is read from and written to ".xlay" files:
//
//   <view>
//     <ViewProp bThinSplitter nChartStyle dwGoodsID strGoodsCode strClass strGroup
//               dwGroup dwGroup2/>
//     <Split NextBlockID nFixedSize Type=1 Style StyleEx LeftSize RightSize SplitCtrl
//            SideVisible>
//       <Split ... Type=0><Element wndtype="CKlineChartWnd" uuid bTopBorder .../></Split>
//       <Split .../>
//     </Split>
//   </view>
//
// Files read back what they write: the borders, the layout's security and its group id
// are read under the names they are written with (older files' names are read too).
// A "Type" other than 0 or 1 throws CLayoutError; the view then resets the layout.
#include <memory>
#include <stdexcept>
#include <string>

#include "foundation/IndSecuCode.h"
#include "marketdata/Group.h"
#include "platform/Geometry.h"
#include "platform/WinTypes.h"

namespace tinyxml2 {
class XMLElement;
}

class CElementHost;
class CElementWnd;
class CLayoutCutter;

// A layout file names a node type this program does not know.
class CLayoutError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

class CLayoutHolder {
public:
    virtual ~CLayoutHolder() = default;
    virtual void MoveSplitter(const CRect& rect) {}
    virtual void Recalc(int left, int top, int right, int bottom) {}
    virtual void BroadcastMessage(UINT msg, WPARAM wParam, LPARAM lParam) {}
};

class CLayoutManager : public CLayoutHolder {
public:
    CLayoutManager(CElementHost* holder, CLayoutManager* parent);
    ~CLayoutManager() override;
    CLayoutManager(const CLayoutManager&) = delete;
    CLayoutManager& operator=(const CLayoutManager&) = delete;

    void MoveSplitter(const CRect& rect) override;
    void Recalc(int left, int top, int right, int bottom) override;
    void Recalc(const CRect& rc) { Recalc(rc.left, rc.top, rc.right, rc.bottom); }
    void BroadcastMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;

    void Clear();
    bool IsLeaf() const { return !m_pFirst; }
    CLayoutManager* FirstLeaf();
    CLayoutManager* LastLeaf();
    static CLayoutManager* NextLeaf(CLayoutManager* node, CLayoutManager* root);
    static CLayoutManager* PrevLeaf(CLayoutManager* node, CLayoutManager* root);
    CElementWnd* FindLeafById(int id);
    // Makes the leaf window of the type (factory of the element module). False when its
    // window could not be created: the leaf stays empty.
    bool CreateLeafWindow(const std::string& wndType);
    // Splits this leaf: its window moves to the first child, the second child gets a
    // window of wndType. orientation 1: side by side. For building layouts in code.
    bool SplitLeaf(int orientation, const std::string& wndType, int splitCtrl = 0);
    void AttachAll();
    void DetachAll();
    bool SetContextAll(void* context);
    bool SetSecurityAll(const CIndSecuCode& code, const CGroup* group);
    int BroadcastTypedText(int kind, const std::string& text);
    int GetFixedExtent();

    void ReadViewProp(const tinyxml2::XMLElement* prop);
    void WriteViewProp(tinyxml2::XMLElement* prop) const;
    // Loads this node from the parent's first "Split" child. Throws CLayoutError for an
    // unknown "Type" (the tree may then be partly built: the caller clears it).
    void Load(const tinyxml2::XMLElement* parent);
    // Loads this node from the element itself (null: the node stays empty).
    void LoadNode(const tinyxml2::XMLElement* split);
    void Save(tinyxml2::XMLElement* parent) const;

    // The gap of this node's cutter (0 without one).
    int GetGap() const;
    // Orientation of this node's split: 1 side by side, 0 stacked, -1 for a leaf.
    int GetOrientation() const;
    int CountLeaves() const;

    CRect m_rect;
    int m_bThinSplitter = 0;
    CElementHost* m_pHolder;
    CLayoutManager* m_pParent;
    int m_nFirstSize = 50;
    int m_nSecondSize = 50;
    int m_nFixedSize = 0;
    int m_nNextBlockID = 0;
    int m_nChartStyle = 0;
    int m_nSecondSizeOverride1 = 0;
    int m_nSecondSizeOverride2 = 0;
    CElementWnd* m_pWnd = nullptr;  // owned
    CLayoutManager* m_pFirst = nullptr;
    CLayoutManager* m_pSecond = nullptr;
    CLayoutCutter* m_pCutter = nullptr;
    CIndSecuCode m_code;
    void* m_pContext = nullptr;
    CGroup m_group;
    int m_nBorderLeft = 0, m_nBorderRight = 0, m_nBorderTop = 0, m_nBorderBottom = 0;

private:
    void HandOutBorders();
    void ApplyMargins(CElementWnd* wnd) const;
    void DestroyLeafWindow();
    // The window rectangle of the cutter for a gap g: at least 7 pixels, centred over it.
    static int CutterWidth(int gap) { return gap >= 8 ? gap : 7; }
};

// The layout key of a path: the text between the last '/' (or '\') and the first ".xlay";
// the whole text before ".xlay" without a separator; empty when there is no ".xlay".
std::string LayoutKeyOfPath(const std::string& path);
