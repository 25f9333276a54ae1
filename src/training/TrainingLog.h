#pragma once
// Where the training module reports problems the user does not see (damaged or
// unwritable record files).

#include <string>

void TrainingLog(const std::string& line);
