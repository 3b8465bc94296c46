#include <gtest/gtest.h>

#include <string>

#include "host/Text.h"

using host::EqualsNoCase;
using host::FoldCase;
using host::InStrNoCase;

namespace {

TEST(Text, FoldCaseCoversNonAsciiLetters) {
  EXPECT_EQ(FoldCase("Jane.DOE@Example.COM"), "jane.doe@example.com");
  EXPECT_EQ(FoldCase("ÄRGER Ölkanne ÜBER"), "ärger ölkanne über");
  EXPECT_EQ(FoldCase("ŁÓDŹ ČEŠKÁ ŐRÜLT"), "łódź češká őrült");
  EXPECT_EQ(FoldCase("ΩMEGA ΆΈΉΊΌΎΏ"), "ωmega άέήίόύώ");
  EXPECT_EQ(FoldCase("ЖУРНАЛ ЁЛКА ЇЖАК"), "журнал ёлка їжак");
  EXPECT_EQ(FoldCase("ẠẢ"), "ạả");
  // Signs that look like letters but have no case stay as they are.
  EXPECT_EQ(FoldCase("× ÷ µ ß 1-2"), "× ÷ µ ß 1-2");
}

TEST(Text, EqualsNoCaseForAllLetters) {
  EXPECT_TRUE(EqualsNoCase("Jane", "JANE"));
  EXPECT_TRUE(EqualsNoCase("Ärger", "ärger"));
  EXPECT_TRUE(EqualsNoCase("Ωmega", "ωMEGA"));
  EXPECT_TRUE(EqualsNoCase("Ж", "ж"));
  EXPECT_TRUE(EqualsNoCase("ΟΔΟΣ", "οδος"));  // final sigma
  EXPECT_TRUE(EqualsNoCase("", ""));
  EXPECT_FALSE(EqualsNoCase("Jane", "Jan"));
  EXPECT_FALSE(EqualsNoCase("Ärger", "Arger"));
  EXPECT_FALSE(EqualsNoCase("Ж", "Ш"));
}

TEST(Text, HashNoCaseAgreesWithEqualsNoCase) {
  for (auto [a, b] : {std::pair<const char*, const char*>{"Jane@Example.COM", "jane@example.com"},
                      {"JÜRGEN Müller", "jürgen MÜLLER"},
                      {"ΩMEGA", "ωmega"},
                      {"", ""}}) {
    ASSERT_TRUE(host::EqualsNoCase(a, b)) << a;
    EXPECT_EQ(host::HashNoCase(a), host::HashNoCase(b)) << a;
    EXPECT_EQ(host::HashNoCase(a), host::HashNoCase(host::FoldCase(a))) << a;
  }
  EXPECT_NE(host::HashNoCase("person1@example.com"), host::HashNoCase("person2@example.com"));

  // Every length (whole and partial words), with the capitals anywhere.
  const std::string sUpper = "00000000517549C0534D1DA4B0C50000000000000700AB@EXAMPLE.COM";
  for (size_t n = 0; n <= sUpper.size(); ++n) {
    const std::string s = sUpper.substr(0, n);
    EXPECT_EQ(host::HashNoCase(s), host::HashNoCase(host::FoldCase(s))) << n;
  }
  // The neighbours of the capitals are not letters: none of them is lowered.
  for (auto [a, b] : {std::pair<const char*, const char*>{"@", "`"}, {"[", "{"}, {"x@y", "x`y"}, {"\\", "|"}})
    EXPECT_NE(host::HashNoCase(a), host::HashNoCase(b)) << a;
}

TEST(Text, FoldingNeverMergesDistinctLetters) {
  // Lower-case letters that sit among upper/lower pairs must keep their identity.
  EXPECT_FALSE(EqualsNoCase("ӂ", "Ӄ"));
  EXPECT_TRUE(EqualsNoCase("Ӂ", "ӂ"));
  EXPECT_TRUE(EqualsNoCase("Ӏ", "ӏ"));
  EXPECT_FALSE(EqualsNoCase("ẖ", "ẗ"));
  EXPECT_FALSE(EqualsNoCase("ẚ", "ẛ"));
  EXPECT_TRUE(EqualsNoCase("ẞ", "ß"));
  EXPECT_FALSE(EqualsNoCase("ı", "i"));  // dotless i is its own letter
  EXPECT_FALSE(EqualsNoCase("ĸ", "Ĺ"));
}

TEST(Text, FoldCaseKeepsMalformedBytes) {
  const std::string sBad = std::string("A\xC3") + "B\xFF";  // a cut sequence and a stray byte
  EXPECT_EQ(FoldCase(sBad), std::string("a\xC3") + "b\xFF");
}

TEST(Text, InStrNoCase) {
  EXPECT_EQ(InStrNoCase(1, "SELECT <Filter> x", "<filter>"), 8u);
  EXPECT_EQ(InStrNoCase(1, "jane@example.com", "@"), 5u);
  EXPECT_EQ(InStrNoCase(6, "a.b.c.d", "."), 6u);
  EXPECT_EQ(InStrNoCase(7, "a.b.c.d", "."), 0u);
  EXPECT_EQ(InStrNoCase(1, "abc", "abcd"), 0u);
  EXPECT_EQ(InStrNoCase(1, "abc", "x"), 0u);
  EXPECT_EQ(InStrNoCase(0, "abc", "A"), 1u);  // a start before the text counts as 1
  EXPECT_EQ(InStrNoCase(9, "abc", "a"), 0u);
  EXPECT_EQ(InStrNoCase(2, "abc", ""), 2u);
}

TEST(Text, Trim) {
  EXPECT_EQ(host::Trim("  a b  "), "a b");
  EXPECT_EQ(host::Trim("   "), "");
  EXPECT_EQ(host::Trim("\tx\t"), "\tx\t");  // only spaces, as Trim$ does
}

TEST(Text, AnsiRoundTrip) {
  EXPECT_EQ(host::Utf8ToAnsi("café"), "caf\xE9");
  EXPECT_EQ(host::Utf8ToAnsi("5 €"), "5 \x80");
  EXPECT_EQ(host::Utf8ToAnsi("„Šž“"), "\x84\x8A\x9E\x93");
  EXPECT_EQ(host::AnsiToUtf8("caf\xE9 \x80"), "café €");
  EXPECT_EQ(host::AnsiToUtf8(host::Utf8ToAnsi("Ärger über Œuvre — ÿ")), "Ärger über Œuvre — ÿ");

  // Outside the code page: one "?" per character, whatever its length in UTF-8.
  EXPECT_EQ(host::Utf8ToAnsi("Ωmega Ж 😀"), "?mega ? ?");
  EXPECT_EQ(host::Utf8ToAnsi("\xC2\x81"), "?");  // a C1 control, not a cp1252 character
  EXPECT_EQ(host::Utf8ToAnsi(std::string("a\xFF") + "b"), "a?b");
  // The five unassigned bytes of cp1252 do not become stray controls.
  EXPECT_EQ(host::AnsiToUtf8("\x81\x8D\x8F\x90\x9D"), "?????");
}

}  // namespace
