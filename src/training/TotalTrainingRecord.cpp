#include "training/TotalTrainingRecord.h"

#include <tinyxml2.h>

#include <filesystem>
#include <system_error>

#include "foundation/AtomicFile.h"
#include "foundation/DateTime.h"
#include "foundation/TextCodec.h"
#include "foundation/XmlFile.h"
#include "training/FullPositon.h"
#include "training/RecordXml.h"
#include "training/TrainingLog.h"

using namespace recordxml;

std::map<uint32_t, int16_t>& TrainedNumCounter() {
    static std::map<uint32_t, int16_t> counter;
    return counter;
}

CTotalTrainingRecord::CTotalTrainingRecord(std::string path) : m_strPath(std::move(path)) {}

namespace {

std::string_view AttrValue(const tinyxml2::XMLElement& e, const char* name) {
    const char* value = e.Attribute(name);
    return value ? value : "";
}

bool IsGbkEncoding(const std::string& encoding) {
    return encoding.empty() || encoding == "gb2312" || encoding == "gbk" || encoding == "gb18030" ||
           encoding == "cp936";
}

}  // namespace

bool CTotalTrainingRecord::Load() {
    std::error_code ec;
    std::string bytes;
    std::string error;
    if (!ReadWholeFile(m_strPath, bytes, &error)) {
        if (std::filesystem::exists(m_strPath, ec)) {
            // There but unreadable: whatever it holds must not be overwritten.
            m_bSaveBlocked = true;
            TrainingLog("CTotalTrainingRecord::Load cannot read " + m_strPath + ": " + error);
        }
        return false;
    }

    tinyxml2::XMLDocument doc(/*processEntities*/ false);
    doc.Parse(bytes.data(), bytes.size());
    const tinyxml2::XMLElement* root = doc.Error() ? nullptr : doc.RootElement();
    if (root) {
        // Texts of the file are GBK unless its declaration says otherwise.
        if (!IsGbkEncoding(XmlDeclaredEncoding(doc))) {
            bytes = Utf8ToAnsiXml(bytes);
            doc.Parse(bytes.data(), bytes.size());
            root = doc.Error() ? nullptr : doc.RootElement();
        }
    }
    if (!root) {
        const std::string reason = doc.Error() ? doc.ErrorStr() : "no root element";
        const std::string aside = KeepAside(m_strPath);
        if (aside.empty()) {
            m_bSaveBlocked = true;
            TrainingLog("CTotalTrainingRecord::Load damaged " + m_strPath + " (" + reason +
                        "), could not be kept aside; saving is off");
        } else {
            TrainingLog("CTotalTrainingRecord::Load damaged " + m_strPath + " (" + reason +
                        "), kept aside as " + aside);
        }
        return false;
    }

    if (const int64_t trained = ParseInt64(AttrValue(*root, "TrainedNum"))) {
        const int64_t day = trained / 10000;
        TrainedNumCounter()[static_cast<uint32_t>(day)] =
            static_cast<int16_t>(trained - day * 10000);
    }
    m_bSaveBlocked = false;
    selected = static_cast<int16_t>(ParseInt64(AttrValue(*root, "selected")));
    records.clear();
    for (const tinyxml2::XMLElement* item = root->FirstChildElement("TrainingItem"); item;
         item = item->NextSiblingElement("TrainingItem")) {
        auto record = std::make_shared<CTrainingRecord>();
        record->ReadXml(*item);
        records.push_back(std::move(record));
    }
    return true;
}

bool CTotalTrainingRecord::Save() {
    return Save(ChinaToday());
}

bool CTotalTrainingRecord::Save(uint32_t today) {
    if (m_bSaveBlocked) {
        TrainingLog("CTotalTrainingRecord::Save refused: " + m_strPath +
                    " could not be read and was not kept aside");
        return false;
    }
    recordxml::CRecordFileWriter out(256);
    out.PushDeclaration("xml version=\"1.0\" encoding=\"gb2312\"");
    out.OpenElement("totalTrainingRecord");
    WriteInt(out, "selected", selected);
    const auto& counter = TrainedNumCounter();
    const auto entry = counter.find(today);
    WriteInt(out, "TrainedNum",
             static_cast<int64_t>(today) * 10000 + (entry != counter.end() ? entry->second : 0));

    // The file is saved after every order, and a few hundred sessions make a megabyte of
    // numbers: only the sessions whose key differs from the last save's are printed again,
    // each as its own piece of the root's children. The pieces go to the file one after
    // the other.
    std::unordered_map<const CTrainingRecord*, PrintedSession> printed;
    std::vector<std::string_view> texts;
    printed.reserve(records.size());
    texts.reserve(records.size() + 2);
    texts.emplace_back();  // the head, once it is complete
    recordxml::CRecordKey key;
    for (const RecordPtr& record : records) {
        if (!record) continue;
        if (texts.size() == 1) out.EndStartTag();
        auto done = printed.find(record.get());  // the same session listed twice
        if (done == printed.end()) {
            key.Clear();
            WriteSessionKey(key, *record);
            PrintedSession session;
            const auto last = m_printed.find(record.get());
            if (last != m_printed.end() && last->second.key == key.Bytes()) {
                session = std::move(last->second);
            } else {
                // Room for the whole text at once: a session prints about 1.5 KB and each
                // journal line, asset point and holding adds its own line.
                size_t expected = 1536 + record->trades.size() * 320 + record->assets.size() * 48;
                for (const auto* book : {record->PutPos.get(), record->CallPos.get()})
                    if (book) expected += book->holdings.size() * 48;
                recordxml::CRecordFileWriter piece = out.ChildWriter(expected);
                WriteSession(piece, *record);
                session.key = key.Bytes();
                session.text = piece.Text();
            }
            done = printed.emplace(record.get(), std::move(session)).first;
        }
        texts.emplace_back(done->second.text);
    }
    recordxml::CRecordFileWriter tail = out.ChildWriter(64);
    if (texts.size() > 1)
        tail.CloseElement();
    else
        out.CloseElement();
    texts.front() = out.Text();
    texts.push_back(tail.Text());
    m_printed = std::move(printed);

    std::string error;
    if (!WriteFileAtomic(m_strPath, texts, &error)) {
        TrainingLog("CTotalTrainingRecord::Save " + error);
        return false;
    }
    return true;
}

CTotalTrainingRecord::RecordPtr CTotalTrainingRecord::CreateRecord(
    int32_t T0, int32_t CanPut, CSecurity* security, const CIndSecuCode& code,
    const std::string& name, int32_t hideDate, int32_t hideName, int32_t TrainPeriodType,
    double capital, double commitrate) {
    auto record = std::make_shared<CTrainingRecord>(security, code, T0, CanPut, hideDate, hideName,
                                                    TrainPeriodType, capital, name, commitrate);
    records.push_back(record);
    selected = static_cast<int16_t>(records.size() - 1);
    Save();
    return record;
}

void CTotalTrainingRecord::EndSession(CTrainingRecord& record) {
    record.TrainStatus = kTrainStatusEnded;
    Save();
}

void CTotalTrainingRecord::ResumeSession(CTrainingRecord& record) {
    record.TrainStatus = kTrainStatusRunning;
    Save();
}

CTotalTrainingRecord::RecordPtr CTotalTrainingRecord::GetSelectedRecord() const {
    if (selected < 0 || static_cast<size_t>(selected) >= records.size()) return nullptr;
    return records[static_cast<size_t>(selected)];
}

bool CTotalTrainingRecord::HasRunningRecord() const {
    for (const RecordPtr& record : records)
        if (record && record->TrainStatus == kTrainStatusRunning) return true;
    return false;
}

void CTotalTrainingRecord::SelectThisWeek(RecordList& out) const {
    if (records.empty()) return;
    const RecordPtr& newest = records.back();
    out.push_back(newest);
    const uint32_t newestDate = static_cast<uint32_t>(newest->TrainingDate);
    const int weekDay = DayOfWeek(newestDate);
    for (size_t i = records.size() - 1; i-- > 0;) {
        const uint32_t date = static_cast<uint32_t>(records[i]->TrainingDate);
        if (DayOfWeek(date) > weekDay || DaysBetween(date, newestDate) >= 7) break;
        out.push_back(records[i]);
    }
}

void CTotalTrainingRecord::SelectThisMonth(RecordList& out) const {
    SelectSamePeriod(out, 100);
}

void CTotalTrainingRecord::SelectThisYear(RecordList& out) const {
    SelectSamePeriod(out, 10000);
}

void CTotalTrainingRecord::SelectSamePeriod(RecordList& out, int32_t divisor) const {
    if (records.empty()) return;
    const RecordPtr& newest = records.back();
    out.push_back(newest);
    for (size_t i = records.size() - 1; i-- > 0;) {
        if (records[i]->TrainingDate / divisor != newest->TrainingDate / divisor) break;
        out.push_back(records[i]);
    }
}
