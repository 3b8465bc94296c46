#include "addin/CExplorerWrapper.h"

#include "addin/mExplorersWrapper.h"

using host::Variant;

CExplorerWrapper::~CExplorerWrapper() {
  Done();
}

void CExplorerWrapper::SetExplorer(const std::shared_ptr<host::Explorer>& oExplorer) {
  if (oExplorer == m_oExplorer) return;
  m_vecExplorerEvents.clear();
  m_oExplorer = oExplorer;
  if (!m_oExplorer) return;
  // The handlers keep the wrapper alive while they run: a Close may remove it from its list.
  std::weak_ptr<host::Object> wSelf = weak_from_this();
  auto bind = [wSelf](void (CExplorerWrapper::*pfn)()) {
    return [wSelf, pfn] {
      if (auto pSelf = wSelf.lock()) (static_cast<CExplorerWrapper&>(*pSelf).*pfn)();
    };
  };
  m_vecExplorerEvents.push_back(
      m_oExplorer->OnActivate.Connect(bind(&CExplorerWrapper::m_oExplorer_Activate)));
  m_vecExplorerEvents.push_back(m_oExplorer->OnClose.Connect(bind(&CExplorerWrapper::m_oExplorer_Close)));
  m_vecExplorerEvents.push_back(
      m_oExplorer->OnFolderSwitch.Connect(bind(&CExplorerWrapper::m_oExplorer_FolderSwitch)));
  m_vecExplorerEvents.push_back(
      m_oExplorer->OnSelectionChange.Connect(bind(&CExplorerWrapper::m_oExplorer_SelectionChange)));
}

std::shared_ptr<CEventArgs> CExplorerWrapper::ArgsWithSelf() {
  auto colArgs = std::make_shared<CEventArgs>();
  colArgs->Add(Variant(weak_from_this().lock()));
  return colArgs;
}

void CExplorerWrapper::Init(const std::shared_ptr<host::Explorer>& oExplorer, bool bNewExplorer) {
  SetExplorer(oExplorer);
  m_colAssociated = std::make_unique<CKeyedCollection<std::shared_ptr<host::Object>>>();
  auto colArgs = ArgsWithSelf();
  colArgs->Add(Variant(bNewExplorer));
  mExplorersWrapper::RaiseExplorerEvent("OnExplorer", colArgs);
}

void CExplorerWrapper::InitWaitActivate(const std::shared_ptr<host::Explorer>& oExplorer) {
  m_bWaitActivate = true;
  SetExplorer(oExplorer);
}

void CExplorerWrapper::Done() {
  // The associated objects go first: the command set still needs its explorer while it
  // stores its toolbar position.
  m_colAssociated.reset();
  SetExplorer(nullptr);
}

void CExplorerWrapper::AddAssociatedObject(const std::shared_ptr<host::Object>& oObject,
                                           const std::string& sKey) {
  host::Deref(m_colAssociated).Add(oObject, sKey);
}

std::shared_ptr<host::Object> CExplorerWrapper::GetAssociatedObject(const std::string& sKey) {
  return host::Deref(m_colAssociated).Item(sKey);
}

void CExplorerWrapper::RemoveAssociatedObject(const std::string& sKey) {
  host::Deref(m_colAssociated).Remove(sKey);
}

void CExplorerWrapper::m_oExplorer_Activate() {
  try {
    if (m_bWaitActivate) {
      m_bWaitActivate = false;
      Init(m_oExplorer, true);
    }
  } catch (...) {
    mExplorersWrapper::ReportExplorerError(host::CurrentError(), "m_oExplorer_Activate");
  }
}

void CExplorerWrapper::m_oExplorer_Close() {
  try {
    Done();
    mExplorersWrapper::RaiseExplorerEvent("Close", nullptr);
  } catch (...) {
    mExplorersWrapper::ReportExplorerError(host::CurrentError(), "m_oExplorer_Close");
  }
}

void CExplorerWrapper::m_oExplorer_FolderSwitch() {
  try {
    mExplorersWrapper::RaiseExplorerEvent("FolderSwitch", ArgsWithSelf());
  } catch (...) {
    mExplorersWrapper::ReportExplorerError(host::CurrentError(), "m_oExplorer_FolderSwitch");
  }
}

void CExplorerWrapper::m_oExplorer_SelectionChange() {
  try {
    mExplorersWrapper::RaiseExplorerEvent("SelectionChange", ArgsWithSelf());
  } catch (...) {
    mExplorersWrapper::ReportExplorerError(host::CurrentError(), "m_oExplorer_SelectionChange");
  }
}
