#pragma once
// A fresh scratch directory per test, removed afterwards.

#include <filesystem>
#include <string>

#include <gtest/gtest.h>

class TestDir {
public:
    TestDir() {
        const auto* info = testing::UnitTest::GetInstance()->current_test_info();
        m_path = std::filesystem::temp_directory_path() /
                 ("tarrow_md_" + std::string(info->test_suite_name()) + "_" + info->name() + "_" +
                  std::to_string(getpid()));
        std::filesystem::remove_all(m_path);
        std::filesystem::create_directories(m_path);
    }
    ~TestDir() { std::filesystem::remove_all(m_path); }
    std::string operator/(const std::string& name) const { return (m_path / name).string(); }
    const std::filesystem::path& Path() const { return m_path; }

private:
    std::filesystem::path m_path;
};
