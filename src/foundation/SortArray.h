#pragma once
// Sorted array with a direction flag: ordered insert that refuses duplicate keys, binary
// search, and (for bar records) lower bound. Every ordered collection of the data path
// uses it. The element type supplies its key order through SortArrayCompare (found by
// argument-dependent lookup) or a SortArrayOrder specialisation: negative, zero or
// positive, like strcmp.
//
// Insert tests both ends before halving, so appending in key order (the common case:
// replies and files arrive oldest first) costs two comparisons per element.

#include <algorithm>
#include <cstddef>
#include <string>
#include <vector>

template <class T>
struct SortArrayOrder {
    int operator()(const T& a, const T& b) const { return SortArrayCompare(a, b); }
};

// Text: byte-wise, case-sensitive.
template <>
struct SortArrayOrder<std::string> {
    int operator()(const std::string& a, const std::string& b) const {
        int c = a.compare(b);
        return c < 0 ? -1 : c > 0 ? 1 : 0;
    }
};

template <class T>
class CSortArray : public std::vector<T> {
public:
    using Base = std::vector<T>;
    using Base::Base;

    bool IsAscending() const { return m_bAscending; }
    // Changing the direction of a non-empty array leaves its order wrong; owners set it
    // while the array is empty.
    void SetAscending(bool ascending) { m_bAscending = ascending; }

    int GetSize() const { return int(this->size()); }

    // Inserts at the sorted place and returns the index; -1, array unchanged, when an
    // element with an equal key is present.
    int Insert(const T& item) {
        if (this->empty()) {
            this->push_back(item);
            return 0;
        }
        int lo = 0, hi = int(this->size()) - 1;
        for (;;) {
            int c = Order(item, (*this)[lo]);
            if (c == 0) return -1;
            if (c < 0) {
                this->insert(this->begin() + lo, item);
                return lo;
            }
            c = Order(item, (*this)[hi]);
            if (c == 0) return -1;
            if (c > 0) {
                this->insert(this->begin() + hi + 1, item);
                return hi + 1;
            }
            int mid = (lo + hi) / 2;
            c = Order(item, (*this)[mid]);
            if (c == 0) return -1;
            if (c > 0)
                lo = mid + 1;
            else
                hi = mid - 1;
            // lo never passes hi + 1 here: item lies strictly between the two ends.
        }
    }

    // Index of the element whose key equals probe's, or -1.
    int Find(const T& probe) const {
        int lo = 0, hi = int(this->size()) - 1;
        while (lo <= hi) {
            int mid = (lo + hi) / 2;
            int c = Order(probe, (*this)[mid]);
            if (c == 0) return mid;
            if (c < 0)
                hi = mid - 1;
            else
                lo = mid + 1;
        }
        return -1;
    }

    // First index whose key is not below probe's, in ascending key order whatever the
    // direction flag (the bar arrays are ascending); size() when every key is below.
    int LowerBound(const T& probe) const {
        auto it = std::lower_bound(this->begin(), this->end(), probe, [](const T& a, const T& b) {
            return SortArrayOrder<T>()(a, b) < 0;
        });
        return int(it - this->begin());
    }

    void RemoveRange(int from, int to) {
        if (from < to) this->erase(this->begin() + from, this->begin() + to);
    }

private:
    // Comparison in the array's own order: negative when a comes before b.
    int Order(const T& a, const T& b) const {
        int c = SortArrayOrder<T>()(a, b);
        return m_bAscending ? c : -c;
    }

    bool m_bAscending = true;
};
