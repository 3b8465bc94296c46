// The demo profile in a simulated Outlook whose Application the add-in holds (as after its
// connection), with the portable forms for the progress window.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "common/CKeyedCollection.h"
#include "common/mGlobals.h"
#include "feedback/frmProgress.h"
#include "platform/portable/FormsPortable.h"
#include "support/SimFixture.h"

class RecipientsFixture : public SimFixture {
 protected:
  void SetUp() override {
    SimFixture::SetUp();
    m_pPrevForms = platform::SetFormsBackend(std::make_shared<platform::portable::PortableForms>());
    MakeOutlook(sim::DemoProfile());
    g_oApp = Outlook().Application();
  }

  void TearDown() override {
    g_frmProgress.Reset();
    g_oApp.reset();
    EXPECT_TRUE(Outlook().EscapedErrors().empty());
    SimFixture::TearDown();
    platform::SetFormsBackend(m_pPrevForms);
  }

  // A demo item by the end of its entry ID ("0601": the first Inbox mail).
  template <class T = host::OutlookItem>
  std::shared_ptr<T> ItemOf(const std::string& sCode) {
    return host::As<T>(Outlook().ItemByID("0000000044454D4F" + sCode));
  }

  // Messages of the lines of one source and kind, in order.
  std::vector<std::string> Messages(const std::string& sSource, int32_t nKind) {
    std::vector<std::string> vec;
    for (const auto& oLine : Lines())
      if (oLine.sSource == sSource && oLine.nKind == nKind) vec.push_back(oLine.sMessage);
    return vec;
  }

  static std::vector<std::string> Strings(const CKeyedCollection<std::string>& col) {
    std::vector<std::string> vec;
    for (const std::string& s : col) vec.push_back(s);
    return vec;
  }

 private:
  std::shared_ptr<platform::FormsBackend> m_pPrevForms;
};
