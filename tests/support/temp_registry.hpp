#pragma once
// Points the registry (user and machine files) at a fresh temporary folder for one test.

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <string>

namespace tavrin::test {

class TempDir {
  public:
    TempDir() {
        std::string pattern =
            (std::filesystem::temp_directory_path() / "tavrin-test-XXXXXX").string();
        path_ = ::mkdtemp(pattern.data());
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    ~TempDir() {
        std::error_code ec;
        std::filesystem::remove_all(path_, ec);
    }
    const std::filesystem::path& path() const { return path_; }

  private:
    std::filesystem::path path_;
};

class TempRegistry : public ::testing::Test {
  protected:
    void SetUp() override {
        ::setenv("TAVRIN_REGISTRY_DIR", (dir_.path() / "user").c_str(), 1);
        ::setenv("TAVRIN_SYSTEM_REGISTRY_DIR", (dir_.path() / "machine").c_str(), 1);
    }
    void TearDown() override {
        ::unsetenv("TAVRIN_REGISTRY_DIR");
        ::unsetenv("TAVRIN_SYSTEM_REGISTRY_DIR");
    }
    std::filesystem::path userDir() const { return dir_.path() / "user"; }
    std::filesystem::path machineDir() const { return dir_.path() / "machine"; }
    const std::filesystem::path& root() const { return dir_.path(); }

  private:
    TempDir dir_;
};

}  // namespace tavrin::test
