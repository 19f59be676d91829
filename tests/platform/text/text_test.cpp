#include <gtest/gtest.h>

#include "platform/text/letter_case.h"
#include "platform/text/zero_padded.h"

namespace platform {
namespace {

TEST(LetterCase, FoldsWindows1252LettersAndAsciiNamesApart) {
  EXPECT_EQ(LowerText("ROCK \xC9T\xC9 \x8A\x8C\x8E\x9F \xD7"),
            "rock \xE9t\xE9 \x9A\x9C\x9E\xFF \xD7");
  EXPECT_EQ(UpperText("rock \xE9t\xE9 \x9A\x9C\x9E\xFF \xF7"),
            "ROCK \xC9T\xC9 \x8A\x8C\x8E\x9F \xF7");
  EXPECT_TRUE(EqualIgnoringCase("N\xC9ON", "n\xE9on"));
  EXPECT_FALSE(EqualIgnoringCase("neon", "neo"));
  // UTF-8 file names fold only their ASCII letters: their bytes are not Windows-1252 letters.
  EXPECT_EQ(AsciiLower("CAF\xC3\x89.MP3"), "caf\xC3\x89.mp3");
  EXPECT_EQ(AsciiUpper("id \xE9"), "ID \xE9");
}

TEST(LetterCase, ContainsLoweredMatchesAnyCaseOfTheText) {
  EXPECT_TRUE(ContainsLowered("03. ROCK Song", "rock"));
  EXPECT_TRUE(ContainsLowered("\xC9T\xC9", "\xE9t\xE9"));  // accented capitals
  EXPECT_TRUE(ContainsLowered("abc", ""));
  EXPECT_TRUE(ContainsLowered("aab", "ab"));
  EXPECT_FALSE(ContainsLowered("ab", "abc"));
  EXPECT_FALSE(ContainsLowered("", "a"));
  EXPECT_FALSE(ContainsLowered("a b", "ab"));
  EXPECT_TRUE(HasCapitals("abC"));
  EXPECT_TRUE(HasCapitals("\xC9"));
  EXPECT_FALSE(HasCapitals("07. caf\xE9 ?"));
}

TEST(ZeroPadded, PadsShortNumbersOnly) {
  EXPECT_EQ(ZeroPadded("1", 3), "001");
  EXPECT_EQ(ZeroPadded("42", 3), "042");
  EXPECT_EQ(ZeroPadded("1000", 3), "1000");
  EXPECT_EQ(ZeroPadded("5", 2), "05");
  EXPECT_EQ(ZeroPadded("-3", 2), "-3");
}

}  // namespace
}  // namespace platform
