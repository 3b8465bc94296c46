// Our dispatch server and client against each other: calls by name, wrong calls, errors with
// their numbers and texts, type information, and events through connection points.
#include <gtest/gtest.h>

#include "TestGadget.h"
#include "com/Bridge.h"
#include "com/Dispatch.h"
#include "com/Events.h"

namespace {

using host::Variant;

class ComDispatchTest : public ::testing::Test {
 protected:
  void SetUp() override {
    comtest::ExposeGadgets();
    m_nLive = com::LiveObjects();
    m_pGadget = std::make_shared<comtest::CGadget>();
    m_oDisp = com::Dispatch(com::ComPtr<IDispatch>::Attach(com::ExposeObject(m_pGadget)));
  }
  void TearDown() override {
    m_oDisp = com::Dispatch();
    m_pGadget.reset();
    // Every server, connection point and sink of the test is gone.
    EXPECT_EQ(com::LiveObjects(), m_nLive);
  }

  static int32_t ErrorOf(const std::function<void()>& fn) {
    try {
      fn();
    } catch (const host::Error& e) {
      return e.Number();
    }
    return 0;
  }

  long m_nLive = 0;
  std::shared_ptr<comtest::CGadget> m_pGadget;
  com::Dispatch m_oDisp;
};

TEST_F(ComDispatchTest, MembersAreCalledByNameWithoutRegardToCase) {
  EXPECT_EQ(m_oDisp.IdOf("add"), m_oDisp.IdOf("ADD"));
  EXPECT_EQ(m_oDisp.Call("Add", {Variant(2), Variant("40")}), Variant(42));
  m_oDisp.Put("Name", Variant("Größe"));
  EXPECT_EQ(m_pGadget->m_sName, "Größe");
  EXPECT_EQ(m_oDisp.Get("name"), Variant("Größe"));
  EXPECT_TRUE(m_oDisp.Call("Echo").IsEmpty());  // an optional argument left out
  EXPECT_EQ(m_oDisp.Get("Self").ToObject(), m_pGadget);
}

TEST_F(ComDispatchTest, ByReferenceArgumentsComeBackChanged) {
  std::vector<Variant> args{Variant(1), Variant("two")};
  m_oDisp.CallByRef("Swap", args);
  EXPECT_EQ(args[0], Variant("two"));
  EXPECT_EQ(args[1], Variant(1));
  // By value, the caller's values stay.
  std::vector<Variant> vecByValue{Variant(1), Variant("two")};
  m_oDisp.Invoke(m_oDisp.IdOf("Swap"), DISPATCH_METHOD, vecByValue, false, "Swap");
  EXPECT_EQ(vecByValue[0], Variant(1));
}

TEST_F(ComDispatchTest, WrongCallsAreRefusedWithTheirHResults) {
  EXPECT_EQ(ErrorOf([&] { m_oDisp.Call("Add", {Variant(1)}); }), static_cast<int32_t>(DISP_E_BADPARAMCOUNT));
  EXPECT_EQ(ErrorOf([&] {
              m_oDisp.Call("Add", {Variant(1), Variant(2), Variant(3)});
            }),
            static_cast<int32_t>(DISP_E_BADPARAMCOUNT));
  EXPECT_EQ(ErrorOf([&] {
              m_oDisp.Call("Add", {Variant("one"), Variant(2)});
            }),
            static_cast<int32_t>(DISP_E_TYPEMISMATCH));
  EXPECT_EQ(ErrorOf([&] {
              m_oDisp.Call("Add", {Variant(m_pGadget), Variant(2)});
            }),
            static_cast<int32_t>(DISP_E_TYPEMISMATCH));
  EXPECT_EQ(ErrorOf([&] { m_oDisp.Call("Explode"); }), host::err::NoSuchMember);
  EXPECT_EQ(ErrorOf([&] { m_oDisp.Put("Add", Variant(1)); }), host::err::NoSuchMember);

  // Named arguments and a wrong argument's position, straight through IDispatch.
  VARIANT vArgs[2];
  VariantInit(&vArgs[0]);
  VariantInit(&vArgs[1]);
  V_VT(&vArgs[0]) = VT_I4;
  V_I4(&vArgs[0]) = 1;
  V_VT(&vArgs[1]) = VT_BSTR;
  V_BSTR(&vArgs[1]) = SysAllocString(L"x");
  DISPPARAMS dp{vArgs, nullptr, 2, 0};
  UINT nArgErr = 99;
  EXPECT_EQ(m_oDisp.get()->Invoke(11, IID_NULL, 0, DISPATCH_METHOD, &dp, nullptr, nullptr, &nArgErr),
            DISP_E_TYPEMISMATCH);
  EXPECT_EQ(nArgErr, 1u);  // the first argument, the last in DISPPARAMS
  DISPID nNamed = 5;
  DISPPARAMS dpNamed{vArgs, &nNamed, 2, 1};
  EXPECT_EQ(m_oDisp.get()->Invoke(11, IID_NULL, 0, DISPATCH_METHOD, &dpNamed, nullptr, nullptr, nullptr),
            DISP_E_NONAMEDARGS);
  VariantClear(&vArgs[1]);
}

TEST_F(ComDispatchTest, AnErrorInsideKeepsItsNumberAndDescription) {
  try {
    m_oDisp.Call("Fail");
    ADD_FAILURE() << "no error";
  } catch (const host::Error& e) {
    EXPECT_EQ(e.Number(), 1234);
    EXPECT_EQ(e.Description(), "the gadget broke");
  }
  // Seen by a plain COM client: DISP_E_EXCEPTION with the control-facility code.
  EXCEPINFO ei{};
  DISPPARAMS dp{};
  EXPECT_EQ(m_oDisp.get()->Invoke(13, IID_NULL, 0, DISPATCH_METHOD, &dp, nullptr, &ei, nullptr),
            DISP_E_EXCEPTION);
  EXPECT_EQ(static_cast<uint32_t>(ei.scode), 0x800A04D2u);
  SysFreeString(ei.bstrDescription);
  SysFreeString(ei.bstrSource);
}

TEST_F(ComDispatchTest, TypeInformationListsTheMembers) {
  UINT nCount = 0;
  ASSERT_EQ(m_oDisp.get()->GetTypeInfoCount(&nCount), S_OK);
  EXPECT_EQ(nCount, 1u);
  com::ComPtr<ITypeInfo> pInfo;
  ASSERT_EQ(m_oDisp.get()->GetTypeInfo(0, 0, pInfo.put()), S_OK);
  TYPEATTR* pAttr = nullptr;
  ASSERT_EQ(pInfo->GetTypeAttr(&pAttr), S_OK);
  EXPECT_EQ(pAttr->cFuncs, comtest::GadgetClass()->vecMembers.size());
  pInfo->ReleaseTypeAttr(pAttr);
  LPOLESTR pName = const_cast<LPOLESTR>(L"Swap");
  MEMBERID nId = 0;
  ASSERT_EQ(pInfo->GetIDsOfNames(&pName, 1, &nId), S_OK);
  EXPECT_EQ(nId, 12);
}

TEST_F(ComDispatchTest, EventsReachTheSinkUntilItIsUnadvised) {
  std::vector<int32_t> vecSeen;
  auto oSink =
      com::Advise(m_oDisp.get(), comtest::DIID_GadgetEvents, {{comtest::kPing, [&](const com::Args& a) {
                                                                 vecSeen.push_back(a.Long(0));
                                                                 a.Set(1, true);  // Cancel, by reference
                                                               }}});
  bool bCancel = false;
  m_pGadget->OnPing.Raise(1, bCancel);
  EXPECT_TRUE(bCancel);
  oSink.reset();
  bCancel = false;
  m_pGadget->OnPing.Raise(2, bCancel);
  EXPECT_FALSE(bCancel);
  EXPECT_EQ(vecSeen, std::vector<int32_t>{1});
  // A source without that interface refuses the sink.
  EXPECT_THROW(com::Advise(m_oDisp.get(), IID_IDispatch, {}), host::Error);
}

TEST_F(ComDispatchTest, ASinkMayReleaseItselfDuringItsOwnEvent) {
  int nCalls = 0;
  com::SinkConnection oSink;
  oSink = com::Advise(m_oDisp.get(), comtest::DIID_GadgetEvents, {{comtest::kPing, [&](const com::Args&) {
                                                                     ++nCalls;
                                                                     oSink.reset();
                                                                   }}});
  // A second sink still hears the event the first released itself in.
  int nOther = 0;
  auto oOther = com::Advise(m_oDisp.get(), comtest::DIID_GadgetEvents,
                            {{comtest::kPing, [&](const com::Args&) { ++nOther; }}});
  bool bCancel = false;
  m_pGadget->OnPing.Raise(1, bCancel);
  m_pGadget->OnPing.Raise(2, bCancel);
  EXPECT_EQ(nCalls, 1);
  EXPECT_EQ(nOther, 2);
  EXPECT_FALSE(oSink.connected());
}

TEST_F(ComDispatchTest, TheSourceMayGoWhileSinksAreStillAdvised) {
  int nCalls = 0;
  auto oSink = com::Advise(m_oDisp.get(), comtest::DIID_GadgetEvents,
                           {{comtest::kPing, [&](const com::Args&) { ++nCalls; }}});
  m_oDisp = com::Dispatch();
  auto pGadget = std::exchange(m_pGadget, nullptr);
  // The sink handle still holds the connection point; the server itself is gone.
  bool bCancel = false;
  pGadget->OnPing.Raise(1, bCancel);
  EXPECT_EQ(nCalls, 0);
  oSink.reset();
}

}  // namespace
