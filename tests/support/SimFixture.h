// A simulated Outlook with the add-in's services installed (virtual loop, scripted boxes, the
// support library stand-in), for tests that run the add-in end to end.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "host/Tarvik.h"
#include "platform/portable/ScriptedBoxes.h"
#include "platform/portable/VirtualLoop.h"
#include "sim/Outlook.h"
#include "sim/Profile.h"

class SimFixture : public ::testing::Test {
 protected:
  // The demo profile with the given start-up explorers (folder paths).
  static std::shared_ptr<const sim::Profile> DemoWithExplorers(std::vector<std::string> vecPaths) {
    sim::Profile oProfile = *sim::DemoProfile();
    oProfile.vecStartupExplorers = std::move(vecPaths);
    return sim::CheckProfile(std::move(oProfile));
  }

  void MakeOutlook(std::shared_ptr<const sim::Profile> pProfile, const std::string& sVersion = {}) {
    m_pOutlook = std::make_unique<sim::Outlook>(std::move(pProfile), sVersion);
    host::BindTarvik(m_pOutlook->SupportLibrary());
  }

  void SetUp() override {
    m_pPrevLoop = platform::SetLoop(m_pLoop);
    m_pPrevBoxes = platform::SetBoxes(m_pBoxes);
  }

  void TearDown() override {
    host::BindTarvik(nullptr);
    m_pOutlook.reset();
    platform::SetLoop(m_pPrevLoop);
    platform::SetBoxes(m_pPrevBoxes);
  }

  sim::Outlook& Outlook() { return *m_pOutlook; }
  const std::vector<sim::LogLine>& Lines() { return m_pOutlook->Support().Lines(); }

  // Lines written by a source, optionally with a given message.
  std::vector<sim::LogLine> LinesOf(const std::string& sSource, const std::string* pMessage = nullptr) {
    std::vector<sim::LogLine> vec;
    for (const auto& oLine : Lines())
      if (oLine.sSource == sSource && (!pMessage || oLine.sMessage == *pMessage)) vec.push_back(oLine);
    return vec;
  }
  size_t CountOf(const std::string& sSource, const std::string& sMessage) {
    return LinesOf(sSource, &sMessage).size();
  }
  size_t ErrorCount() {
    size_t n = 0;
    for (const auto& oLine : Lines()) n += oLine.nKind == 3;
    return n;
  }

  std::shared_ptr<platform::portable::VirtualLoop> m_pLoop =
      std::make_shared<platform::portable::VirtualLoop>();
  std::shared_ptr<platform::portable::ScriptedBoxes> m_pBoxes =
      std::make_shared<platform::portable::ScriptedBoxes>();
  std::unique_ptr<sim::Outlook> m_pOutlook;

 private:
  std::shared_ptr<platform::MessageLoop> m_pPrevLoop;
  std::shared_ptr<platform::MessageBoxes> m_pPrevBoxes;
};
