// The add-in loaded into a simulated Outlook, for tests of the commands behind the buttons: the
// user selects items and clicks a button of the explorer's command set; what opens is read from
// the simulated inspectors, what was marked from the model.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "addin/Connect.h"
#include "advsearch/QuilloAdvSearch.h"
#include "commands/CExplorerMenu.h"
#include "feedback/CMailItemWrapperColl.h"
#include "feedback/frmProgress.h"
#include "platform/portable/FormsPortable.h"
#include "settings/COptions.h"
#include "sim/Inspectors.h"
#include "sim/ItemObjects.h"
#include "support/ScratchRegistry.h"
#include "support/SimFixture.h"

inline const std::string kId = "0000000044454D4F";  // the demo profile's entry IDs start so
inline const std::string kInbox = "\\Mailbox - Jane Doe\\Inbox";
inline const std::string kBulk = "\\Mailbox - Jane Doe\\Bulk";

class ComposeFixture : public SimFixture {
 protected:
  void SetUp() override {
    SimFixture::SetUp();
    testsupport::InstallScratchRegistry();
    m_pPrevForms = platform::SetFormsBackend(std::make_shared<platform::portable::PortableForms>());
    RegisterQuilloAdvSearch();
  }

  void TearDown() override {
    if (m_pOutlook) {
      Outlook().Quit();
      EXPECT_TRUE(Outlook().EscapedErrors().empty());
    }
    g_colMailWrappers.Reset();
    g_frmProgress.Reset();
    g_oOptions.Reset();
    UnregisterQuilloAdvSearch();
    SimFixture::TearDown();
    platform::SetFormsBackend(m_pPrevForms);
    testsupport::RemoveScratchRegistry();
  }

  // The demo profile with a mail folder "Bulk" of n received mails from distinct senders.
  static std::shared_ptr<const sim::Profile> DemoWithBulk(int n) {
    sim::Profile oProfile = *sim::DemoProfile();
    sim::ProfileFolder oBulk;
    oBulk.sName = "Bulk";
    for (int i = 1; i <= n; ++i) {
      sim::ProfileItem oMail;
      oMail.nClass = host::olMail;
      oMail.sSubject = "Bulk " + std::to_string(i);
      sim::AddressRef oSender;
      oSender.sName = "Sender " + std::to_string(i);
      oSender.sType = "SMTP";
      oSender.sAddress = "sender" + std::to_string(i) + "@bulk.example.com";
      oMail.oSender = oSender;
      oBulk.vecItems.push_back(oMail);
    }
    oProfile.vecStores[0].vecFolders.push_back(oBulk);
    oProfile.vecStartupExplorers = {kInbox};
    return sim::CheckProfile(std::move(oProfile));
  }

  // Outlook starts on the profile and loads the add-in.
  void Start(std::shared_ptr<const sim::Profile> pProfile = nullptr, const std::string& sVersion = {}) {
    MakeOutlook(pProfile ? pProfile : DemoWithBulk(0), sVersion);
    Outlook().Start(std::make_shared<Connect>());
  }

  std::shared_ptr<CExplorerMenu> Menu(int n = 1) {
    auto oWrappers = g_oConnect->GetExplorers();
    for (int32_t i = 1; i <= oWrappers->Count(); ++i)
      if (oWrappers->Item(i)->GetObject() == Outlook().ExplorerAt(n))
        return host::As<CExplorerMenu>(oWrappers->Item(i)->GetAssociatedObject("Menu"));
    return nullptr;
  }
  void Click(CExplorerMenu::EButton eButton, CExplorerMenu::EButtonSet eSet = CExplorerMenu::bsToolbar) {
    Outlook().Click(Menu()->ButtonOf(eSet, eButton));
  }

  // Items by the end of their demo entry ID ("0601").
  void Select(const std::vector<std::string>& vecCodes) {
    std::vector<std::string> vecIDs;
    for (const auto& s : vecCodes) vecIDs.push_back(kId + s);
    Outlook().Select(1, vecIDs);
  }
  void SelectAllOf(const std::string& sPath) {
    std::vector<std::string> vecIDs;
    for (const auto& p : Outlook().Data().FolderByPath(sPath)->vecItems) vecIDs.push_back(p->sEntryID);
    Outlook().Select(1, vecIDs);
  }

  sim::Inspectors Inspectors() { return sim::Inspectors(Outlook()); }
  sim::ItemPtr Item(const std::string& sCode) { return Outlook().Data().ItemByID(kId + sCode); }
  bool Replied(const std::string& sCode) { return Item(sCode)->oProps.Long(0x10800003) == 261; }

  // The recipients of a message as "type:name".
  std::vector<std::string> RecipientsOf(int nInspector) {
    std::vector<std::string> vec;
    for (const auto& p : sim::ItemDataOf(Inspectors().ItemAt(nInspector))->vecRecipients)
      vec.push_back(std::to_string(p->nType) + ":" + p->sName);
    return vec;
  }

 private:
  std::shared_ptr<platform::FormsBackend> m_pPrevForms;
};
