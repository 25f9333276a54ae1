#pragma once
// What a chart needs before it paints in a benchmark: the platform, the common colours and
// measured fonts, and the indicator catalogue from the installed Sys.xml. Done once.

#include "formula/YBIndClass.h"
#include "platform/App.h"
#include "platform/home/ProgramDir.h"
#include "ui/CommonVar.h"

inline void EnsureChartEnvironment() {
    static bool once = [] {
        static int argc = 1;
        static char name[] = "bench";
        static char* argv[] = {name, nullptr};
        if (!platform::IsInitialized()) platform::Initialize(argc, argv);
        CommonVar* var = GetCommonVar();
        var->Init();
        SetDefaultCommonColours(var->Colors());
        {
            CDC dc;
            dc.CreateCompatibleDC(nullptr);
            var->MeasureFonts(&dc);
        }
        GetYBIndClass()->Read(platform::InstalledResourcesDir() + "/Sys.xml");
        CYBIndClass::SetUp();
        return true;
    }();
    (void)once;
}
