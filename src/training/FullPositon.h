#pragma once
// One position book of a session (long or short): FIFO holdings by date and the book's
// average cost. Holdings stay sorted by date with at most one per date.

#include <cstdint>
#include <vector>

#include "training/TrainingTypes.h"

class CFullPositon {
public:
    virtual ~CFullPositon() = default;

    int32_t GetVolume() const;

    // Shares that may be closed on `date`: every holding dated on or before it under T+0,
    // only those dated before it under T+1.
    int32_t GetClosableVolume(int32_t date, bool t0) const;

    // Adds shares bought (or sold short) on `date` for `amount` in total and moves the
    // average cost over the shares already held on that date. The dividend per share is
    // spread over the new shares too, since they were not held on any earlier ex-date.
    void AddShares(int32_t vol, int32_t date, double amount);

    // Whether `vol` more shares dated `date` keep the book and that holding countable in
    // 32 bits; beyond that no order is taken.
    bool CanAddShares(int32_t vol, int32_t date) const;

    // Takes `vol` shares first in, first out. The caller has checked they are there.
    void RemoveShares(int32_t vol);

    bool IsEmpty() const { return GetVolume() == 0; }

    void ReadXml(const tinyxml2::XMLElement& element);
    // Writes the book as an element of that name ("PutPos" or "CallPos").
    void WriteXml(tinyxml2::XMLPrinter& printer, const char* elementName) const;

    double aveCost = 0;
    double avehl = 0;  // cash dividend per share accumulated while the book held shares
    std::vector<PositionHolding> holdings;
};
