#include "addin/CExplorersWrapper.h"

#include <vector>

#include "addin/mExplorersWrapper.h"
#include "host/Text.h"

namespace {
constexpr const char* kEventFromExplorer = "CExplorers::EventFromExplorer";
}

CExplorersWrapper::CExplorersWrapper() : m_colExplorers(std::make_unique<CExplorerList>()) {}

CExplorersWrapper::~CExplorersWrapper() {
  Done(true);
}

int32_t CExplorersWrapper::Count() {
  return host::Deref(m_colExplorers).Count();
}

std::shared_ptr<CExplorerWrapper> CExplorersWrapper::Item(int32_t nIndex) {
  return host::Deref(m_colExplorers).Item(nIndex);
}

void CExplorersWrapper::Init(const std::shared_ptr<host::Explorers>& oExplorers) {
  // A handler may shut the add-in down and drop its last reference to us mid-loop.
  auto pSelf = weak_from_this().lock();
  m_cnNewExplorer.reset();
  m_oExplorers = oExplorers;
  if (m_oExplorers) {
    std::weak_ptr<host::Object> wSelf = weak_from_this();
    m_cnNewExplorer = m_oExplorers->OnNewExplorer.Connect([wSelf](std::shared_ptr<host::Explorer> Explorer) {
      if (auto p = wSelf.lock()) static_cast<CExplorersWrapper&>(*p).m_oExplorers_NewExplorer(Explorer);
    });
  }

  const int32_t nCount = host::Deref(m_oExplorers).Count();
  for (int32_t i = 1; i <= nCount; ++i) {
    auto oWrapper = std::make_shared<CExplorerWrapper>();
    // OnExplorer is raised and handled inside this call, before the wrapper joins the list,
    // so the first explorer sees an empty list and is reported as first.
    oWrapper->Init(m_oExplorers->Item(i), false);
    if (!m_colExplorers) break;  // the handler shut the add-in down fully
    m_colExplorers->Add(oWrapper);
  }
}

void CExplorersWrapper::m_oExplorers_NewExplorer(const std::shared_ptr<host::Explorer>& Explorer) {
  try {
    auto oWrapper = std::make_shared<CExplorerWrapper>();
    oWrapper->InitWaitActivate(Explorer);
    host::Deref(m_colExplorers).Add(oWrapper);
  } catch (...) {
    mExplorersWrapper::ReportExplorersError(host::CurrentError(), "m_oExplorers_NewExplorer");
  }
}

void CExplorersWrapper::EventFromExplorer(const std::string& strName,
                                          const std::shared_ptr<CEventArgs>& colArgs) {
  auto pSelf = weak_from_this().lock();
  try {
    DispatchExplorerEvent(strName, colArgs);
  } catch (...) {
    mExplorersWrapper::ReportExplorersError({0, "EventFromExplorer - " + strName}, kEventFromExplorer);
  }
}

void CExplorersWrapper::DispatchExplorerEvent(const std::string& strName,
                                              const std::shared_ptr<CEventArgs>& colArgs) {
  if (host::EqualsNoCase(strName, "Close")) {
    RemoveClosedExplorers();
  } else if (host::EqualsNoCase(strName, "OnExplorer")) {
    auto oObject = host::Deref(colArgs).Item(1).ToObject();
    bool bFirstExplorer = IsFirstExplorer(oObject);
    bool bNewExplorer = colArgs->Item(2).ToBool();
    OnExplorer.Raise(host::As<CExplorerWrapper>(oObject), bFirstExplorer, bNewExplorer);
  } else if (host::EqualsNoCase(strName, "SelectionChange")) {
    OnExplorerSelectionChange.Raise(host::Deref(colArgs).Item(1).ToObject<CExplorerWrapper>());
  } else if (host::EqualsNoCase(strName, "FolderSwitch")) {
    OnExplorerFolderSwitch.Raise(host::Deref(colArgs).Item(1).ToObject<CExplorerWrapper>());
  } else {
    mExplorersWrapper::ReportExplorersError({0, "Unsuported event raised - " + strName}, kEventFromExplorer);
  }
}

// First exactly when no other explorer has finished its set-up; explorers announced but never
// activated do not count.
bool CExplorersWrapper::IsFirstExplorer(const std::shared_ptr<host::Object>& oCandidate) {
  bool bFirstExplorer = true;
  if (m_colExplorers && m_colExplorers->Count() > 0) {
    for (const auto& oWrapper : *m_colExplorers) {
      if (oWrapper.get() == oCandidate.get()) continue;
      if (!oWrapper->WaitingActivateEvent()) bFirstExplorer = false;
    }
  }
  return bFirstExplorer;
}

void CExplorersWrapper::RemoveClosedExplorers() {
  CExplorerList& colExplorers = host::Deref(m_colExplorers);
  for (int32_t i = colExplorers.Count(); i >= 1; --i) {
    if (!colExplorers.Item(i)->GetObject()) colExplorers.Remove(i);
  }
  if (colExplorers.Count() == 0) OnCloseAllExplorers.Raise();
}

void CExplorersWrapper::Done(bool bCloseEventer) {
  host::IgnoreErrors([&] {
    if (m_colExplorers) {
      // Work on a copy: releasing a command set must not disturb the walk.
      std::vector<std::shared_ptr<CExplorerWrapper>> vecWrappers;
      for (const auto& oWrapper : *m_colExplorers) vecWrappers.push_back(oWrapper);
      for (const auto& oWrapper : vecWrappers) host::IgnoreErrors([&] { oWrapper->Done(); });
      m_colExplorers.reset();
    }
  });
  if (!bCloseEventer) {
    host::IgnoreErrors([&] { m_colExplorers = std::make_unique<CExplorerList>(); });
  } else {
    m_cnNewExplorer.reset();
    m_oExplorers.reset();
  }
}
