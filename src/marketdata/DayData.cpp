#include "marketdata/DayData.h"

#include <algorithm>

#include "foundation/Buffer.h"
#include "foundation/MyLog.h"
#include "foundation/ParseError.h"
#include "foundation/Random.h"
#include "marketdata/DataCenter.h"
#include "marketdata/Lzhuf.h"
#include "marketdata/MarketHooks.h"
#include "marketdata/Security.h"
#include "protocol/Bodies.h"
#include "protocol/DataHead.h"
#include "protocol/Wire.h"

namespace {
// Upper bound of a compressed minute history (1,000,000 bars compress to well below).
constexpr uint32_t kMaxHistoryDownload = 256u << 20;

void LogDroppedReply(const CParseError& e) {
    GetAppLog().WriteLog("series reply dropped: %s", e.what());
}

// Decodes a reply body; false (logged) when it is short or malformed.
template <class Reply, class... Args>
bool DecodeReply(Reply& reply, CBuffer& body, Args... args) {
    try {
        reply.Decode(body, args...);
        return true;
    } catch (const CParseError& e) {
        LogDroppedReply(e);
        return false;
    }
}
}  // namespace

// ---------------------------------------------------------------------------------------
// CData

CData::CData(std::string name, CSecurity* security)
    : m_pSecurity(security), m_strName(std::move(name)) {}

CData::~CData() = default;

void CData::Subscribe(OwnerTag owner, Callback callback) {
    std::lock_guard lock(m_subscriberLock);
    m_subscribers[owner] = std::move(callback);
}

void CData::Unsubscribe(OwnerTag owner) {
    std::unique_lock lock(m_subscriberLock);
    m_subscribers.erase(owner);
    // The owner may be about to go away: a call of it still running on another thread
    // must end first. Its own thread is not waited for (a callback that unsubscribes).
    const std::thread::id self = std::this_thread::get_id();
    m_callbackDone.wait(lock, [&] {
        auto [from, to] = m_running.equal_range(owner);
        return std::all_of(from, to, [&](const auto& entry) { return entry.second == self; });
    });
}

bool CData::IsSubscribed(OwnerTag owner) {
    std::lock_guard lock(m_subscriberLock);
    return m_subscribers.count(owner) != 0;
}

void CData::Notify() {
    // The owners are copied and each callback is looked up again just before its call,
    // so one removed meanwhile (by an earlier callback or another thread) is skipped.
    // No lock is held during a call: a callback may subscribe, request or unsubscribe.
    std::vector<OwnerTag> owners;
    {
        std::lock_guard lock(m_subscriberLock);
        owners.reserve(m_subscribers.size());
        for (auto& [owner, callback] : m_subscribers) owners.push_back(owner);
    }
    const std::thread::id self = std::this_thread::get_id();
    for (const OwnerTag& owner : owners) {
        Callback callback;
        std::multimap<OwnerTag, std::thread::id>::iterator running;
        {
            std::lock_guard lock(m_subscriberLock);
            auto it = m_subscribers.find(owner);
            if (it == m_subscribers.end() || !it->second) continue;
            callback = it->second;
            running = m_running.emplace(owner, self);
        }
        struct Done {
            CData* data;
            std::multimap<OwnerTag, std::thread::id>::iterator entry;
            ~Done() {
                {
                    std::lock_guard lock(data->m_subscriberLock);
                    data->m_running.erase(entry);
                }
                data->m_callbackDone.notify_all();
            }
        } done{this, running};
        callback();
    }
}

// ---------------------------------------------------------------------------------------
// CDayData: construction and the local store

struct CDayData::BarMerge {
    bool reset = false;
    std::vector<uint32_t> removeYears;
    uint32_t cut = 0;
    std::vector<CDayItem> bars;
    bool hasTotal = false;
    int32_t total = 0;
    bool hasRange = false;
    uint32_t rangeFrom = 0, rangeTo = 0;
    bool hasQuote = false;
    uint32_t quote[4] = {};
    bool hasYearCount = false;
    uint32_t firstYear = 0, lastYear = 0, yearCount = 0;

    void SetQuote(const wire::QuoteBlock& q) {
        std::copy(q.begin(), q.end(), quote);
        hasQuote = true;
    }
    void SetTotal(uint32_t count) {
        total = int32_t(count);
        hasTotal = true;
    }
    void SetOptionalBars(wire::OptionalBars& run) {
        if (!run.present) return;
        reset = run.reset != 0;
        cut = run.cut;
        bars = std::move(run.bars);
    }
};

struct CDayData::HistoryDownload {
    CBuffer chunks;
    uint32_t announced = 0;
    bool started = false;
};

CDayData::CDayData(std::string name, CSecurity* security, int16_t dataType, int16_t period)
    : CData(std::move(name), security), m_nDataType(dataType), m_nPeriod(period) {}

CDayData::~CDayData() = default;

std::optional<CDayData::WriteView> CDayData::TryWrite() {
    if (!m_guard.TryWriteLock()) return std::nullopt;
    return WriteView(*this, CWriteGuard(m_guard, std::adopt_lock));
}

CDataFile* CDayData::ChooseStore() const {
    CDataCenter* centre = GetDataCenter();
    if (m_nDataType == kDayType) return &centre->GetStore(CDataCenter::kDayFile);
    if (m_nDataType != kMinuteType) return nullptr;
    bool fives = (m_nPeriod != 0 && m_nPeriod % 5 == 0) ||
                 (m_nPeriod == -1 && GetUserMinuteCount() % 5 == 0);
    return &centre->GetStore(fives ? CDataCenter::kMin5File : CDataCenter::kMin1File);
}

void CDayData::LoadLocal() {
    CDataFile* store = ChooseStore();
    if (!store || !m_pSecurity) return;
    const CIndSecuCode& code = m_pSecurity->GetCode();
    CWriteGuard lock(m_guard);
    auto ascending = [](const std::vector<CDayItem>& v) {
        for (size_t i = 1; i < v.size(); ++i)
            if (uint64_t(v[i - 1].m_nTime) >= uint64_t(v[i].m_nTime)) return false;
        return true;
    };
    if (m_rawBars.empty()) {
        // The store keeps a chain in key order: read it straight into place (a million
        // minute bars are 32 MB; no second copy).
        store->ReadDayItems(uint32_t(code.m_nMarket), code.m_strCode, m_rawBars);
        if (!ascending(m_rawBars)) {
            std::vector<CDayItem> bars(m_rawBars.begin(), m_rawBars.end());
            m_rawBars.clear();
            for (const CDayItem& bar : bars) m_rawBars.Insert(bar);
        }
    } else {
        std::vector<CDayItem> bars;
        store->ReadDayItems(uint32_t(code.m_nMarket), code.m_strCode, bars);
        for (const CDayItem& bar : bars) m_rawBars.Insert(bar);
    }
    GetAllCQData()->GetEvents(m_exRights, code);
}

bool CDayData::SaveLocal() {
    if (!m_pSecurity || (m_nDataType != kDayType && m_nDataType != kMinuteType)) return true;
    CDataFile* store = ChooseStore();
    if (!store) return false;
    CReadGuard lock(m_guard);
    size_t n = m_rawBars.size();
    if (n == 0) return true;
    // Today's bar of a day series is still forming while its volume is 0.
    if (m_nDataType == kDayType && m_rawBars.back().m_nVolume == 0) --n;
    const CIndSecuCode& code = m_pSecurity->GetCode();
    return store->ReplaceItems(uint32_t(n), uint32_t(code.m_nMarket), code.m_strCode,
                               m_rawBars.data());
}

// ---------------------------------------------------------------------------------------
// Requests

wire::SecurityRef CDayData::SecurityOnWire() const {
    const CIndSecuCode& code = m_pSecurity->GetCode();
    return {uint32_t(code.m_nMarket), code.m_strCode};
}

wire::HeldSummary CDayData::HeldOnWire() {
    CReadGuard lock(m_guard);
    if (m_rawBars.empty()) return {};
    return {uint32_t(m_rawBars.size()), uint32_t(uint64_t(m_rawBars.front().m_nTime)),
            uint32_t(uint64_t(m_rawBars.back().m_nTime)),
            BarCheckByte(m_rawBars.data(), m_rawBars.size())};
}

void CDayData::BuildHistoryBody(CBuffer& out, const std::vector<uint32_t>& years,
                                uint32_t barsWanted, uint32_t upperDate) {
    wire::HistoryRequest request;
    request.security = SecurityOnWire();
    request.dataType = uint16_t(kMinuteType);
    request.period = uint16_t(m_nPeriod);
    request.barsWanted = barsWanted;
    request.upperDate = upperDate;
    {
        CReadGuard lock(m_guard);
        for (uint32_t year : years) {
            int from = LowerBoundKey(m_rawBars, uint64_t(YearKeyBegin(year)));
            int to = LowerBoundKey(m_rawBars, uint64_t(YearKeyEnd(year)) + 1);
            uint32_t n = uint32_t(std::max(0, to - from));
            request.years.push_back({year, n, n ? m_rawBars[from].m_nTime : 0,
                                     n ? m_rawBars[to - 1].m_nTime : 0,
                                     uint8_t(n ? BarCheckByte(m_rawBars.data() + from, n) : 0)});
        }
    }
    request.Encode(out);
}

void CDayData::BuildUpdateBody(CBuffer& out, uint32_t barsWanted) {
    wire::UpdateRequest request;
    request.security = SecurityOnWire();
    request.dataType = uint16_t(m_nDataType);
    request.period = uint16_t(m_nPeriod);
    request.nDayCount = uint16_t(GetUserNDayCount());
    request.barsWanted = barsWanted;
    request.held = HeldOnWire();
    request.Encode(out);
}

void CDayData::BuildTrainingBody(CBuffer& out) {
    wire::TrainingBarsRequest request;
    request.security = SecurityOnWire();
    request.dataType = uint16_t(m_nDataType);
    request.period = uint16_t(m_nPeriod);
    request.nDayCount = uint16_t(GetUserNDayCount());
    {
        CReadGuard lock(m_guard);
        request.param1 = m_nTrainParam1;
        request.param2 = m_nTrainParam2;
    }
    request.held = HeldOnWire();
    request.Encode(out);
}

void CDayData::BuildRangeBody(CBuffer& out) {
    wire::RangeRequest request;
    request.security = SecurityOnWire();
    {
        CReadGuard lock(m_guard);
        request.from = m_nRangeFrom;
        request.to = m_nRangeTo;
    }
    request.held = HeldOnWire();
    request.Encode(out);
}

void CDayData::BuildRandomWindowBody(CBuffer& out) {
    wire::RandomWindowRequest request;
    request.security = SecurityOnWire();
    {
        CReadGuard lock(m_guard);
        request.barCount = m_nWindowBars;
    }
    request.held = HeldOnWire();
    request.Encode(out);
}

bool CDayData::SendRequest(CRequestChannel& channel, uint16_t command,
                           const std::function<void(CBuffer&)>& writeBody,
                           std::function<bool(CDayData&, CBuffer&)> handler) {
    CBuffer message;
    CDataHead::ReservePlaceholder(message);
    writeBody(message);
    CDataHead head = CDataHead::NewRequest();
    if (!head.WriteToBuffer(message, command)) return false;
    std::weak_ptr<CData> weak = weak_from_this();
    channel.RegisterReply(head.m_nSerial, OwnerTag(this),
                          [weak, handler = std::move(handler)](const CDataHead&, CBuffer& body) {
                              auto self = std::static_pointer_cast<CDayData>(weak.lock());
                              return self ? handler(*self, body) : true;
                          });
    channel.Send(message.GetData(), message.GetLength());
    return true;
}

void CDayData::RequestHistory(const std::vector<uint32_t>& years, uint32_t barsWanted,
                              uint32_t upperDate, bool withChunks, OwnerTag owner,
                              Callback callback) {
    if (years.empty()) return;
    CRequestChannel* channel = GetConnectedChannel();
    if (!channel || !m_pSecurity) {
        if (callback) callback();
        return;
    }
    Subscribe(owner, callback);
    if (m_nDataType != kMinuteType) return;
    const auto writeBody = [&](CBuffer& message) {
        BuildHistoryBody(message, years, barsWanted, upperDate);
    };
    if (withChunks) {
        // Each request collects its own chunks: two overlapping downloads of one series
        // must not write into one buffer.
        auto download = std::make_shared<HistoryDownload>();
        SendRequest(*channel, wire::kHistory, writeBody, [download](CDayData& self, CBuffer& body) {
            return self.OnHistoryChunk(*download, body);
        });
    } else {
        SendRequest(*channel, wire::kHistoryPlain, writeBody,
                    [](CDayData& self, CBuffer& body) { return self.OnHistoryReply(body); });
    }
}

void CDayData::RequestUpdate(uint32_t barsWanted, OwnerTag owner, Callback callback) {
    if (callback) callback();  // what is held first, online or not
    CRequestChannel* channel = GetConnectedChannel();
    if (!channel || !m_pSecurity) return;
    Subscribe(owner, callback);
    const auto writeBody = [&](CBuffer& message) { BuildUpdateBody(message, barsWanted); };
    SendRequest(*channel, wire::kUpdate, writeBody,
                [](CDayData& self, CBuffer& body) { return self.OnUpdateReply(body); });
}

void CDayData::RequestRange(uint32_t from, uint32_t to, OwnerTag owner, Callback callback) {
    CRequestChannel* channel = GetConnectedChannel();
    if (channel && m_pSecurity) {
        {
            CWriteGuard lock(m_guard);
            m_nRangeFrom = from;
            m_nRangeTo = to;
        }
        Subscribe(owner, callback);
        const auto writeBody = [&](CBuffer& message) { BuildRangeBody(message); };
        SendRequest(*channel, wire::kRange, writeBody,
                    [](CDayData& self, CBuffer& body) { return self.OnWindowReply(body); });
        return;
    }
    {
        // Offline: snap both ends to held bars.
        CWriteGuard lock(m_guard);
        m_nRangeFrom = from;
        m_nRangeTo = to;
        bool snaps = (m_nDataType == kDayType && m_nPeriod == 1) ||
                     (m_nDataType == kMinuteType && (m_nPeriod == 1 || m_nPeriod == 5));
        if (snaps && !m_chartBars.empty()) {
            for (uint32_t* end : {&m_nRangeFrom, &m_nRangeTo}) {
                int i = LowerBoundKey(m_chartBars, uint64_t(*end));
                if (i == m_chartBars.GetSize())
                    i = m_chartBars.GetSize() - 1;  // past the newest bar: the newest one
                if (uint64_t(m_chartBars[i].m_nTime) != uint64_t(*end))
                    *end = uint32_t(uint64_t(m_chartBars[i].m_nTime));
            }
        }
    }
    if (callback) callback();
}

void CDayData::RequestTrainingBars(uint32_t param1, uint32_t param2, OwnerTag owner,
                                   Callback callback) {
    CRequestChannel* channel = GetConnectedChannel();
    if (!channel || !m_pSecurity) {
        if (callback) callback();
        return;
    }
    {
        CWriteGuard lock(m_guard);
        m_nTrainParam1 = param1;
        m_nTrainParam2 = param2;
    }
    Subscribe(owner, callback);
    const auto writeBody = [&](CBuffer& message) { BuildTrainingBody(message); };
    SendRequest(*channel, wire::kTrainingBars, writeBody,
                [](CDayData& self, CBuffer& body) { return self.OnTrainingBarsReply(body); });
}

void CDayData::RequestRandomWindow(uint32_t barCount, OwnerTag owner, Callback callback) {
    CRequestChannel* channel = GetConnectedChannel();
    if (channel && m_pSecurity) {
        {
            CWriteGuard lock(m_guard);
            m_nWindowBars = barCount;
        }
        Subscribe(owner, callback);
        const auto writeBody = [&](CBuffer& message) { BuildRandomWindowBody(message); };
        SendRequest(*channel, wire::kRandomWindow, writeBody,
                    [](CDayData& self, CBuffer& body) {
                        return self.OnWindowReply(body, wire::kRandomWindow);
                    });
        return;
    }
    if (m_nDataType == kDayType && m_nPeriod == 1) {
        CWriteGuard lock(m_guard);
        m_nWindowBars = barCount;
        // The run of newest bars with a positive low.
        int end = m_chartBars.GetSize();
        int start = end;
        while (start > 0 && m_chartBars[start - 1].m_fLow > 0) --start;
        int usable = end - start;
        if (usable > 0) {
            // A window no longer than the run, and at least one bar: the draw range
            // usable - count + 1 is then always positive.
            int count = std::clamp<int64_t>(barCount, 1, usable);
            int first = start + int(RandomIndex(size_t(usable - count + 1)));
            m_nRangeFrom = uint32_t(uint64_t(m_chartBars[first].m_nTime));
            m_nRangeTo = uint32_t(uint64_t(m_chartBars[first + count - 1].m_nTime));
        }
    }
    if (callback) callback();
}

// ---------------------------------------------------------------------------------------
// Replies

bool CDayData::IsOwnSecurity(const wire::SecurityRef& security) {
    return m_pSecurity &&
           GetDataCenter()->FindSecurity(CIndSecuCode(int32_t(security.market), security.code)) ==
               m_pSecurity;
}

void CDayData::Upsert(const CDayItem& bar) {
    if (m_rawBars.empty() || uint64_t(bar.m_nTime) > uint64_t(m_rawBars.back().m_nTime)) {
        m_rawBars.push_back(bar);
        return;
    }
    int i = FindKey(m_rawBars, bar.m_nTime);
    if (i >= 0)
        m_rawBars[i] = bar;
    else
        m_rawBars.Insert(bar);
}

void CDayData::RemoveYear(uint32_t year) {
    int from = LowerBoundKey(m_rawBars, uint64_t(YearKeyBegin(year)));
    int to = LowerBoundKey(m_rawBars, uint64_t(YearKeyEnd(year)) + 1);
    m_rawBars.RemoveRange(from, to);
}

void CDayData::FrontCut(uint32_t cut) {
    if (cut == 0) return;
    size_t n = 0;
    while (n < m_rawBars.size() && uint32_t(uint64_t(m_rawBars[n].m_nTime)) < cut) ++n;
    m_rawBars.erase(m_rawBars.begin(), m_rawBars.begin() + long(n));
}

void CDayData::ApplyMerge(const BarMerge& merge) {
    // Everything was read before the lock is taken: a short reply has thrown by now, and
    // the series is changed in one go or not at all.
    if (merge.hasQuote && m_pSecurity)
        m_pSecurity->SetReplyQuote(merge.quote[0], merge.quote[1], merge.quote[2], merge.quote[3]);
    CWriteGuard lock(m_guard);
    if (merge.reset) m_rawBars.clear();
    for (uint32_t year : merge.removeYears) RemoveYear(year);
    FrontCut(merge.cut);
    for (const CDayItem& bar : merge.bars) Upsert(bar);
    if (merge.hasTotal) m_nTotalCount = merge.total;
    if (merge.hasRange) {
        m_nRangeFrom = merge.rangeFrom;
        m_nRangeTo = merge.rangeTo;
    }
    if (merge.hasYearCount) {
        if (m_nPeriod == 1)
            m_countsByYear[merge.firstYear] = merge.yearCount;
        else
            m_countsByRange[{merge.firstYear, merge.lastYear}] = merge.yearCount;
    }
}

void CDayData::AfterMerge() {
    // The store write and the subscriber calls wait until the channel has left its
    // pending-reply lock: a slow disk must not hold up other replies, and a subscriber
    // may send a request of its own.
    std::weak_ptr<CData> weak = weak_from_this();
    auto task = [weak] {
        if (auto self = weak.lock()) {
            self->SaveLocal();
            self->Notify();
        }
    };
    if (CRequestChannel* channel = GetRequestChannel())
        channel->Post(task);
    else
        task();
}

bool CDayData::OnHistoryChunk(HistoryDownload& download, CBuffer& body) {
    wire::HistoryChunkReply reply;
    try {
        reply.Decode(body);
        if (!IsOwnSecurity(reply.security)) return true;
        const wire::ChunkReply& chunk = reply.chunk;
        const char* where = wire::kHistoryChunks.where;
        if (chunk.IsFirst(wire::kHistoryChunks)) {
            if (chunk.total > kMaxHistoryDownload)
                throw CParseError("announced size " + std::to_string(chunk.total) +
                                      " is beyond any history",
                                  where, "total size");
            download.announced = chunk.total;
            download.chunks.Clear();
            download.started = true;
        }
        if (!download.started) throw CParseError("a chunk without its first one", where, "flags");
        if (uint64_t(download.chunks.GetLength()) + chunk.chunk.size() > download.announced)
            throw CParseError("chunk passes the announced size " +
                                  std::to_string(download.announced),
                              where, "chunk length");
        download.chunks.Write(chunk.chunk.data(), uint32_t(chunk.chunk.size()));
        if (!chunk.IsLast(wire::kHistoryChunks)) {
            if (chunk.IsFirst(wire::kHistoryChunks)) {
                SetDownloadRange("", download.announced);
                PostToMainFrame(UM_DOWNLOAD_PROGRESS, 0, 0);
            } else {
                SetDownloadPosition(download.chunks.GetLength());
            }
            return false;
        }
    } catch (const CParseError& e) {
        LogDroppedReply(e);
        PostToMainFrame(UM_DOWNLOAD_PROGRESS, 0, 1);
        download.chunks.Clear();
        return true;
    }
    PostToMainFrame(UM_DOWNLOAD_PROGRESS, 0, 1);
    std::vector<uint8_t> plain;
    bool decoded = DecodeLzhuf(download.chunks.GetData(), download.chunks.GetLength(), plain);
    download.chunks.Clear();
    if (!decoded) return true;
    CBuffer in;
    in.Write(plain.data(), uint32_t(plain.size()));
    in.m_bShrinkLocked = true;
    plain = {};
    DecodeHistory(in);
    return true;
}

void CDayData::Merge(const BarMerge& merge) {
    ApplyMerge(merge);
    AfterMerge();
}

bool CDayData::DecodeHistory(CBuffer& in) {
    wire::HistoryContent content;
    if (!DecodeReply(content, in) || !IsOwnSecurity(content.security)) return false;
    BarMerge merge;
    for (size_t g = 0; g < content.groups.size(); ++g) {
        const wire::YearGroup& group = content.groups[g];
        if (group.replace) merge.removeYears.push_back(group.year);
        merge.yearCount += group.count;
        if (g == 0) merge.firstYear = group.year;
        merge.lastYear = group.year;
    }
    merge.hasYearCount = !content.groups.empty();
    merge.bars = std::move(content.bars);
    Merge(merge);
    return true;
}

bool CDayData::OnHistoryReply(CBuffer& body) {
    wire::HistoryReply reply;
    if (!DecodeReply(reply, body) || !IsOwnSecurity(reply.security)) return true;
    BarMerge merge;
    if (!reply.years.empty()) {
        merge.firstYear = reply.years.front();
        merge.lastYear = reply.years.back();
        merge.hasYearCount = true;
    }
    for (wire::HistoryReply::Group& group : reply.groups) {
        const uint32_t year = group.year.year;
        merge.yearCount += group.year.count;
        // A replaced year goes before the bars that follow its flag, not after bars of
        // later groups: apply group by group.
        if (group.year.replace) {
            std::erase_if(merge.bars, [year](const CDayItem& held) {
                return held.m_nTime >= YearKeyBegin(year) && held.m_nTime <= YearKeyEnd(year);
            });
            merge.removeYears.push_back(year);
        }
        merge.bars.insert(merge.bars.end(), group.bars.begin(), group.bars.end());
    }
    Merge(merge);
    return true;
}

bool CDayData::OnUpdateReply(CBuffer& body) {
    wire::UpdateReply reply;
    if (!DecodeReply(reply, body) || !IsOwnSecurity(reply.security)) return true;
    BarMerge merge;
    merge.reset = reply.reset != 0;
    merge.SetTotal(reply.total);
    merge.SetQuote(reply.quote);
    merge.cut = reply.cut;
    merge.bars = std::move(reply.bars);
    Merge(merge);
    return true;
}

bool CDayData::OnWindowReply(CBuffer& body, uint16_t command) {
    wire::WindowReply reply;
    if (!DecodeReply(reply, body, command) || !IsOwnSecurity(reply.security)) return true;
    BarMerge merge;
    merge.SetQuote(reply.quote);
    merge.rangeFrom = reply.from;
    merge.rangeTo = reply.to;
    merge.hasRange = true;
    merge.SetTotal(reply.total);
    merge.SetOptionalBars(reply.run);
    Merge(merge);
    return true;
}

bool CDayData::OnTrainingBarsReply(CBuffer& body) {
    wire::TrainingBarsReply reply;
    if (!DecodeReply(reply, body) || !IsOwnSecurity(reply.security)) return true;
    BarMerge merge;
    merge.SetQuote(reply.quote);
    merge.SetTotal(reply.total);
    merge.SetOptionalBars(reply.run);
    Merge(merge);
    return true;
}
