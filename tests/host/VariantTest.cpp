#include <gtest/gtest.h>

#include "support/ErrorOf.h"

#include <cstdint>
#include <functional>
#include <limits>
#include <memory>
#include <string>

#include "host/Variant.h"

using host::Variant;

namespace {

using testsupport::ErrorOf;

class CWidget : public host::Object {
 public:
  std::string TypeName() const override { return "CWidget"; }
};

TEST(Variant, TypeCodesAndNamesAreVisualBasics) {
  struct Case {
    Variant v;
    int32_t nType;
    const char* sName;
  };
  const Case cases[] = {
      {Variant(), 0, "Empty"},
      {Variant::Null(), 1, "Null"},
      {Variant(int16_t{5}), 2, "Integer"},
      {Variant(5), 3, "Long"},
      {Variant(1.5f), 4, "Single"},
      {Variant(1.5), 5, "Double"},
      {Variant::Date(38000.5), 7, "Date"},
      {Variant("x"), 8, "String"},
      {Variant(std::make_shared<CWidget>()), 9, "CWidget"},
      {Variant(std::shared_ptr<host::Object>()), 9, "Nothing"},
      {Variant(true), 11, "Boolean"},
      {Variant(uint8_t{7}), 17, "Byte"},
      {Variant::Array({Variant(1), Variant("a")}), 8204, "Variant()"},
      {Variant::Array({Variant("a")}, 0, host::vbString), 8200, "String()"},
      {Variant::Bytes({1, 2, 3}), 8209, "Byte()"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(c.v.Type(), c.nType) << c.sName;
    EXPECT_EQ(c.v.TypeName(), c.sName);
  }
}

TEST(Variant, CStrWritesValuesAsVisualBasicDoes) {
  EXPECT_EQ(Variant().ToString(), "");
  EXPECT_EQ(Variant(int16_t{-12}).ToString(), "-12");
  EXPECT_EQ(Variant(11).ToString(), "11");
  EXPECT_EQ(Variant(0.1).ToString(), "0.1");
  EXPECT_EQ(Variant(2.5f).ToString(), "2.5");
  EXPECT_EQ(Variant(0.1f).ToString(), "0.1");  // not the float's binary expansion
  EXPECT_EQ(Variant(1e20).ToString(), "1E+20");
  EXPECT_EQ(Variant(-0.0).ToString(), "0");
  EXPECT_EQ(Variant(true).ToString(), "True");
  EXPECT_EQ(Variant(false).ToString(), "False");
  EXPECT_EQ(Variant(uint8_t{200}).ToString(), "200");
  EXPECT_EQ(Variant::Date(38353).ToString(), "1/1/2005");
  EXPECT_EQ(Variant::Date(38353.75).ToString(), "1/1/2005 6:00:00 PM");
  // Before 1899 the day counts down and the fraction still counts the time forwards.
  EXPECT_EQ(Variant::Date(-1.25).ToString(), "12/29/1899 6:00:00 AM");
  // Visual Basic's range of dates, its first and last moments included; beyond it, Overflow.
  EXPECT_EQ(Variant::Date(-657434.99999).ToString(), "1/1/0100 11:59:59 PM");
  EXPECT_EQ(Variant::Date(2958465.99999).ToString(), "12/31/9999 11:59:59 PM");
  for (double d : {-657435.0, 2958466.0, 1e300, -1e300, std::numeric_limits<double>::infinity(),
                   std::numeric_limits<double>::quiet_NaN()})
    EXPECT_EQ(ErrorOf([d] { (void)Variant::Date(d).ToString(); }), 6) << d;

  EXPECT_EQ(ErrorOf([] { (void)Variant::Null().ToString(); }), 94);
  EXPECT_EQ(ErrorOf([] { (void)Variant(std::make_shared<CWidget>()).ToString(); }), 13);
  EXPECT_EQ(ErrorOf([] { (void)Variant::Array({Variant(1)}).ToString(); }), 13);
}

TEST(Variant, CLngRoundsHalvesToEven) {
  EXPECT_EQ(Variant(2.5).ToLong(), 2);
  EXPECT_EQ(Variant(3.5).ToLong(), 4);
  EXPECT_EQ(Variant(-2.5).ToLong(), -2);
  EXPECT_EQ(Variant(-3.5).ToLong(), -4);
  EXPECT_EQ(Variant(2.6).ToLong(), 3);
  EXPECT_EQ(Variant(0.5f).ToLong(), 0);
  EXPECT_EQ(Variant("2.5").ToLong(), 2);
  EXPECT_EQ(Variant(int16_t{2}).ToInteger(), 2);
  EXPECT_EQ(Variant(1.5).ToInteger(), 2);
}

TEST(Variant, CLngConvertsStringsBooleansAndEmpty) {
  EXPECT_EQ(Variant(true).ToLong(), -1);
  EXPECT_EQ(Variant(false).ToLong(), 0);
  EXPECT_EQ(Variant().ToLong(), 0);
  EXPECT_EQ(Variant("12").ToLong(), 12);
  EXPECT_EQ(Variant("  -7 ").ToLong(), -7);
  EXPECT_EQ(Variant("1.5e3").ToLong(), 1500);
  EXPECT_EQ(Variant("&H1F").ToLong(), 31);
  EXPECT_EQ(Variant("True").ToLong(), -1);
  EXPECT_EQ(Variant::Date(38353.2).ToLong(), 38353);
  EXPECT_EQ(Variant(uint8_t{255}).ToLong(), 255);
}

TEST(Variant, ConversionErrors) {
  // Overflow at the edges of the 32- and 16-bit ranges.
  EXPECT_EQ(Variant(2147483647.0).ToLong(), 2147483647);
  EXPECT_EQ(Variant(-2147483648.0).ToLong(), INT32_MIN);
  EXPECT_EQ(ErrorOf([] { (void)Variant(2147483647.5).ToLong(); }), 6);  // rounds up to 2^31
  EXPECT_EQ(ErrorOf([] { (void)Variant(-2147483649.0).ToLong(); }), 6);
  EXPECT_EQ(ErrorOf([] { (void)Variant("1e10").ToLong(); }), 6);
  EXPECT_EQ(ErrorOf([] { (void)Variant(32768).ToInteger(); }), 6);
  EXPECT_EQ(Variant(-32768).ToInteger(), -32768);

  // Text that is not a number, and the values that have no number at all.
  for (const char* s : {"abc", "", "12abc", "1,5x", "inf", "nan", "0x1F", "1e"})
    EXPECT_EQ(ErrorOf([s] { (void)Variant(s).ToLong(); }), 13) << s;
  EXPECT_EQ(ErrorOf([] { (void)Variant::Null().ToLong(); }), 94);
  EXPECT_EQ(ErrorOf([] { (void)Variant(std::make_shared<CWidget>()).ToLong(); }), 13);
  EXPECT_EQ(ErrorOf([] { (void)Variant::Array({}).ToLong(); }), 13);
  EXPECT_EQ(ErrorOf([] { (void)Variant(5).ToArray(); }), 13);
  EXPECT_EQ(ErrorOf([] { (void)Variant(5).ToObject(); }), 13);
  EXPECT_EQ(ErrorOf([] { (void)Variant::Bytes({1}).ToString(); }), 13);
  EXPECT_EQ(ErrorOf([] { (void)Variant::Array({Variant(256)}).ToBytes(); }), 6);
}

TEST(Variant, IsNumeric) {
  for (const Variant& v : {Variant(), Variant(int16_t{1}), Variant(1), Variant(1.5f), Variant(1.5),
                           Variant(true), Variant(uint8_t{1}), Variant::Date(1), Variant("12"),
                           Variant(" 3.5 "), Variant("-1e3"), Variant("&HFF")})
    EXPECT_TRUE(v.IsNumeric()) << v.TypeName() << " " << v.ToString();
  for (const Variant& v : {Variant::Null(), Variant("abc"), Variant(""), Variant("True"),
                           Variant(std::make_shared<CWidget>()), Variant::Array({Variant(1)})})
    EXPECT_FALSE(v.IsNumeric()) << v.TypeName();
}

TEST(Variant, ObjectsAndArrays) {
  auto pWidget = std::make_shared<CWidget>();
  Variant v(pWidget);
  EXPECT_TRUE(v.IsObject());
  EXPECT_EQ(v.ToObject(), pWidget);
  EXPECT_EQ(v.ToObject<CWidget>(), pWidget);
  EXPECT_EQ(Variant().ToObject(), nullptr);  // Empty reads as Nothing

  Variant vArr = Variant::Array({Variant("a"), Variant(2)}, 1);
  EXPECT_EQ(vArr.ToArray().nLowerBound, 1);
  ASSERT_EQ(vArr.ToArray().items.size(), 2u);
  EXPECT_EQ(vArr.ToArray().items[1], Variant(2));
  EXPECT_EQ(Variant::Bytes({0, 128, 255}).ToBytes(), (std::vector<uint8_t>{0, 128, 255}));

  // Strict equality: same type and value; objects by identity.
  EXPECT_EQ(Variant(1), Variant(1));
  EXPECT_NE(Variant(1), Variant(int16_t{1}));
  EXPECT_NE(Variant(1), Variant(1.0));
  EXPECT_EQ(v, Variant(pWidget));
  EXPECT_NE(v, Variant(std::make_shared<CWidget>()));
  EXPECT_EQ(vArr, Variant::Array({Variant("a"), Variant(2)}, 1));
  EXPECT_NE(vArr, Variant::Array({Variant("a"), Variant(2)}, 0));
}

}  // namespace
