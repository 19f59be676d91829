#pragma once
// Runs a test under a locale whose decimal mark is a comma, as a German user's is, and puts
// the process locale back afterwards. scripts/setup generates the locale; where it is missing
// the test skips, except in CI (CI=true), where a missing locale fails the test.
#include <gtest/gtest.h>

#include <clocale>
#include <cstdlib>
#include <cstring>
#include <string>

namespace spindeck::testing {

inline constexpr char kCommaLocale[] = "de_DE.UTF-8";

// Whether the process can switch to the comma locale (the switch is undone at once).
inline bool CommaLocaleInstalled() {
  const std::string old = std::setlocale(LC_ALL, nullptr);
  const bool installed = std::setlocale(LC_ALL, kCommaLocale) != nullptr &&
                         std::strcmp(std::localeconv()->decimal_point, ",") == 0;
  std::setlocale(LC_ALL, old.c_str());
  return installed;
}

// Skips the test (or fails it in CI) when the comma locale is missing. Use in the test body or
// in SetUp, where GTEST_SKIP and FAIL end the test.
#define SPINDECK_NEED_COMMA_LOCALE()                                                         \
  do {                                                                                       \
    if (!::spindeck::testing::CommaLocaleInstalled()) {                                      \
      const char* ci = std::getenv("CI");                                                    \
      if (ci != nullptr && std::strcmp(ci, "true") == 0)                                     \
        FAIL() << ::spindeck::testing::kCommaLocale << " is missing: run scripts/setup";     \
      GTEST_SKIP() << ::spindeck::testing::kCommaLocale << " is missing: run scripts/setup"; \
    }                                                                                        \
  } while (false)

// A fixture whose tests run with the whole process locale set to the comma locale.
class CommaLocaleTest : public ::testing::Test {
 protected:
  void SetUp() override {
    SPINDECK_NEED_COMMA_LOCALE();
    old_ = std::setlocale(LC_ALL, nullptr);
    std::setlocale(LC_ALL, kCommaLocale);
  }
  void TearDown() override {
    if (!old_.empty()) std::setlocale(LC_ALL, old_.c_str());
  }

 private:
  std::string old_;
};

}  // namespace spindeck::testing
