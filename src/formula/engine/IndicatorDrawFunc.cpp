#include "formula/engine/IndicatorDrawFunc.h"

int CIndicatorDrawFunc::ExpWant() const {
    static constexpr int kWant[24] = {3, 5, 3, 2, 5, 2, 0, 3, 3, 2, 2, 3,
                                      3, 5, 5, 3, 3, 2, 3, 1, 1, 2, 3, 3};
    return m_nKind >= 0 && m_nKind < 24 ? kWant[m_nKind] : 0;
}
