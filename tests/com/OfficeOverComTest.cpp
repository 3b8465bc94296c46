// The command bars of a simulated explorer reached through the Office binding over IDispatch, as
// Quillo.dll reaches Office's: controls found and added, their properties, faces as pictures,
// the bars' OnUpdate and the buttons' Click with CancelDefault coming back.
#include <gtest/gtest.h>

#include "sim/CommandBarObjects.h"
#include "support/SimFixture.h"
// The simulation's headers come before windows.h, whose macros (E_FAIL, GetObject) would
// rename their members.
#include "ComTestSupport.h"
#include "ForeignObject.h"
#include "com/Bridge.h"
#include "com/office/OfficeBinding.h"
#include "com/outlook/OutlookBinding.h"
#undef GetObject

namespace {

class OfficeOverComTest : public SimFixture {
 protected:
  void SetUp() override {
    SimFixture::SetUp();
    comtest::ServeOutlookAndOffice();
    com::outlook::RegisterBinders();
    com::office::RegisterBinders();
    m_nLive = com::LiveObjects();
    MakeOutlook(sim::DemoProfile(), "11.0.5608");
    Outlook().OpenExplorer("\\Mailbox - Jane Doe\\Inbox");
    m_oSimBars = Outlook().ExplorerAt(1)->CommandBars();
    auto pServer = com::ComPtr<IDispatch>::Attach(com::ExposeObject(m_oSimBars));
    m_oBars = comtest::BindForeign<host::CommandBars>(pServer.get());
  }
  void TearDown() override {
    m_oBars.reset();
    m_oSimBars.reset();
    SimFixture::TearDown();
    // Every server, sink and connection point of the test is gone with its last reference.
    EXPECT_EQ(com::LiveObjects(), m_nLive);
  }

  std::shared_ptr<host::CommandBars> m_oSimBars;
  std::shared_ptr<host::CommandBars> m_oBars;
  long m_nLive = 0;
};

TEST_F(OfficeOverComTest, BarsAndControlsAreBoundByTheirKind) {
  ASSERT_TRUE(m_oBars);
  EXPECT_EQ(m_oBars->Item(std::string("Menu Bar"))->Name(), "Menu Bar");
  EXPECT_GE(m_oBars->Count(), 3);
  // A popup of the Actions menu, found on the whole bar, and a button inside it.
  auto oBar = m_oBars->Item(std::string("Menu Bar"));
  auto oPopup = host::As<host::CommandBarPopup>(oBar->FindControl({}, 30131));
  ASSERT_TRUE(oPopup);
  EXPECT_EQ(oPopup->Type(), host::msoControlPopup);
  EXPECT_GE(oPopup->Controls()->Count(), 1);
  auto oButton = host::As<host::CommandBarButton>(oPopup->CommandBar()->FindControl({}, 356));
  ASSERT_TRUE(oButton);
  EXPECT_EQ(oButton->Id(), 356);
  EXPECT_EQ(oButton->Type(), host::msoControlButton);
  // Nothing found is Nothing, not an error.
  EXPECT_EQ(oBar->FindControl({}, 999999), nullptr);
  // The explorer behind the bars comes back bound as the Outlook object it is.
  auto oParent = host::As<host::OutlookObject>(m_oBars->Parent());
  ASSERT_TRUE(oParent);
  EXPECT_EQ(oParent->Class(), host::olExplorer);
}

TEST_F(OfficeOverComTest, AButtonAddedOverComCarriesItsPropertiesAndFace) {
  auto oBar = m_oBars->Add(std::string("Quillo"), host::msoBarTop, {}, true);
  auto oButton =
      host::As<host::CommandBarButton>(oBar->Controls()->Add(host::msoControlButton, {}, {}, {}, true));
  ASSERT_TRUE(oButton);
  oButton->SetCaption("&TO");
  oButton->SetTag("TO1");
  oButton->SetStyle(host::msoButtonIconAndCaption);
  oButton->SetBeginGroup(true);
  EXPECT_EQ(oButton->Caption(), "&TO");
  EXPECT_EQ(oButton->Tag(), "TO1");
  EXPECT_EQ(oButton->Style(), host::msoButtonIconAndCaption);
  EXPECT_TRUE(oButton->BeginGroup());
  // Found again by its tag, as the same control.
  EXPECT_EQ(oBar->FindControl({}, {}, std::string("TO1"))->Caption(), "&TO");

  // A 16x16 face of 8 bits and its 1-bit mask arrive on the simulated button bit for bit.
  auto oFace = std::make_shared<host::Picture>();
  oFace->nWidth = oFace->nHeight = 16;
  oFace->nBitsPerPixel = 8;
  for (int i = 0; i < 256; ++i) oFace->pixels.push_back(static_cast<uint8_t>(i * 7));
  auto oMask = std::make_shared<host::Picture>();
  oMask->nWidth = oMask->nHeight = 16;
  oMask->nBitsPerPixel = 1;
  for (int i = 0; i < 32; ++i) oMask->pixels.push_back(static_cast<uint8_t>(0xA5 ^ i));
  oButton->SetPicture(oFace);
  oButton->SetMask(oMask);
  auto oSimButton = Outlook().FindControl(1, {"Quillo", "TO1"});
  ASSERT_TRUE(oSimButton);
  sim::ControlNode* pNode = sim::ControlNodeOf(oSimButton);
  ASSERT_TRUE(pNode && pNode->pPicture && pNode->pMask);
  EXPECT_EQ(pNode->pPicture->nBitsPerPixel, 8);
  EXPECT_EQ(pNode->pPicture->pixels, oFace->pixels);
  EXPECT_EQ(pNode->pMask->nBitsPerPixel, 1);
  EXPECT_EQ(pNode->pMask->pixels, oMask->pixels);
  // A picture that is none is refused before it leaves.
  auto oBad = std::make_shared<host::Picture>();
  EXPECT_THROW(oButton->SetPicture(oBad), host::Error);
}

TEST_F(OfficeOverComTest, FacesAreRefusedOnOffice2000AsALateBoundCallIs) {
  // A fresh simulated Outlook 2000 with its bars over COM.
  m_oBars.reset();
  m_oSimBars.reset();
  MakeOutlook(sim::DemoProfile(), "9.0.0.2711");
  Outlook().OpenExplorer("\\Mailbox - Jane Doe\\Inbox");
  auto pServer = com::ComPtr<IDispatch>::Attach(com::ExposeObject(Outlook().ExplorerAt(1)->CommandBars()));
  auto oBars = comtest::BindForeign<host::CommandBars>(pServer.get());
  auto oButton = host::As<host::CommandBarButton>(
      oBars->Add(std::string("Quillo"), host::msoBarTop, {}, true)->Controls()->Add(host::msoControlButton));
  auto oFace = std::make_shared<host::Picture>();
  oFace->nWidth = oFace->nHeight = 1;
  oFace->nBitsPerPixel = 8;
  oFace->pixels = {1};
  try {
    oButton->SetPicture(oFace);
    FAIL() << "Office 2000 took a picture";
  } catch (const host::Error& e) {
    EXPECT_EQ(e.Number(), host::err::NoSuchMember);
  }
}

TEST_F(OfficeOverComTest, OnUpdateAndClickArriveThroughTheirEventInterfaces) {
  int nUpdates = 0;
  host::Connection cUpdate = m_oBars->OnUpdate.Connect([&] { ++nUpdates; });
  Outlook().RaiseUpdate(1);
  Outlook().RaiseUpdate(1);
  EXPECT_EQ(nUpdates, 2);

  auto oBar = m_oBars->Add(std::string("Quillo"), host::msoBarTop, {}, true);
  auto oButton =
      host::As<host::CommandBarButton>(oBar->Controls()->Add(host::msoControlButton, {}, {}, {}, true));
  oButton->SetCaption("Go");
  std::vector<std::string> vecClicked;
  host::Connection cClick =
      oButton->OnClick.Connect([&](std::shared_ptr<host::CommandBarButton> oCtrl, bool& bCancel) {
        vecClicked.push_back(oCtrl ? oCtrl->Caption() : "Nothing");
        bCancel = true;
      });
  bool bSimCancel = false;
  host::Connection cSim = host::As<host::CommandBarButton>(Outlook().FindControl(1, {"Quillo", "Go"}))
                              ->OnClick.Connect([&](std::shared_ptr<host::CommandBarButton>, bool& bCancel) {
                                bSimCancel = bCancel;
                              });
  Outlook().Click(Outlook().FindControl(1, {"Quillo", "Go"}));
  EXPECT_EQ(vecClicked, std::vector<std::string>{"Go"});
  EXPECT_TRUE(bSimCancel) << "CancelDefault did not come back by reference";

  // Disconnected handlers hear nothing more.
  cUpdate.reset();
  cClick.reset();
  Outlook().RaiseUpdate(1);
  Outlook().Click(Outlook().FindControl(1, {"Quillo", "Go"}));
  EXPECT_EQ(nUpdates, 2);
  EXPECT_EQ(vecClicked.size(), 1u);
}

TEST_F(OfficeOverComTest, ErrorsOfTheBarsComeBackAsHostErrors) {
  try {
    m_oBars->Item(std::string("No such bar"));
    FAIL() << "a missing bar was found";
  } catch (const host::Error& e) {
    EXPECT_NE(e.Number(), 0);
  }
  // An injected fault on the simulated side arrives with its number.
  Outlook().Faults().FailNth("CommandBars.Count", 1);
  EXPECT_THROW(m_oBars->Count(), host::Error);
  EXPECT_GE(m_oBars->Count(), 3);
}

}  // namespace
