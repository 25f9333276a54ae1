#include "formula/engine/ValueRecord.h"

#include <algorithm>
#include <cstring>

CValueRecord::CValueRecord(int count, double fill) {
    if (count > 0) {
        m_vData.assign(static_cast<size_t>(count), fill);
        m_nKind = kSeries;
        m_nFirst = 0;
        m_nLast = count - 1;
        Rebind();
    } else {
        m_dValue = fill;
    }
}

CValueRecord::CValueRecord(const char* text) {
    SetText(text);
}

CValueRecord::CValueRecord(const CValueRecord& other)
    : m_nFirst(other.m_nFirst),
      m_nLast(other.m_nLast),
      m_nKind(other.m_nKind),
      m_dValue(other.m_dValue),
      m_vData(other.m_vData),
      m_vTexts(other.m_vTexts) {
    std::memcpy(m_szText, other.m_szText, sizeof m_szText);
    Rebind();
    if (other.IsView()) {
        m_pData = other.m_pData;
        m_nSize = other.m_nSize;
    }
}

CValueRecord& CValueRecord::operator=(const CValueRecord& other) {
    if (this != &other) {
        m_nFirst = other.m_nFirst;
        m_nLast = other.m_nLast;
        m_nKind = other.m_nKind;
        m_dValue = other.m_dValue;
        std::memcpy(m_szText, other.m_szText, sizeof m_szText);
        m_vData = other.m_vData;
        m_vTexts = other.m_vTexts;
        Rebind();
        if (other.IsView()) {
            m_pData = other.m_pData;
            m_nSize = other.m_nSize;
        }
    }
    return *this;
}

CValueRecord::CValueRecord(CValueRecord&& other) noexcept
    : m_nFirst(other.m_nFirst),
      m_nLast(other.m_nLast),
      m_nKind(other.m_nKind),
      m_dValue(other.m_dValue),
      m_pData(other.m_pData),
      m_nSize(other.m_nSize),
      m_vData(std::move(other.m_vData)),
      m_vTexts(std::move(other.m_vTexts)) {
    // A moved array keeps its address, so m_pData stays right for own data and views alike.
    std::memcpy(m_szText, other.m_szText, sizeof m_szText);
    m_pTexts = m_vTexts.empty() ? nullptr : reinterpret_cast<Text*>(m_vTexts.data());
    other.m_vData.clear();
    other.m_vTexts.clear();
    other.Rebind();
}

CValueRecord& CValueRecord::operator=(CValueRecord&& other) noexcept {
    if (this != &other) {
        m_nFirst = other.m_nFirst;
        m_nLast = other.m_nLast;
        m_nKind = other.m_nKind;
        m_dValue = other.m_dValue;
        std::memcpy(m_szText, other.m_szText, sizeof m_szText);
        m_vData = std::move(other.m_vData);
        m_vTexts = std::move(other.m_vTexts);
        m_pData = other.m_pData;
        m_nSize = other.m_nSize;
        m_pTexts = m_vTexts.empty() ? nullptr : reinterpret_cast<Text*>(m_vTexts.data());
        other.m_vData.clear();
        other.m_vTexts.clear();
        other.Rebind();
    }
    return *this;
}

void CValueRecord::Rebind() {
    m_pData = m_vData.empty() ? nullptr : m_vData.data();
    m_nSize = static_cast<int32_t>(m_vData.size());
    m_pTexts = m_vTexts.empty() ? nullptr : reinterpret_cast<Text*>(m_vTexts.data());
}

void CValueRecord::Reserve(int count) {
    if (count > 0 && static_cast<int>(m_vData.size()) < count)
        m_vData.resize(static_cast<size_t>(count));
    Rebind();
}

void CValueRecord::View(const CValueRecord& source) {
    m_nKind = source.m_nKind;
    m_nFirst = source.m_nFirst;
    m_nLast = source.m_nLast;
    m_dValue = source.m_dValue;
    m_pData = source.m_pData;
    m_nSize = source.m_nSize;
}

void CValueRecord::Settle(int count) {
    if (!IsView()) {
        Reserve(count);
        return;
    }
    const double* seen = m_pData;
    const int seenSize = m_nSize;
    Reserve(std::max(count, seenSize));
    if (m_nKind == kSeries && m_nFirst >= 0 && m_nFirst <= m_nLast && m_nLast < seenSize)
        std::memcpy(m_pData + m_nFirst, seen + m_nFirst,
                    sizeof(double) * static_cast<size_t>(m_nLast - m_nFirst + 1));
}

bool CValueRecord::AllocTexts(int count) {
    if (count <= 0) return false;
    m_vTexts.assign(static_cast<size_t>(count), {});
    Rebind();
    return true;
}

void CValueRecord::TakeSeries(std::vector<double>&& data, int first, int last) {
    m_vData = std::move(data);
    Rebind();
    m_nKind = kSeries;
    m_nFirst = first;
    m_nLast = last;
}

void CValueRecord::SwapData(std::vector<double>& data) {
    m_vData.swap(data);
    Rebind();
}

std::vector<double> CValueRecord::ReleaseData() {
    std::vector<double> data = std::move(m_vData);
    m_vData.clear();
    Rebind();
    return data;
}

void CValueRecord::SetNumber(double value) {
    m_nKind = kNumber;
    m_dValue = value;
}

void CValueRecord::SetText(const char* text) {
    m_nKind = kText;
    std::memset(m_szText, 0, sizeof m_szText);
    if (text) std::strncpy(m_szText, text, kTextSize - 1);
}
