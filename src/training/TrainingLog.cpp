#include "training/TrainingLog.h"

#include "foundation/MyLog.h"

void TrainingLog(const std::string& line) {
    GetAppLog().WriteLog("%s", line.c_str());
}
