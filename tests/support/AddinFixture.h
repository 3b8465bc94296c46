// A simulated Outlook with what the add-in's commands reach besides it: the portable forms, a
// scratch registry and the search component, and every object the add-in shares across the
// process released at the end, so that no test hands its state to the next.
#pragma once

#include <memory>
#include <string>

#include "advsearch/QuilloAdvSearch.h"
#include "common/mGlobals.h"
#include "feedback/CMailItemWrapperColl.h"
#include "feedback/frmProgress.h"
#include "platform/portable/FormsPortable.h"
#include "settings/COptions.h"
#include "support/BulkProfile.h"
#include "support/ScratchRegistry.h"
#include "support/SimFixture.h"

class AddinFixture : public SimFixture {
 protected:
  void SetUp() override {
    SimFixture::SetUp();
    testsupport::InstallScratchRegistry();
    m_pPrevForms = platform::SetFormsBackend(std::make_shared<platform::portable::PortableForms>());
    RegisterQuilloAdvSearch();
  }

  void TearDown() override {
    g_colMailWrappers.Reset();
    g_frmProgress.Reset();
    g_oOptions.Reset();
    g_oApp.reset();
    UnregisterQuilloAdvSearch();
    SimFixture::TearDown();
    platform::SetFormsBackend(m_pPrevForms);
    testsupport::RemoveScratchRegistry();
  }

  // Every item of a folder selected in the first explorer.
  void SelectAllOf(const std::string& sPath) {
    Outlook().Select(1, testsupport::EntryIDsOf(Outlook(), sPath));
  }

 private:
  std::shared_ptr<platform::FormsBackend> m_pPrevForms;
};
