// The add-in loaded into a simulated Outlook, for tests of the commands behind the buttons: the
// user selects items and clicks a button of the explorer's command set; what opens is read from
// the simulated inspectors, what was marked from the model.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "addin/Connect.h"
#include "commands/CExplorerMenu.h"
#include "platform/Forms.h"
#include "platform/Ui.h"
#include "sim/Inspectors.h"
#include "sim/ItemObjects.h"
#include "support/AddinFixture.h"

using testsupport::DemoWithBulk;
using testsupport::kBulk;
using testsupport::kInbox;
inline const std::string kId = "0000000044454D4F";  // the demo profile's entry IDs start so

class ComposeFixture : public AddinFixture {
 protected:
  void TearDown() override {
    if (m_pOutlook) {
      Outlook().Quit();
      EXPECT_TRUE(Outlook().EscapedErrors().empty());
    }
    AddinFixture::TearDown();
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

  // The user clicks Cancel once the progress window shows its third stage with nStep steps done
  // (the click arrives through the message loop, as a real one would). Watches while the
  // connection lives; bClicked tells whether it came.
  host::Connection CancelInThirdStageAt(int32_t nStep, bool& bClicked) {
    bClicked = false;
    return platform::Forms().OnControlChanged.Connect(
        [nStep, &bClicked](platform::Control& o, platform::Prop) {
          if (bClicked || &o.Parent() != &g_frmProgress.Get()) return;
          frmProgress& f = *g_frmProgress;
          if (!f.IsLoaded() || !f.lblProgress3.Visible() || f.barProgress.Value() != nStep) return;
          bClicked = true;
          platform::Loop().Post([] { platform::Forms().Driver().Click(g_frmProgress->btnCancel); });
        });
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
};
