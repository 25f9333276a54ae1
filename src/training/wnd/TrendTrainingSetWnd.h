#pragma once
// "趋势训练" page of the training centre: initial funds, fee, a number of days from a random
// date or two chosen dates, a random or chosen security, four options, and the start
// button. The page learns from the server (or, offline, from the stored day bars) which
// dates and how many days the security supports; only then can a session start.
//
// Replies are decoded on the network thread and handed to the page as UI tasks; a task
// that arrives after the page went away or was detached does nothing.
#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "platform/Gdi.h"
#include "training/wnd/TrendTrainingSetup.h"
#include "ui/element/ElementWnd.h"

namespace wire {
struct SupportRangeReply;
struct DataRangeReply;
}  // namespace wire

class CBuffer;
class CMyEditCtrl;
class CPBQOwnerDrawDateTimeCtrl;
class CSecurity;
class InputCodeWnd;
class MyButton;
class StaticEx;

inline constexpr UINT UM_NO_SECURITY_FOR_DAYS = 0x8074;

class TrendTrainingSetWnd : public ScrollElementWnd {
public:
    enum Command {
        kRandomDateId = 100,
        kChosenDatesId,
        kRandomSecurityId,
        kChosenSecurityId,
        kHideDateId,
        kHideNameId,
        kT0Id,
        kShortSellId,
        kStartId,
    };
    static constexpr int kButtons = 9;
    static constexpr int kLabels = 19;
    static constexpr int kDaysEditId = 100;
    static constexpr int kDateFieldId = 24577;
    static constexpr int kContentHeight = 660;
    static constexpr double kCapital = 1000000.0;
    // Rounds of requests for one security's range before the page gives up on it (the user
    // can pick again); replies without a full range would otherwise ask for ever.
    static constexpr int kMaxRangeRounds = 5;
    static constexpr int kRandomPickTries = 30;
    // The days edit asks the server once its text has rested this long.
    static constexpr UINT kDaysTimer = 1;
    static constexpr UINT kDaysDelayMs = 600;

    TrendTrainingSetWnd();
    ~TrendTrainingSetWnd() override;

    int OnCreate(LPCREATESTRUCT cs) override;
    void DrawClient(CDC* dc) override;
    void RecalcLayout() override;
    void RepositionControls() override;
    void OnElementLButtonUp(UINT flags, int x, int y) override;
    void OnElementMouseMove(UINT, int, int) override {}
    void DetachData() override;
    void AttachData() override;
    BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;
    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;

    // Commands 100 to 108.
    void StartTraining(int id);
    // The start sequence of command 108.
    void Start();
    // The fee link: the one-edit dialog over the fee value, then ApplyFeeText.
    void EditFee();
    bool ApplyFeeText(const std::string& text);
    void OnDaysChanged();
    // The days text has rested: ask for a security that supports more days when needed.
    void OnDaysSettled();
    void OnCodeChosen();
    void OnNoSecurityForDays();

    // Requests 12001 (or reads the stored bars when offline) and 12101.
    void RequestSupportRange();
    void QueryDataRange(uint32_t days);
    // The decoded replies, on the UI thread.
    void OnSupportRangeReply(const wire::SupportRangeReply& reply);
    void OnDataRangeReply(const wire::DataRangeReply& reply);

    // Makes the security the current one; a different one forgets the range.
    void SetCurrentSecurity(CSecurity* security);
    CSecurity* GetCurrentSecurity() const { return m_pSecurity; }
    const TrendSupportRange& GetRange() const { return m_range; }
    // The text label 12 shows now.
    std::string SupportRangeText() const;
    // A date field's date as yyyymmdd.
    static uint32_t FieldDate(const CPBQOwnerDrawDateTimeCtrl& field);

    // -- state --
    double m_fCapital = kCapital;
    double m_fFeeRate = 0.0003;
    int m_nPeriodMode = 1;    // 1 days from a random date, 0 chosen dates
    int m_nSecurityMode = 1;  // 1 random, 0 chosen
    int m_bHideDate = 0, m_bHideName = 0, m_bT0 = 0, m_bShortSell = 0;
    CSecurity* m_pSecurity = nullptr;
    TrendSupportRange m_range;
    uint32_t m_nStartDate = 0, m_nEndDate = 0;
    int m_nRangeRounds = 0;

    // -- controls --
    std::array<std::shared_ptr<StaticEx>, kLabels> m_labels;
    std::array<std::shared_ptr<MyButton>, kButtons> m_buttons;
    std::unique_ptr<CMyEditCtrl> m_pDays;
    std::unique_ptr<CPBQOwnerDrawDateTimeCtrl> m_dates[2];
    std::shared_ptr<InputCodeWnd> m_pCode;
    CFont m_fontSymbol;

private:
    void CreateButtons();
    void CreateLabels();
    void LayoutLabels();
    void MoveControls();
    void RepaintLabel(int index);
    // The range is known for the current security: dates, edits and the start button follow.
    void ApplyRange(const TrendSupportRange& range, bool emptyDays);
    void PickRandomSecurity(int tries);
    void EnableStart(bool enable);
    void Tell(const std::string& text);
    // Sends one request whose reply is decoded on the network thread into Reply and handed
    // to handle on the UI thread, unless the page is gone or detached by then.
    template <class Reply>
    void Send(uint16_t command, const std::function<void(CBuffer&)>& writeBody,
              void (TrendTrainingSetWnd::*handle)(const Reply&));

    // The page as the UI tasks of its replies see it: reset when it goes away.
    std::shared_ptr<TrendTrainingSetWnd*> m_pSelf;
    uint64_t m_nGeneration = 0;  // advanced by every detach: older replies are dropped
};
