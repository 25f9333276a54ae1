#include <gtest/gtest.h>

#include "platform/App.h"

namespace {
class AppEnvironment : public ::testing::Environment {
public:
    void SetUp() override {
        static int argc = 1;
        static char name[] = "test_app";
        static char* argv[] = {name, nullptr};
        platform::Initialize(argc, argv);
    }
};
const auto* const g_env = ::testing::AddGlobalTestEnvironment(new AppEnvironment);
}  // namespace
