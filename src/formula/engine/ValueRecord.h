#pragma once
// One value of the evaluation stack: a number, a series of doubles over the formula's bars,
// a text, or a text per bar. Series records always own an array of the formula's bar count,
// so an evaluator may write a series result into a record that held a number.

#include <array>
#include <cstdint>
#include <vector>

class CValueRecord {
public:
    enum Kind : uint8_t { kNumber = 0, kSeries = 1, kText = 2, kTextSeries = 3 };
    static constexpr int kTextSize = 128;
    using Text = char[kTextSize];

    CValueRecord() = default;
    // count > 0: a series of count bars, every one set to fill, valid over the whole series.
    // count 0: the number fill.
    CValueRecord(int count, double fill);
    explicit CValueRecord(const char* text);
    CValueRecord(const CValueRecord& other);
    CValueRecord& operator=(const CValueRecord& other);
    CValueRecord(CValueRecord&& other) noexcept;
    CValueRecord& operator=(CValueRecord&& other) noexcept;
    ~CValueRecord() = default;

    // Makes sure the record carries a double array of its own of at least count bars (kept
    // when large enough; values are not cleared) and points m_pData at it. A view's values
    // are not carried over (see Settle).
    void Reserve(int count);
    // A view reads the series of another record without copying it: m_pData points into
    // that record's array, which must stay unchanged while the view is used. Whoever writes
    // a record's values first makes them its own (Own, or Settle to keep the values).
    void View(const CValueRecord& source);
    bool IsView() const { return m_pData != nullptr && m_pData != OwnData(); }
    // Points m_pData at the record's own array (at least count bars) and returns it; the
    // values seen before may still be read through the pointer taken beforehand.
    double* Own(int count) {
        Reserve(count);
        return m_pData;
    }
    // A view becomes an array of its own holding the same valid values.
    void Settle(int count);
    // Allocates a zeroed text array of count bars; false when count is not positive.
    bool AllocTexts(int count);
    // Becomes a series over [first, last] holding data (sized to the bar count).
    void TakeSeries(std::vector<double>&& data, int first, int last);
    // Exchanges the double array with data (both keep their sizes).
    void SwapData(std::vector<double>& data);
    // Gives up the double array (the record keeps none).
    std::vector<double> ReleaseData();
    void SetNumber(double value);
    void SetText(const char* text);
    // Number of doubles m_pData reaches (the viewed array's for a view).
    int Capacity() const { return m_nSize; }
    bool HasRange() const { return m_nFirst <= m_nLast; }

    int32_t m_nFirst = 0;  // first valid bar (inclusive)
    int32_t m_nLast = -1;  // last valid bar (inclusive)
    uint8_t m_nKind = kNumber;
    double m_dValue = 0;
    double* m_pData = nullptr;
    char m_szText[kTextSize] = {};
    Text* m_pTexts = nullptr;

private:
    void Rebind();
    const double* OwnData() const { return m_vData.empty() ? nullptr : m_vData.data(); }
    int32_t m_nSize = 0;
    std::vector<double> m_vData;
    std::vector<std::array<char, kTextSize>> m_vTexts;
};
