// A simulated Outlook with a scratch registry and an in-memory clipboard of the test's own, for
// tests of the command set and the clipboard keeper. Command sets are made directly, without the
// add-in's connection, so each test decides when they are built and destroyed.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "commands/CExplorerMenu.h"
#include "commands/mButtonFaces.h"
#include "common/mGlobals.h"
#include "platform/Clipboard.h"
#include "platform/portable/ClipboardModel.h"
#include "sim/CommandBarObjects.h"
#include "sim/OutlookObjects.h"
#include "support/ScratchRegistry.h"
#include "support/SimFixture.h"

inline const std::string kInbox = "\\Mailbox - Jane Doe\\Inbox";
inline const std::string kContacts = "\\Mailbox - Jane Doe\\Contacts";
inline const std::string kNotes = "\\Mailbox - Jane Doe\\Notes";
inline const std::string kCalendar = "\\Mailbox - Jane Doe\\Calendar";
inline const std::string kOldContacts = "\\Archive\\Old Contacts";

class CommandSetFixture : public SimFixture {
 protected:
  void SetUp() override {
    SimFixture::SetUp();
    test_support::InstallScratchRegistry();
    m_pPrevClipboard = platform::SetClipboard(m_pClipboard);
  }

  void TearDown() override {
    m_vecMenus.clear();
    g_oApp.reset();
    if (m_pOutlook) {
      EXPECT_TRUE(m_pOutlook->EscapedErrors().empty());
    }
    SimFixture::TearDown();
    platform::SetClipboard(m_pPrevClipboard);
    test_support::RemoveScratchRegistry();
  }

  void Start(const std::string& sVersion = {}, std::shared_ptr<const sim::Profile> pProfile = nullptr) {
    MakeOutlook(pProfile ? pProfile : DemoWithExplorers({kInbox}), sVersion);
    auto pClipboard = m_pClipboard;
    Outlook().SetClipboardPictureSource([pClipboard]() -> std::shared_ptr<host::Picture> {
      auto vecDib = pClipboard->Bitmap();
      return vecDib ? mButtonFaces::PictureFromDib(vecDib->data(), vecDib->size()) : nullptr;
    });
    Outlook().Start(nullptr);
    g_oApp = Outlook().Application();
  }

  std::shared_ptr<CExplorerMenu> NewMenu(int n = 1) {
    auto pMenu = std::make_shared<CExplorerMenu>();
    pMenu->Create(Outlook().ExplorerAt(n));
    m_vecMenus.push_back(pMenu);
    return pMenu;
  }

  sim::BarsObj& Bars(int n = 1) {
    return *std::dynamic_pointer_cast<sim::ExplorerObj>(Outlook().ExplorerAt(n))->Bars();
  }
  sim::BarObj& Bar(const std::string& sName, int n = 1) { return *Bars(n).BarNamed(sName); }
  // The Actions popup of a folder kind in "Menu Bar".
  sim::BarObj& Actions(int32_t nId, int n = 1) {
    return *Bar("Menu Bar", n).Find(0, nId, nullptr, false, false)->pSubBar;
  }
  static sim::ControlNode& Node(const std::shared_ptr<host::CommandBarControl>& o) {
    return *sim::ControlNodeOf(o);
  }
  // The control of a bar with a tag; nullptr without one.
  static sim::ControlNode* Tagged(const sim::BarObj& oBar, const std::string& sTag) {
    return oBar.Find(0, 0, &sTag, false, false).get();
  }
  static bool IsFace(const std::shared_ptr<host::Picture>& p, int32_t nId) {
    auto pFace = mButtonFaces::LoadFace(nId);
    return p && p->pixels == pFace->pixels && p->nBitsPerPixel == pFace->nBitsPerPixel;
  }

  std::shared_ptr<platform::portable::ClipboardModel> m_pClipboard =
      std::make_shared<platform::portable::ClipboardModel>();
  std::vector<std::shared_ptr<CExplorerMenu>> m_vecMenus;

 private:
  std::shared_ptr<platform::Clipboard> m_pPrevClipboard;
};
