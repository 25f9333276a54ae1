#include <gtest/gtest.h>

#include "platform/App.h"

namespace {
// Windows need the toolkit; it runs offscreen in the suite.
class WindowlessEnvironment : public ::testing::Environment {
public:
    void SetUp() override {
        static int argc = 1;
        static char name[] = "test_windowless";
        static char* argv[] = {name, nullptr};
        platform::Initialize(argc, argv);
    }
};
const auto* const g_env = ::testing::AddGlobalTestEnvironment(new WindowlessEnvironment);
}  // namespace
