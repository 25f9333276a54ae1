#pragma once
// Ex-rights (除权) events: cash dividends, bonus shares, shares transferred from
// reserves, rights issues and share expansions, after which a security's prices are not
// comparable with those before. One process-wide table (GetAllCQData) holds them all,
// sorted, and per security. It is loaded from "cq.dat" at start-up, replaced by the
// download after every login, and written back at exit.
//
// "cq.dat" and the decoded download share one layout (little-endian): u16 format (1),
// u32 version word 1, u32 version word 2, u32 N, then N records
//   {u32 market, string code (at most 131 bytes), u32 date, i64 cash, i64 bonus,
//    i64 transfer, i64 rights, u32 rights price}
// Amounts are per 10 shares with 6 decimals; the rights price has 3 decimals.
//
// The table is replaced only by a complete, well-formed table: a download that fails,
// is cut off, or does not decode leaves the previous one (and its version words) in place.

#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

#include "foundation/IndSecuCode.h"
#include "foundation/SortArray.h"
#include "protocol/Bodies.h"

class CBuffer;

struct CSingleCQDataPerSecu {
    static constexpr size_t kMaxCodeLength = 131;

    CIndSecuCode m_code;
    uint32_t m_nDate = 0;
    int64_t m_nCash = 0;      // yuan per 10 shares, / 10^6
    int64_t m_nBonus = 0;     // shares per 10 shares, / 10^6
    int64_t m_nTransfer = 0;  // shares per 10 shares, / 10^6
    int64_t m_nRights = 0;    // shares per 10; with price 0 the shares per 10 after an expansion
    uint32_t m_nRightsPrice = 0;  // yuan, / 1000

    // The event's linear price transform for an adjustment mode: adjusted = price x factor
    // + offset. Mode 2 carries a price quoted before the event to the scale after it;
    // mode 1 is its inverse. Other modes leave factor and offset untouched.
    void GetAdjustment(int mode, double& factor, double& offset) const;
    // "2015/06/18(每10股红利2.5元,送股10股)"
    std::string GetDescription() const;

    // One record of the file and download layout. FromWire returns false for a code too
    // long for the field (the event then keeps a shortened code and is not stored).
    bool FromWire(const wire::ExRightsRecord& record);
    wire::ExRightsRecord ToWire() const;
};
// Market, then code without regard to case, then date.
int SortArrayCompare(const CSingleCQDataPerSecu& a, const CSingleCQDataPerSecu& b);

struct CQDataPerSecu {
    CIndSecuCode m_code;
    CSortArray<CSingleCQDataPerSecu> m_events;
};
// Market, then code without regard to case.
int SortArrayCompare(const CQDataPerSecu& a, const CQDataPerSecu& b);

class CAllCQData {
public:
    static constexpr uint32_t kMaxDownload = 64u << 20;  // compressed bytes

    CAllCQData();
    ~CAllCQData();

    // Inserts, or replaces the event with the same market, code and date.
    void AddEvent(const CSingleCQDataPerSecu& event);
    // The security's events, ascending; false (out untouched) when it has none.
    bool GetEvents(CSortArray<CSingleCQDataPerSecu>& out, const CIndSecuCode& code) const;
    std::vector<CSingleCQDataPerSecu> GetAllEvents() const;
    size_t GetEventCount() const;
    uint32_t GetVersion1() const;
    uint32_t GetVersion2() const;
    // Empties the table and the version words.
    void Clear();

    // Reads the layout above into the table (which is not emptied first). Records of
    // markets other than 1 and 2, and records whose code is too long, are dropped.
    // Throws CParseError when the content is shorter than it declares; the records read
    // before stay. where names what is read ("cq.dat", "reply 13101").
    void Parse(CBuffer& in, std::string_view where = "cq.dat");
    // Start-up: "cq.dat" in the current directory. A missing file leaves the table empty.
    // A damaged one keeps the records read before the damage and is kept aside under
    // another name. False when the file was missing or damaged.
    bool Load(const std::string& path = "cq.dat");
    // Exit: writes the table atomically. False when the write failed (the old file stays).
    bool Save(const std::string& path = "cq.dat") const;

    // The body of request 13101: the two version words.
    void BuildRequestBody(CBuffer& out) const;
    // Reply handler of request 13101 (network thread): flags 2 = first chunk (u32
    // compressed total follows), 4 = last chunk, 6 = both, 0 = a middle chunk while a
    // download is under way and otherwise "the held table is current"; each chunk is a
    // u16 length and the bytes. True when the reply is complete.
    bool OnCQReply(CBuffer& body);
    // Decodes the completed download and, when it parses whole, makes it the table.
    bool DecodeDownload();

private:
    struct Table {
        CSortArray<CSingleCQDataPerSecu> all;
        CSortArray<CQDataPerSecu> perSecurity;
        uint32_t version1 = 0;
        uint32_t version2 = 0;
        void Add(const CSingleCQDataPerSecu& event);
    };
    static void ParseInto(CBuffer& in, Table& table, std::string_view where);
    void DropDownload();

    mutable std::mutex m_lock;  // guards m_table; the download state is network-thread only
    Table m_table;
    std::vector<uint8_t> m_download;
    uint32_t m_nDownloadTotal = 0;
    uint32_t m_nDownloadReceived = 0;
    bool m_bDownloading = false;
};

CAllCQData* GetAllCQData();
