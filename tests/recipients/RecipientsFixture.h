// The demo profile in a simulated Outlook whose Application the add-in holds (as after its
// connection), with the portable forms for the progress window.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "common/CKeyedCollection.h"
#include "support/AddinFixture.h"

class RecipientsFixture : public AddinFixture {
 protected:
  void SetUp() override {
    AddinFixture::SetUp();
    MakeOutlook(sim::DemoProfile());
    g_oApp = Outlook().Application();
  }

  void TearDown() override {
    g_frmProgress.Reset();
    EXPECT_TRUE(Outlook().EscapedErrors().empty());
    AddinFixture::TearDown();
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

  template <class C>
  static std::vector<std::string> Strings(const C& col) {
    std::vector<std::string> vec;
    for (const std::string& s : col) vec.push_back(s);
    return vec;
  }
};
