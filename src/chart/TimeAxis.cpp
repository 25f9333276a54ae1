#include "chart/TimeAxis.h"

#include <algorithm>
#include <climits>
#include <cstdio>

namespace chart {

namespace {

TradingSessions DefaultSessions() {
    TradingSessions s;
    s.count = 2;
    s.start[0] = 930;
    s.end[0] = 1130;
    s.start[1] = 1300;
    s.end[1] = 1500;
    return s;
}

int Minutes(int from, int to) { return (to / 100 - from / 100) * 60 + to % 100 - from % 100; }

std::string Fmt(const char* f, long a, long b) {
    char buf[32];
    std::snprintf(buf, sizeof buf, f, a, b);
    return buf;
}

// Places labels left to right, keeping the next free x.
class Placer {
public:
    Placer(const TimeAxisSource& s, TimeAxisResult& r) : src(s), out(r) {}
    bool Free(int x) const { return x >= nextFree; }
    int Width(const std::string& text) const {
        return src.showX ? src.textWidth(text) : 4 * src.charWidth;
    }
    // Records the mark and (when wanted) the label; returns the label's right end.
    int Place(int x, int kind, const std::string& text, bool drawLabel, bool tick = true) {
        out.grid.push_back({x, kind});
        if (src.showX && tick) out.ticks.push_back(x);
        const int right = x + 1 + Width(text);
        if (src.showX && drawLabel) out.labels.push_back({x, text});
        nextFree = right;
        return right;
    }
    const TimeAxisSource& src;
    TimeAxisResult& out;
    int nextFree = INT_MIN;
};

int32_t ScanEnd(const TimeAxisSource& s) { return std::min(s.end, s.count); }

void ScanDays(const TimeAxisSource& s, TimeAxisResult& r) {
    Placer p(s, r);
    int prevYear = -1, prevMonth = -1;
    bool firstBar = true;
    const int32_t last = ScanEnd(s);
    for (int32_t i = std::max(s.start, s.first); i < last;) {
        const int64_t key = s.timeAt(i);
        if (key <= 0) {
            ++i;
            continue;
        }
        const int month = static_cast<int>(key / 100);
        const int year = month / 100;
        const int x = s.indexToX(i);
        int32_t next = i + 1;
        if (firstBar || year != prevYear) {
            const std::string text = Fmt("%ld/%ld", year, month % 100);
            const int right = p.Place(x, firstBar ? 1 : 0, text, s.drawLabels);
            next = std::max(next, s.xToIndex(right));
        } else if (month != prevMonth && p.Free(x)) {
            const std::string text = Fmt("%ld", month % 100, 0);
            const int right = x + 1 + p.Width(text);
            const int32_t j = s.xToIndex(right);
            const bool otherYear = j >= s.start && j < last && j > i && s.timeAt(j) > 0 &&
                                   s.timeAt(j) / 10000 != year;
            if (!otherYear) {
                p.Place(x, 1, text, s.drawLabels);
                next = std::max(next, j);
            }
        }
        firstBar = false;
        prevYear = year;
        prevMonth = month;
        i = next;
    }
}

void ScanMinutes(const TimeAxisSource& s, TimeAxisResult& r) {
    Placer p(s, r);
    const int bpd = BarsPerDay(s.period, s.userMinutes);
    const int minutesPerBar = std::max(1, 240 / bpd);
    const int32_t blockEnd = (std::max(s.end, 1) + bpd - 1) / bpd * bpd;
    const int32_t last = std::min(blockEnd, s.start + s.visibleCount);
    const TradingSessions sessions = s.sessions.count ? s.sessions : DefaultSessions();
    int64_t curDate = -1;
    int64_t lastDataDate = -1;
    int lastTime = -1;
    bool firstDate = true;
    for (int32_t i = std::max(s.start, s.first); i < last;) {
        int64_t date, time;
        if (i < s.count && s.timeAt(i) > 0) {
            const int64_t key = s.timeAt(i);
            date = key / 10000;
            time = key - date * 10000;
            lastDataDate = date;
        } else {
            if (lastDataDate < 0) break;
            date = lastDataDate;
            time = SessionMinuteTime(sessions, std::min(239, (i % bpd + 1) * minutesPerBar - 1));
        }
        const int x = s.indexToX(i);
        int32_t next = i + 1;
        if (date != curDate) {
            if (p.Free(x)) {
                const std::string text =
                    Fmt("%ld/%02ld", static_cast<long>(date / 100 % 100), static_cast<long>(date % 100));
                const int right = p.Place(x, firstDate ? 1 : 0, text, s.drawLabels);
                next = std::max(next, s.xToIndex(right));
                firstDate = false;
                lastTime = -1;
            }
            curDate = date;
        } else if (time % 100 % 30 == 0 && time != lastTime && p.Free(x)) {
            const std::string text =
                Fmt("%ld:%02ld", static_cast<long>(time / 100), static_cast<long>(time % 100));
            const int right = x + 1 + p.Width(text);
            const int32_t j = s.xToIndex(right);
            const bool otherDate = j >= s.start && j < std::min(s.end, s.count) && j > i &&
                                   s.timeAt(j) > 0 && s.timeAt(j) / 10000 != curDate;
            if (!otherDate) {
                p.Place(x, 1, text, s.drawLabels);
                lastTime = static_cast<int>(time);
                next = std::max(next, j);
            }
        }
        i = next;
    }
}

bool IsBoundary(const TradingSessions& s, int hhmm) {
    for (int k = 0; k < s.count; ++k)
        if (hhmm == s.start[k] || hhmm == s.end[k]) return true;
    return false;
}

void ScanIntraday(const TimeAxisSource& s, TimeAxisResult& r) {
    Placer p(s, r);
    const TradingSessions sessions = s.sessions.count ? s.sessions : DefaultSessions();
    const int32_t lastVisible = std::max(s.start, std::min(s.end, s.count) - 1);
    const int32_t blockEnd = (lastVisible / 240 + 1) * 240;
    const int32_t lastBlock = blockEnd - 240;
    int64_t curDay = -1;
    int64_t dataDay = -1;
    bool firstDay = true;
    int lastTime = -1;
    int boundaryMark = -1;  // index in grid of the latest boundary mark
    int lastLabel = -1;     // index in labels of the latest time label
    bool lastLabelBoundary = false;
    for (int32_t i = s.start; i < blockEnd && i < s.start + s.visibleCount; ++i) {
        int64_t day;
        int time;
        if (i < s.count && i >= s.first && s.timeAt(i) > 0) {
            const int64_t key = s.timeAt(i);
            day = key / 10000;
            time = static_cast<int>(key % 10000);
            dataDay = day;
        } else if (i < lastBlock) {
            day = dataDay >= 0 ? dataDay : 0;
            time = SessionMinuteTime(sessions, i % 240);
        } else {
            continue;  // the newest day's minutes to come have no time yet
        }
        const int x = s.indexToX(i);
        if (day != curDay) {
            if (!firstDay) {
                if (boundaryMark >= 0 && r.grid[static_cast<size_t>(boundaryMark)].x >= x - 1)
                    r.grid[static_cast<size_t>(boundaryMark)].kind = 0;
                else
                    r.grid.push_back({x, 0});
                const std::string text =
                    Fmt("%ld/%02ld", static_cast<long>(day / 100 % 100), static_cast<long>(day % 100));
                if (s.showX) {
                    TimeLabel label{x, text};
                    if (lastLabel >= 0) {
                        const TimeLabel& prev = r.labels[static_cast<size_t>(lastLabel)];
                        const int prevRight = prev.x + 1 + p.Width(prev.text);
                        if (x >= prev.x && x < prevRight) {
                            label.erase = true;
                            label.eraseX = prev.x;
                            label.eraseWidth = prevRight - prev.x;
                        }
                        if (lastLabelBoundary) label.x = prev.x;
                    }
                    r.labels.push_back(label);
                    p.nextFree = label.x + 1 + p.Width(text);
                }
            }
            curDay = day;
            firstDay = false;
            lastTime = -1;
            boundaryMark = -1;
        }
        const bool boundary = IsBoundary(sessions, time);
        if ((boundary || time % 100 % 30 == 0) && time != lastTime) {
            r.grid.push_back({x, boundary ? 2 : 1});
            if (boundary) boundaryMark = static_cast<int>(r.grid.size()) - 1;
            lastTime = time;
            if (p.Free(x) && s.showX) {
                r.labels.push_back({x, Fmt("%ld:%02ld", time / 100, time % 100)});
                lastLabel = static_cast<int>(r.labels.size()) - 1;
                lastLabelBoundary = boundary;
                p.nextFree = x + 1 + p.Width(r.labels.back().text);
            } else if (!s.showX && p.Free(x)) {
                p.nextFree = x + 1 + p.Width({});
            }
        }
    }
}

void ScanTicks(const TimeAxisSource& s, TimeAxisResult& r) {
    Placer p(s, r);
    long prevMinute = -1, prevHour = -1;
    const int32_t last = ScanEnd(s);
    for (int32_t i = std::max(s.start, s.first); i < last; ++i) {
        const long t = static_cast<long>(s.timeAt(i));
        const long minute = t / 100;
        if (minute == prevMinute) continue;
        prevMinute = minute;
        const int x = s.indexToX(i);
        if (!p.Free(x)) continue;
        const long hour = minute / 100;
        const bool sameHour = hour == prevHour;
        const std::string text = sameHour ? Fmt("%02ld", minute % 100, 0)
                                          : Fmt("%ld:%02ld", hour, minute % 100);
        p.Place(x, sameHour ? 1 : 0, text, true);
        prevHour = hour;
    }
}

}  // namespace

int BarsPerDay(int16_t period, int16_t userMinutes) {
    int p = period == -1 ? std::max<int>(1, userMinutes) : period;
    if (p < 2) return 240;
    return (240 + p - 1) / p;
}

int SessionMinuteTime(const TradingSessions& given, int m) {
    const TradingSessions s = given.count ? given : DefaultSessions();
    int sum = 0;
    for (int k = 0; k < s.count; ++k) {
        const int len = Minutes(s.start[k], s.end[k]);
        if (m < sum + len) {
            const int minutes = s.start[k] % 100 + (m - sum) + 1;
            const int t = (s.start[k] / 100 + minutes / 60) * 100 + minutes % 60;
            return t < 0 ? t + 2400 : t;
        }
        sum += len;
    }
    return s.end[s.count - 1];
}

TimeAxisResult ScanTimeAxis(const TimeAxisSource& src) {
    TimeAxisResult r;
    if (!src.indexToX || !src.timeAt || !src.xToIndex || src.count <= 0) return r;
    TimeAxisSource s = src;
    if (!s.textWidth) s.textWidth = [w = s.charWidth](const std::string& t) {
        return static_cast<int>(t.size()) * w;
    };
    switch (s.dataType) {
    case 4: ScanDays(s, r); break;
    case 3: ScanMinutes(s, r); break;
    case 2:
    case 5: ScanIntraday(s, r); break;
    case 13: ScanTicks(s, r); break;
    default: break;
    }
    return r;
}

}  // namespace chart
