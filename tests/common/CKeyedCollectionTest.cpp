#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "common/CKeyedCollection.h"
#include "host/Error.h"
#include "support/ErrorOf.h"

namespace {

using testsupport::ErrorOf;

std::vector<std::string> Items(const CKeyedCollection<std::string>& col) {
  std::vector<std::string> v;
  for (const std::string& s : col) v.push_back(s);
  return v;
}

TEST(CKeyedCollection, KeepsInsertionOrderAtOneBasedPositions) {
  CKeyedCollection<std::string> col;
  EXPECT_EQ(col.Count(), 0);
  col.Add("a");
  col.Add("b", "KeyB");
  col.Add("c");
  EXPECT_EQ(col.Count(), 3);
  EXPECT_EQ(col.Item(1), "a");
  EXPECT_EQ(col.Item(2), "b");
  EXPECT_EQ(col.Item(3), "c");
  EXPECT_EQ(col.Item("keyb"), "b");
  EXPECT_EQ(Items(col), (std::vector<std::string>{"a", "b", "c"}));

  col.Item(1) = "A";  // items are reachable for change in place
  col.Item("KEYB") += "!";
  EXPECT_EQ(Items(col), (std::vector<std::string>{"A", "b!", "c"}));
}

TEST(CKeyedCollection, ErrorsAreTheCollectionsOwn) {
  CKeyedCollection<int> col;
  EXPECT_EQ(ErrorOf([&] { col.Item(1); }), 9);
  col.Add(10, "ten");
  col.Add(20);
  EXPECT_EQ(ErrorOf([&] { col.Item(0); }), 9);
  EXPECT_EQ(ErrorOf([&] { col.Item(3); }), 9);
  EXPECT_EQ(ErrorOf([&] { col.Item(-1); }), 9);
  EXPECT_EQ(ErrorOf([&] { col.Remove(3); }), 9);
  EXPECT_EQ(ErrorOf([&] { col.Item("eleven"); }), 5);
  EXPECT_EQ(ErrorOf([&] { col.Remove("eleven"); }), 5);

  // A duplicate key adds nothing.
  EXPECT_EQ(ErrorOf([&] { col.Add(30, "TEN"); }), 457);
  EXPECT_EQ(col.Count(), 2);
  EXPECT_EQ(col.Item("ten"), 10);
  EXPECT_EQ(col.Item(2), 20);
}

TEST(CKeyedCollection, KeysFoldAllLetters) {
  CKeyedCollection<int> col;
  col.Add(1, "Jane@Example.com");
  col.Add(2, "Ärger");
  col.Add(3, "Ωmega");
  col.Add(4, "Ж");
  EXPECT_EQ(col.Item("JANE@EXAMPLE.COM"), 1);
  EXPECT_EQ(col.Item("äRGER"), 2);
  EXPECT_EQ(col.Item("ωMEGA"), 3);
  EXPECT_EQ(col.Item("ж"), 4);
  EXPECT_TRUE(col.Exists("ärger"));
  EXPECT_FALSE(col.Exists("arger"));
  EXPECT_EQ(ErrorOf([&] { col.Add(5, "ÄRGER"); }), 457);
  EXPECT_EQ(ErrorOf([&] { col.Add(5, "Ш"); }), -1);  // a different letter is a different key
}

TEST(CKeyedCollection, FindLooksUpInAnyCaseAndCopiesKeepTheirOwnKeys) {
  CKeyedCollection<std::string> col;
  col.Add("Jürgen", "Jürgen");  // keyed by itself
  col.Add("item", "00000000517549C0534D1DA4B0C50000000000000700AB");
  col.Add("other", "00000000517549C0534D1DA4B0C50000000000000700AC");
  ASSERT_NE(col.Find("JÜRGEN"), nullptr);
  EXPECT_EQ(*col.Find("jürgen"), "Jürgen");
  EXPECT_EQ(*col.Find("00000000517549c0534d1da4b0c50000000000000700ab"), "item");
  EXPECT_EQ(col.Find("00000000517549C0534D1DA4B0C50000000000000700AD"), nullptr);
  EXPECT_EQ(col.Find(""), nullptr);

  // A copy looks at its own keys: the original may go.
  auto pCopy = std::make_unique<CKeyedCollection<std::string>>(col);
  col.Clear();
  EXPECT_EQ(pCopy->Item("JÜRGEN"), "Jürgen");
  EXPECT_EQ(pCopy->Item("00000000517549C0534D1DA4B0C50000000000000700AC"), "other");
  pCopy->Remove("jürgen");
  EXPECT_EQ(pCopy->Find("Jürgen"), nullptr);
  EXPECT_EQ(Items(*pCopy), (std::vector<std::string>{"item", "other"}));
}

TEST(CKeyedCollection, AddIfAbsentAddsOnceAndKeepsItsOwnKey) {
  CKeyedCollection<std::string> col;
  {
    // The caller's texts go away at once: the index must look at the stored key.
    std::string sKey = "00000000517549C0534D1DA4B0C50000000000000700AB";
    std::string* p = col.AddIfAbsent(std::string(sKey), sKey);
    ASSERT_NE(p, nullptr);
    EXPECT_EQ(*p, sKey);
    col.AddIfAbsent(std::string("item"), std::string("Key Of Item"));
  }
  EXPECT_EQ(col.AddIfAbsent(std::string("x"), "00000000517549c0534d1da4b0c50000000000000700ab"), nullptr);
  EXPECT_EQ(col.AddIfAbsent(std::string("x"), "KEY OF ITEM"), nullptr);
  EXPECT_EQ(Items(col), (std::vector<std::string>{"00000000517549C0534D1DA4B0C50000000000000700AB", "item"}));
  EXPECT_EQ(col.Item("key of item"), "item");
  EXPECT_EQ(ErrorOf([&] { col.Add("y", "Key of item"); }), 457);
  col.Remove(1);
  EXPECT_EQ(col.Find("00000000517549C0534D1DA4B0C50000000000000700AB"), nullptr);
  EXPECT_NE(col.AddIfAbsent(std::string("again"), "00000000517549C0534D1DA4B0C50000000000000700AB"), nullptr);
  EXPECT_EQ(col.Count(), 2);
}

TEST(CKeyedCollection, RemoveKeepsTheOrderOfTheRest) {
  CKeyedCollection<std::string> col;
  for (const char* s : {"a", "b", "c", "d", "e"}) col.Add(s, std::string("k") + s);
  col.Remove("KB");
  EXPECT_EQ(Items(col), (std::vector<std::string>{"a", "c", "d", "e"}));
  col.Remove(3);  // "d"
  EXPECT_EQ(Items(col), (std::vector<std::string>{"a", "c", "e"}));
  EXPECT_EQ(col.Item(3), "e");
  // Keys of the remaining items still find them, and a removed key is free again.
  EXPECT_EQ(col.Item("ke"), "e");
  EXPECT_FALSE(col.Exists("kd"));
  EXPECT_EQ(ErrorOf([&] { col.Item("kd"); }), 5);
  col.Add("d2", "KD");
  EXPECT_EQ(col.Item(4), "d2");
  EXPECT_EQ(col.Item("kd"), "d2");

  // Removing from the last position down, as the explorer list does, empties it.
  for (int32_t i = col.Count(); i >= 1; --i) col.Remove(i);
  EXPECT_EQ(col.Count(), 0);
  EXPECT_FALSE(col.Exists("ka"));
  col.Add("again", "KA");
  EXPECT_EQ(col.Item("ka"), "again");
}

TEST(CKeyedCollection, ClearDropsItemsAndKeys) {
  CKeyedCollection<std::shared_ptr<int>> col;
  auto p = std::make_shared<int>(7);
  col.Add(p, "seven");
  col.Add(std::make_shared<int>(8));
  EXPECT_EQ(p.use_count(), 2);
  col.Clear();
  EXPECT_EQ(col.Count(), 0);
  EXPECT_EQ(p.use_count(), 1);  // the collection released its reference
  EXPECT_FALSE(col.Exists("seven"));
  col.Add(p, "SEVEN");
  EXPECT_EQ(*col.Item("seven"), 7);
}

TEST(CKeyedCollection, KeyedLookupStaysRightAfterManyRemovals) {
  CKeyedCollection<int> col;
  for (int i = 1; i <= 200; ++i) col.Add(i, "Key" + std::to_string(i));
  for (int i = 1; i <= 200; i += 2) col.Remove("KEY" + std::to_string(i));
  ASSERT_EQ(col.Count(), 100);
  for (int i = 2; i <= 200; i += 2) {
    EXPECT_EQ(col.Item("key" + std::to_string(i)), i);
    EXPECT_EQ(col.Item(i / 2), i);
  }
}

TEST(CKeyedCollection, MovedAndMixedCollectionsKeepTheirKeysRight) {
  CKeyedCollection<std::string> col;
  for (int i = 0; i < 20; ++i) {
    col.Add("v" + std::to_string(i), "K" + std::to_string(i));
    col.Add("unkeyed");
  }
  CKeyedCollection<std::string> oMoved(std::move(col));
  EXPECT_EQ(oMoved.Count(), 40);
  EXPECT_EQ(oMoved.Item("k19"), "v19");
  // What was moved from is empty and usable as new.
  col.Add("again", "k19");  // NOLINT(bugprone-use-after-move)
  EXPECT_EQ(col.Count(), 1);
  EXPECT_EQ(col.Item("K19"), "again");
  // Positions move down past unkeyed items; every key still finds its item.
  oMoved.Remove(2);
  oMoved.Remove("k0");
  for (int i = 1; i < 20; ++i) EXPECT_EQ(oMoved.Item("K" + std::to_string(i)), "v" + std::to_string(i));
  EXPECT_EQ(oMoved.Item(1), "v1");
  col = std::move(oMoved);
  EXPECT_EQ(col.Item("k7"), "v7");
  EXPECT_FALSE(col.Exists("k0"));
}

TEST(CKeyedCollection, KeysStayFoundAsTheCollectionGrowsAndShrinksPastAScan) {
  CKeyedCollection<std::string> col;
  auto Check = [&] {
    for (int32_t i = 1; i <= col.Count(); ++i) {
      const std::string& s = col.Item(i);
      if (s[0] == 'k') {
        EXPECT_EQ(col.Item("K" + s.substr(1)), s) << s;
      }
    }
  };
  for (int i = 0; i < 12; ++i) {
    col.Add("k" + std::to_string(i), "K" + std::to_string(i));
    col.Add("u" + std::to_string(i));  // unkeyed items between
  }
  Check();
  while (col.Count() > 5) col.Remove(1);
  Check();
  EXPECT_FALSE(col.Exists("k0"));
  for (int i = 100; i < 140; ++i) col.Add("k" + std::to_string(i), "K" + std::to_string(i));
  Check();
  EXPECT_EQ(ErrorOf([&] { col.Add("again", "k139"); }), 457);
  EXPECT_EQ(col.Count(), 45);
}

TEST(CKeyedCollection, AKeyAfterManyUnkeyedItemsIsFoundThroughRemovals) {
  CKeyedCollection<int> col;
  for (int i = 0; i < 20; ++i) col.Add(i);
  col.Add(99, "Late");
  EXPECT_EQ(col.Item("LATE"), 99);
  for (int i = 0; i < 15; ++i) col.Remove(1);  // down past the size a scan takes
  EXPECT_EQ(col.Item("late"), 99);
  EXPECT_EQ(col.Item(6), 99);
  col.Add(7, "Seven");
  col.Remove("late");
  EXPECT_EQ(col.Item("SEVEN"), 7);
  EXPECT_FALSE(col.Exists("late"));
  col.Remove(1);
  EXPECT_EQ(col.Item("seven"), 7);
  EXPECT_EQ(col.Count(), 5);
}

}  // namespace
