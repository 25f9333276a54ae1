#pragma once
// Every stored trend-training session, newest first, one row each: the list of the training
// report workspace. A click chooses the record for the windows beside it, a double-click
// reopens the session's workspace, the context menu stops or resumes it.
#include <memory>
#include <string>
#include <vector>

#include "ui/element/ElementWnd.h"
#include "ui/grid/GridUI.h"

class CTrainingRecord;
class CTotalTrainingRecord;

// A window that shows one chosen session (the training centre's analysis page, the details
// and assets window). The report list hands every such window of its workspace the record
// clicked.
class ITrainingRecordViewer {
public:
    virtual ~ITrainingRecordViewer() = default;
    virtual void ShowTrainingRecord(const std::shared_ptr<CTrainingRecord>& record) = 0;
};

class TradeReportTitle : public GridTitle {
public:
    using GridTitle::GridTitle;
};

class CTradeReportField : public GridField {
public:
    void Draw(CDC* dc) override;
    std::string m_strText;
    COLORREF m_clrText = RGB(208, 177, 120);
    COLORREF m_clrSelText = RGB(255, 255, 255);
    CFont* m_pFont = nullptr;
};

// The nine texts of a record's row.
std::vector<std::string> TrainingReportRowTexts(const CTrainingRecord& record);

class TrainingReportWnd : public CElementWnd {
public:
    static constexpr UINT kStopResumeCommand = 38001;
    static constexpr int kColumns = 9;

    TrainingReportWnd();
    int OnCreate(LPCREATESTRUCT cs) override;
    void DrawClient(CDC* dc) override;
    void RecalcLayout() override;
    void OnElementLButtonDown(UINT flags, int x, int y) override;
    void OnElementLButtonDblClk(UINT flags, int x, int y) override;
    void OnElementLButtonUp(UINT flags, int x, int y) override;
    void OnElementMouseMove(UINT flags, int x, int y) override;
    int OnElementMouseWheel(UINT flags, int delta, int x, int y) override;
    int OnElementKeyDown(UINT key, UINT count, UINT flags) override;
    int BuildContextMenu(CMenu* menu, int x, int y) override;
    int OnLayoutCommand(UINT id, UINT code) override;
    int OnUpdateLayoutCommand(CCmdUI* cmdUI) override;
    void AttachData() override;

    void FillPage();
    // The list's record index of the visible row at (x, y); -1 when none.
    int RecordIndexAt(int x, int y) const;

    CGridUI m_grid;

private:
    CTotalTrainingRecord* Records() const;
    void ScrollTo(int top);
};

// Opens the trend-training workspace for a record's security (the application sets it).
void SetTrainingSessionOpener(std::function<void(const std::shared_ptr<CTrainingRecord>&)> opener);
// Opens that workspace through the opener; nothing when none is set.
void OpenTrainingSession(const std::shared_ptr<CTrainingRecord>& record);

// Registers the training windows a layout file can name.
void RegisterTrainingElementTypes();
