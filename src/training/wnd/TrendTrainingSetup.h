#pragma once
// What the trend-training set-up page decides without its window: the checks a start runs
// through, the fee text, the text of the data-support range and the range a security's
// locally stored day bars give when there is no connection.
#include <cstdint>
#include <string>

class CSecurity;

// How many trend sessions a guest (no account name) may start on one date.
inline constexpr int kGuestSessionsPerDay = 5;

// The data-support range of one security: its first and last dates with data and the
// largest number of training days it allows. 0 means not known.
struct TrendSupportRange {
    uint32_t begin = 0;
    uint32_t end = 0;
    uint32_t maxDays = 0;
    bool Complete() const { return begin != 0 && end != 0 && maxDays != 0; }
    friend bool operator==(const TrendSupportRange&, const TrendSupportRange&) = default;
};

// Everything the start sequence looks at, read from the page and the record list.
struct TrendStartState {
    std::string accountName;    // empty for a guest
    int guestSessionsToday = 0;  // sessions this guest started today
    bool sessionRunning = false;
    bool chosenSecurityMode = false;
    bool hasSecurity = false;
    TrendSupportRange range;
    bool datesMode = false;      // chosen start and end dates instead of a number of days
    std::string daysText;        // the days edit (days mode)
    uint32_t startDate = 0;      // the two date fields (dates mode), yyyymmdd
    uint32_t endDate = 0;
};

// The checks of a start, in their order. Empty when the start may go on; then days holds
// the number of training days (0 in dates mode). Otherwise the message to show.
std::string CheckTrendStart(const TrendStartState& state, int& days);

// The whole number at the front of a text of digits and '.', saturating at INT_MAX.
int LeadingInteger(const std::string& text);

// The fee dialog's text: false with the message when it is refused; otherwise the rate (per
// one) and the text the fee label shows.
bool ParseFeeText(const std::string& text, double& rate, std::string& label, std::string& message);

// "2005-01-04至2024-12-31" for a range with both dates, else "--".
std::string FormatSupportRange(const TrendSupportRange& range);

// The range the locally stored day bars of the security give: their count and the dates of
// the first and last bar. Nothing known (all 0) when none are stored.
TrendSupportRange LocalSupportRange(CSecurity* security);
