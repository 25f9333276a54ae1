#pragma once
// Application information: the program directory and data path, the current China-time
// date and time (refreshed every second by the main frame's clock), and the security
// list as the server sent it: one compressed block, kept byte for byte so that the next
// code-table request can name the version held (its CRC-16).
//
// "code.dat" (program directory, little-endian): u16 CRC-16/XMODEM of the block, u32
// length L, then the L bytes of the block (an LZHUF stream of the table below).
// The decoded table: u32 N, then N entries {u32 market, string code, string name}, strings
// being u16 length + GBK bytes.

#include <cstdint>
#include <mutex>
#include <string>
#include <vector>

class CAppInfo {
public:
    static constexpr uint32_t kMaxCodeTable = 32u << 20;  // compressed bytes

    CAppInfo() = default;

    // Program directory = the layer's program directory (platform::GetProgramDir: the
    // user's Tarrow home, made current at start), with a trailing '/'; data path the same;
    // the clock; then "code.dat".
    void Init();
    // Test and start-up hook: both directories at once (a trailing '/' is added).
    void SetProgramDir(const std::string& dir);
    const std::string& GetProgramDir() const { return m_strProgramDir; }
    const std::string& GetDataPath() const { return m_strDataPath; }

    // China time, whatever the machine's zone.
    void UpdateClock();
    // Sets the clock to a given China date (yyyymmdd) and time (hhmmss): tests, replays.
    void SetClock(uint32_t date, uint32_t time);
    uint32_t GetToday() const { return m_nToday; }
    uint32_t GetNow() const { return m_nNow; }
    uint32_t GetSecondsOfDay() const { return m_nSecondsOfDay; }

    // The held compressed code table.
    std::vector<uint8_t> GetCodeTable() const;
    uint32_t GetCodeTableLength() const;
    uint16_t GetCodeTableChecksum() const;
    void SetCodeTableChecksum(uint16_t checksum);
    // Replaces the held block; the checksum is recomputed.
    void SetCodeTable(std::vector<uint8_t> block);
    // Sets the checksum to the CRC-16 of the held block and returns it.
    uint16_t RecomputeChecksum();

    // A code-table download is collected apart from the held block and replaces it only
    // when every announced byte has arrived: a cut-off or oversized download never
    // becomes the held table (nor, at exit, "code.dat").
    bool BeginCodeTableDownload(uint32_t total);  // false: total above kMaxCodeTable
    bool AppendCodeTableChunk(const uint8_t* data, uint32_t length);  // false: past the total
    bool CommitCodeTableDownload();  // false: incomplete (the download is dropped)
    void AbortCodeTableDownload();

    // Start-up: reads "code.dat" and builds the securities from it (names as stored, no
    // abbreviations). A missing file gives no securities; a file whose length or CRC does
    // not check out is kept aside and ignored. False in both cases.
    bool LoadCodeTable();
    // Exit: writes "code.dat" atomically, unless no block (or checksum 0) is held.
    bool SaveCodeTable();

    void Release();

private:
    std::string m_strProgramDir;
    std::string m_strDataPath;
    uint32_t m_nToday = 0;
    uint32_t m_nNow = 0;
    uint32_t m_nSecondsOfDay = 0;

    mutable std::mutex m_codeLock;  // the network thread fills, the worker reads
    std::vector<uint8_t> m_codeTable;
    uint16_t m_nCodeChecksum = 0;
    std::vector<uint8_t> m_download;
    uint32_t m_nDownloadTotal = 0;
    bool m_bDownloading = false;
};

CAppInfo* GetAppInfo();

// Builds or updates the data centre's securities from a compressed code table. The
// worker's form (forWorker) removes spaces from the names and builds the abbreviations;
// the start-up form keeps the names as they are. Entries after a short or malformed
// entry are not read; those before stay. Returns false when the block does not decode
// (nothing is touched). entries receives the number of entries applied.
bool ParseCodeTable(const std::vector<uint8_t>& compressed, bool forWorker,
                    uint32_t* entries = nullptr);
