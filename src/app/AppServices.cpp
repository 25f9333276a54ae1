#include "app/AppServices.h"

#include "foundation/AtomicFile.h"

#include <cstdio>
#include <memory>

#include "app/AppNetwork.h"
#include "app/ShellCommon.h"
#include "chart/DrawToolPicker.h"
#include "foundation/Config.h"
#include "foundation/MyLog.h"
#include "foundation/WriteBehind.h"
#include "formula/YBIndClass.h"
#include "marketdata/AppInfo.h"
#include "marketdata/CQData.h"
#include "marketdata/DataCenter.h"
#include "marketdata/net/HostInfo.h"
#include "marketdata/net/HostSettings.h"
#include "training/TotalTrainingRecord.h"
#include "ui/dialog/DlgTemplate.h"

bool RunStartup(CAppServices& s) {
    const bool config = s.LoadConfig();
    s.InitAppInfo();
    s.OpenLog();
    s.InitDataCenter();
    s.InitCommon();
    s.LoadExRights();
    s.LoadDrawToolImages();
    s.ReadIndicators();
    s.LoadDlgConfig();
    s.LoadHostInfo();
    s.CreateSkinManager();
    s.LoadDrawToolSettings();
    s.StartNetwork();
    return config;
}

void RunShutdown(CAppServices& s) {
    s.FreeSkinManager();
    // Replies must not change the tables while they are written, and a half-downloaded
    // table must not become the saved one: the network goes first.
    s.StopNetwork();
    {
        // The files have nothing in common, so each is made and written on a thread of its
        // own: the biggest (the record file) no longer waits for the others' flushes, and
        // the flushes overlap. Every save still replaces its file atomically and logs its
        // own failure; the batch flushes each folder once when all are written. The drawing
        // files still on their way are waited for meanwhile (failures logged).
        CAtomicWriteBatch saves;
        saves.RunInParallel({[&s] { s.SaveTrainingRecords(); }, [&s] { s.SaveExRights(); },
                             [&s] { s.SaveCodeTable(); }, [&s] { s.WriteIndicators(); },
                             [&s] { s.SaveHostInfo(); }, [&s] { s.SaveFreqPeriods(); },
                             [] { GetWriteBehind().Drain(); }});
    }
    s.CloseLog();
}

namespace {
std::string ProgramPath(const char* name) {
    return GetAppInfo()->GetProgramDir() + name;
}
}  // namespace

bool CDefaultAppServices::LoadConfig() {
    if (::LoadConfig(kConfigFileName)) return true;
    // The log is not open yet; the settings keep their defaults.
    std::fprintf(stderr, "Err appConfig\n");
    return false;
}

void CDefaultAppServices::InitAppInfo() {
    GetAppInfo()->Init();
}

void CDefaultAppServices::OpenLog() {
    SetLogDirectory(GetAppInfo()->GetProgramDir());
    GetAppLog().Open(LogFilePath("log.txt"));
}

void CDefaultAppServices::InitDataCenter() {
    CDataCenter* dc = GetDataCenter();
    if (!dc->GetTrainingRecords()) {
        auto records = std::make_shared<CTotalTrainingRecord>();
        std::weak_ptr<CTotalTrainingRecord> weak = records;
        dc->SetTrainingRecords(records, [weak] {
            if (auto r = weak.lock()) r->Load();
        });
    }
    dc->Init();
}

void CDefaultAppServices::InitCommon() {
    InitShellCommon();
}

void CDefaultAppServices::LoadExRights() {
    GetAllCQData()->Load();
}

void CDefaultAppServices::LoadDrawToolImages() {
    // The pictures are decoded while the start goes on; the first chart waits for them.
    ElementBarDrawTool::LoadImageListInBackground();
}

void CDefaultAppServices::ReadIndicators() {
    GetYBIndClass()->Read(ProgramPath("Sys.xml"));
    CYBIndClass::SetUp();
}

void CDefaultAppServices::LoadDlgConfig() {
    // Once, before any dialog is made: every skinned dialog reads its element from it.
    GetDlgFactory()->LoadDlgConfig();
}

void CDefaultAppServices::LoadHostInfo() {
    m_hosts.Load(ProgramPath(CHostInfo::kFileName));
}

void CDefaultAppServices::CreateSkinManager() {
    CreateShellSkin();
}

void CDefaultAppServices::LoadDrawToolSettings() {
    // Read by the drawing tools when they are built.
}

void CDefaultAppServices::StartNetwork() {
    // The proxy the host editor stored last time applies from the first connect on.
    RestoreProxySettings();
    StartAppNetwork(m_hosts.m_addresses);
}

void CDefaultAppServices::FreeSkinManager() {
    FreeShellSkin();
}

void CDefaultAppServices::StopNetwork() {
    StopAppNetwork();
}

void CDefaultAppServices::WriteIndicators() {
    GetYBIndClass()->Write(ProgramPath("Sys.xml"));
}

void CDefaultAppServices::SaveHostInfo() {
    m_hosts.Save(ProgramPath(CHostInfo::kFileName));
}

void CDefaultAppServices::SaveCodeTable() {
    GetAppInfo()->SaveCodeTable();
}

void CDefaultAppServices::SaveExRights() {
    GetAllCQData()->Save();
}

void CDefaultAppServices::SaveTrainingRecords() {
    if (auto records = GetDataCenter()->GetTrainingRecords()) records->Save();
}

void CDefaultAppServices::SaveFreqPeriods() {
    GetDataCenter()->SaveFreqPeriods();
}

void CDefaultAppServices::CloseLog() {
    GetAppLog().Close();
}
