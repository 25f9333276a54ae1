#pragma once
// The "买卖回溯" tab of the trend-training panel: one trade of the session at a time (date,
// action, shares, price, amount and, for a closing trade, its result and verdict), two
// arrows that step through every trade, and the reason the user gives for the trade, kept in
// the trade itself and saved with the record file at once.
//
// It keeps the position of the trade it shows, never a pointer into the journal: the
// journal grows while the session runs. It never owns the record.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "ui/element/ElementWnd.h"

class CTrainingRecord;
class CMyEditCtrl;
class MyButton;
class StaticEx;
struct TradeDetailItem;

class CBackTraceWnd : public CElementWnd {
public:
    static constexpr UINT kSubmitId = 100;
    static constexpr int kItemCount = 20;
    // The reason's limit, in characters, as the order dialog has it.
    static constexpr size_t kMaxReasonChars = 50;
    static constexpr const char* kReasonTooLong = "交易理由不能超过50个字，请删减后再提交";

    // The items showing a trade, by position.
    enum Item {
        kDate = 0,
        kDirection = 5,
        kShares = 7,
        kPrice = 9,
        kAmount = 11,
        kGainLoss = 13,
        kGainLossRatio = 15,
        kVerdict = 17,
        kReason = 19
    };

    CBackTraceWnd();
    ~CBackTraceWnd() override;
    int OnCreate(LPCREATESTRUCT cs) override;
    void RecalcLayout() override;
    void DrawClient(CDC* dc) override;
    void OnElementLButtonUp(UINT flags, int x, int y) override;
    BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;

    // Shows the record's last trade; 0 and nothing changed for a null record or one
    // without trades. The panel calls it on every refresh, after each order and after a
    // step in which a stop closed a position.
    int ShowRecord(CTrainingRecord* record);
    // Fills the items from the trade at the current position; 0 when there is none.
    int ShowCurrentTrade();
    // The reason edit's text into the current trade, saved with the record file. Refused
    // with a message when it is too long.
    void OnSubmit();

    // The trade shown, or null (no record, or a position the journal no longer has).
    const TradeDetailItem* CurrentTrade() const;
    const std::string& ItemText(int item) const;
    COLORREF ItemColour(int item) const;

    std::vector<std::shared_ptr<StaticEx>> m_items;
    int32_t m_nCurrent = -1;  // position in the journal; -1 before the first record
    std::shared_ptr<CMyEditCtrl> m_pReasonEdit;
    std::shared_ptr<MyButton> m_pSubmit;
    CRect m_rcPrev;
    CRect m_rcNext;
    CTrainingRecord* m_pRecord = nullptr;

private:
    void CreateItems();
    void CreateSubmitButton();
    void CreateReasonEdit();
};
