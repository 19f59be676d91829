#pragma once
// A test fixture with a fresh temporary folder and byte-exact file helpers.
#include <gtest/gtest.h>

#include <QTemporaryDir>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

namespace spindeck::testing {

class TempFolderTest : public ::testing::Test {
 protected:
  std::filesystem::path path(const std::string& name) const {
    return std::filesystem::path(folder_.path().toStdString()) / name;
  }
  static void put(const std::filesystem::path& file, const std::string& bytes) {
    std::ofstream(file, std::ios::binary) << bytes;
  }
  static std::string get(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
  }

  QTemporaryDir folder_;
};

}  // namespace spindeck::testing
