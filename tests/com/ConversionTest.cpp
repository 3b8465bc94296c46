// VARIANT, BSTR and error conversions, each way and back.
#include <gtest/gtest.h>

#include "TestGadget.h"
#include "com/Bridge.h"
#include "com/Error.h"
#include "com/Text.h"
#include "com/Variant.h"

namespace {

using host::Variant;

Variant RoundTrip(const Variant& v) {
  com::VariantHolder h(v);
  return com::FromVariant(h.ref());
}

TEST(ComConversionTest, EveryScalarTypeComesBackAsItWent) {
  const std::vector<Variant> vecValues{Variant(),
                                       Variant::Null(),
                                       Variant(static_cast<int16_t>(-12)),
                                       Variant(static_cast<int32_t>(-2147483647 - 1)),
                                       Variant(1.5f),
                                       Variant(-2.25e300),
                                       Variant::Date(38000.75),
                                       Variant(std::string("Jürgen Ärger \xe2\x82\xac")),
                                       Variant(std::string()),
                                       Variant(true),
                                       Variant(false),
                                       Variant(static_cast<uint8_t>(255))};
  for (const auto& v : vecValues) {
    Variant vBack = RoundTrip(v);
    EXPECT_EQ(vBack, v) << v.TypeName();
    EXPECT_EQ(vBack.Type(), v.Type()) << v.TypeName();
  }
}

TEST(ComConversionTest, ArraysKeepTheirElementTypeAndLowerBound) {
  Variant vMixed = Variant::Array({Variant(1), Variant("two"), Variant(true), Variant()}, 1);
  EXPECT_EQ(RoundTrip(vMixed), vMixed);
  Variant vBytes = Variant::Bytes({0, 1, 254, 255});
  Variant vBack = RoundTrip(vBytes);
  EXPECT_EQ(vBack.Type(), host::vbArray + host::vbByte);
  EXPECT_EQ(vBack.ToBytes(), (std::vector<uint8_t>{0, 1, 254, 255}));
  Variant vStrings = Variant::Array({Variant("a"), Variant("ß")}, 0, host::vbString);
  EXPECT_EQ(RoundTrip(vStrings), vStrings);
  EXPECT_EQ(RoundTrip(Variant::Array({})), Variant::Array({}));
}

TEST(ComConversionTest, TextsKeepEveryLetterAndEmbeddedZeros) {
  const char szText[] = "Zoë\0Ωmega 日本";
  std::string s(szText, sizeof(szText) - 1);
  BSTR b = com::ToBstr(s);
  EXPECT_EQ(com::FromBstr(b), s);
  SysFreeString(b);
  EXPECT_EQ(com::FromBstr(nullptr), "");
}

TEST(ComConversionTest, OurOwnObjectsComeBackAsThemselves) {
  comtest::ExposeGadgets();
  long nLive = com::LiveObjects();
  {
    auto pGadget = std::make_shared<comtest::CGadget>();
    Variant v(pGadget);
    com::VariantHolder h(v);
    ASSERT_EQ(V_VT(h.get()), VT_DISPATCH);
    EXPECT_EQ(com::FromVariant(h.ref()).ToObject(), pGadget);
    // The same object goes out as the same server.
    com::VariantHolder h2(v);
    EXPECT_EQ(V_DISPATCH(h.get()), V_DISPATCH(h2.get()));
    EXPECT_EQ(RoundTrip(Variant(std::shared_ptr<host::Object>())).ToObject(), nullptr);
  }
  EXPECT_EQ(com::LiveObjects(), nLive);
}

TEST(ComConversionTest, ByReferenceArgumentsAreWrittenInTheirOwnType) {
  BSTR b = SysAllocString(L"old");
  VARIANT vRef;
  VariantInit(&vRef);
  V_VT(&vRef) = VT_BYREF | VT_BSTR;
  V_BSTRREF(&vRef) = &b;
  EXPECT_EQ(com::FromVariant(vRef), Variant("old"));
  com::AssignByRef(vRef, Variant("Ünïcode"));
  EXPECT_EQ(com::FromBstr(b), "Ünïcode");
  SysFreeString(b);

  LONG n = 1;
  V_VT(&vRef) = VT_BYREF | VT_I4;
  V_I4REF(&vRef) = &n;
  com::AssignByRef(vRef, Variant("42"));
  EXPECT_EQ(n, 42);
  try {
    com::AssignByRef(vRef, Variant("not a number"));
    ADD_FAILURE() << "no error";
  } catch (const host::Error& e) {
    EXPECT_EQ(e.Number(), host::err::TypeMismatch);
  }
  EXPECT_EQ(n, 42);

  VARIANT vMissing;
  VariantInit(&vMissing);
  V_VT(&vMissing) = VT_ERROR;
  V_ERROR(&vMissing) = DISP_E_PARAMNOTFOUND;
  EXPECT_TRUE(com::FromVariant(vMissing).IsEmpty());
}

TEST(ComConversionTest, VisualBasicErrorNumbersTravelInTheControlFacility) {
  EXPECT_EQ(static_cast<uint32_t>(com::HResultOf(13)), 0x800A000Du);
  EXPECT_EQ(com::ErrorNumberOf(static_cast<HRESULT>(0x800A000Du)), 13);
  EXPECT_EQ(com::HResultOf(static_cast<int32_t>(E_NOINTERFACE)), E_NOINTERFACE);
  EXPECT_EQ(com::ErrorNumberOf(E_NOINTERFACE), static_cast<int32_t>(E_NOINTERFACE));
  EXPECT_EQ(com::ErrorNumberOf(com::HResultOf(1234)), 1234);

  EXCEPINFO ei{};
  try {
    throw host::Error(457, "This key is already associated with an element of this collection");
  } catch (...) {
    EXPECT_EQ(com::ExcepInfoFromCurrentError(&ei, "test"), DISP_E_EXCEPTION);
  }
  host::Error e = com::ErrorFromExcepInfo(ei);
  EXPECT_EQ(e.Number(), 457);
  EXPECT_EQ(e.Description(), "This key is already associated with an element of this collection");
  EXPECT_EQ(ei.bstrDescription, nullptr);  // freed
}

}  // namespace
