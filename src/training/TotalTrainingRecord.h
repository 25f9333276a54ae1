#pragma once
// Every trend-training session the user ran, with the selected one, and the record file
// "Data/training/totalRecord.xml" (declared gb2312, texts in GBK) under the program
// directory.
//
// The file is written whole, atomically, whenever a session's state must survive a crash:
// when a session is created (CreateRecord), after each order (the order dialog and the
// stops call Save), when a session ends or resumes (EndSession, ResumeSession), and at
// shut-down. A file that cannot be parsed is renamed aside and logged; it is never
// replaced by the empty list that such a load leaves.

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "training/TrainingRecord.h"

class CSecurity;

// Trend sessions started per date (yyyymmdd) by a user without an account; the set-up page
// limits guests by it. Process-wide; the file carries today's entry.
std::map<uint32_t, int16_t>& TrainedNumCounter();

class CTotalTrainingRecord {
public:
    using RecordPtr = std::shared_ptr<CTrainingRecord>;
    using RecordList = std::vector<RecordPtr>;

    static constexpr const char* kDefaultPath = "Data/training/totalRecord.xml";

    // The path is relative to the program directory, which is the current directory.
    explicit CTotalTrainingRecord(std::string path = kDefaultPath);

    const std::string& GetFilePath() const { return m_strPath; }
    void SetFilePath(std::string path) { m_strPath = std::move(path); }

    // Reads the file into the list, `selected` and the counter. False when there was
    // nothing usable; a damaged file is kept aside and logged.
    bool Load();
    // Writes the list with today's (China time) counter entry. False when it could not.
    bool Save();
    bool Save(uint32_t today);

    // Appends a new session, selects it and saves the file.
    RecordPtr CreateRecord(int32_t T0, int32_t CanPut, CSecurity* security,
                           const CIndSecuCode& code, const std::string& name, int32_t hideDate,
                           int32_t hideName, int32_t TrainPeriodType, double capital,
                           double commitrate);

    // Status changes of a session that the file must not miss.
    void EndSession(CTrainingRecord& record);
    void ResumeSession(CTrainingRecord& record);

    RecordPtr GetSelectedRecord() const;
    bool HasRunningRecord() const;

    // The newest record's week, month or year, newest first.
    void SelectThisWeek(RecordList& out) const;
    void SelectThisMonth(RecordList& out) const;
    void SelectThisYear(RecordList& out) const;

    int16_t selected = -1;
    RecordList records;  // oldest first

private:
    void SelectSamePeriod(RecordList& out, int32_t divisor) const;

    std::string m_strPath;
    // Each session's text as the last save printed it, with the key it was printed from
    // (recordxml::CRecordKey): a session whose key has not changed is not printed again.
    struct PrintedSession {
        std::string key;
        std::string text;
    };
    std::unordered_map<const CTrainingRecord*, PrintedSession> m_printed;
    // Set when a damaged file could not be moved aside: saving would destroy it.
    bool m_bSaveBlocked = false;
};
