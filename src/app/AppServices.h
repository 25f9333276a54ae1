#pragma once
// The process-wide services the application brings up at start and saves at exit, one
// operation per step, so that the order is written down in one place (RunStartup,
// RunShutdown) and tests can record it with a table of their own.
#include <string>
#include <vector>

class CAppServices {
public:
    virtual ~CAppServices() = default;

    // -- start-up, in the order RunStartup calls them --
    // "appconfig.xml" of the current directory; false: missing or damaged (start-up
    // goes on with the settings' defaults).
    virtual bool LoadConfig() = 0;
    // Program directory, clock and "code.dat".
    virtual void InitAppInfo() = 0;
    virtual void OpenLog() = 0;
    virtual void InitDataCenter() = 0;
    virtual void InitCommon() = 0;            // common resources, then common variables
    virtual void LoadExRights() = 0;          // "cq.dat"
    virtual void LoadDrawToolImages() = 0;
    virtual void ReadIndicators() = 0;        // "Sys.xml", then the engine's call-backs
    virtual void LoadDlgConfig() = 0;         // "DlgConfig.xml"
    virtual void LoadHostInfo() = 0;          // "HostInfo.xml"
    virtual void CreateSkinManager() = 0;
    virtual void LoadDrawToolSettings() = 0;
    virtual void StartNetwork() = 0;

    // -- shut-down: the first two in this order, then the saves at the same time, each on
    // a thread of its own (they share nothing but thread-safe services), then the log --
    virtual void FreeSkinManager() = 0;
    // Ends the connection and the network thread, so that no reply handler changes a
    // table while it is being written.
    virtual void StopNetwork() = 0;
    virtual void WriteIndicators() = 0;       // "Sys.xml"
    virtual void SaveHostInfo() = 0;          // "HostInfo.xml"
    virtual void SaveCodeTable() = 0;         // "code.dat"
    virtual void SaveExRights() = 0;          // "cq.dat"
    virtual void SaveTrainingRecords() = 0;   // "Data/training/totalRecord.xml"
    virtual void SaveFreqPeriods() = 0;       // "appconfig.xml" "self"/"freqPeriod"
    virtual void CloseLog() = 0;
};

// Runs every start-up step in order; none stops the others. Returns LoadConfig's result.
bool RunStartup(CAppServices& services);
// Runs every shut-down step: the network stops before anything is saved, the saves run
// side by side, and the log closes once all of them have ended.
void RunShutdown(CAppServices& services);

class CHostInfo;

// The table that reaches the real services.
class CDefaultAppServices : public CAppServices {
public:
    explicit CDefaultAppServices(CHostInfo& hosts) : m_hosts(hosts) {}
    bool LoadConfig() override;
    void InitAppInfo() override;
    void OpenLog() override;
    void InitDataCenter() override;
    void InitCommon() override;
    void LoadExRights() override;
    void LoadDrawToolImages() override;
    void ReadIndicators() override;
    void LoadDlgConfig() override;
    void LoadHostInfo() override;
    void CreateSkinManager() override;
    void LoadDrawToolSettings() override;
    void StartNetwork() override;
    void FreeSkinManager() override;
    void StopNetwork() override;
    void WriteIndicators() override;
    void SaveHostInfo() override;
    void SaveCodeTable() override;
    void SaveExRights() override;
    void SaveTrainingRecords() override;
    void SaveFreqPeriods() override;
    void CloseLog() override;

private:
    CHostInfo& m_hosts;
};
