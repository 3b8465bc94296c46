#include "sim/Outlook.h"

#include <algorithm>

#include "host/Text.h"
#include "sim/CommandBarObjects.h"
#include "sim/ItemObjects.h"
#include "sim/OutlookObjects.h"
#include "sim/Redemption.h"
#include "sim/Session.h"

namespace sim {
namespace {

std::string WithoutAccelerator(const std::string& s) {
  std::string r;
  for (char c : s)
    if (c != '&') r += c;
  return r;
}

bool Names(const ControlNode& oNode, const std::string& sStep) {
  return (!oNode.sTag.empty() && oNode.sTag == sStep) ||
         host::EqualsNoCase(WithoutAccelerator(oNode.sCaption), WithoutAccelerator(sStep));
}

std::shared_ptr<ExplorerObj> ExplorerOf(const Session& o, int n) {
  if (n < 1 || static_cast<size_t>(n) > o.vecExplorers.size())
    host::Raise(host::err::SubscriptOutOfRange, "There is no explorer " + std::to_string(n) + ".");
  return o.vecExplorers[static_cast<size_t>(n - 1)];
}

FolderData* FolderOf(const Session& o, const std::string& sPath) {
  FolderData* p = o.oModel.FolderByPath(sPath);
  if (!p) host::Raise(kErrNotFound, "There is no folder \"" + sPath + "\".");
  return p;
}

}  // namespace

Outlook::Outlook(std::shared_ptr<const Profile> pProfile, std::string sVersionOverride) {
  if (!pProfile) host::Raise(host::err::ObjectNotSet);
  std::string sVersion = sVersionOverride.empty() ? pProfile->sVersion : sVersionOverride;
  if (MajorOf(sVersion) == 0)
    host::Raise(host::err::InvalidProcedureCall,
                "\"" + sVersion + "\" is not an Outlook version like 11.0.5608.");
  m_pSession = std::make_shared<Session>(std::move(pProfile), std::move(sVersion));
  m_pSession->Init();
  SetRedemptionInstalled(m_pSession, m_pSession->pProfile->bRedemption);
}

Outlook::~Outlook() {
  SetRedemptionInstalled(m_pSession, false);
  m_pSession->Release();
}

std::shared_ptr<host::Application> Outlook::Application() const {
  return m_pSession->pApp;
}
FaultInjector& Outlook::Faults() {
  return m_pSession->oFaults;
}
SupportLibraryStandIn& Outlook::Support() {
  return *m_pSession->pSupport;
}
std::shared_ptr<SupportLibraryStandIn> Outlook::SupportLibrary() const {
  return m_pSession->pSupport;
}
const Profile& Outlook::ProfileData() const {
  return *m_pSession->pProfile;
}
std::string Outlook::Version() const {
  return m_pSession->sVersion;
}
Model& Outlook::Data() const {
  return m_pSession->oModel;
}

// --- The add-in ---

void Outlook::Start(std::shared_ptr<host::AddIn> pAddIn) {
  Session& o = *m_pSession;
  if (o.bStarted) host::Raise(host::err::InvalidProcedureCall, "Outlook has already started.");
  o.bStarted = true;
  for (const auto& sPath : o.pProfile->vecStartupExplorers) {
    auto pExplorer = std::make_shared<ExplorerObj>(m_pSession, FolderOf(o, sPath));
    pExplorer->Init();
    o.vecExplorers.push_back(pExplorer);
    if (o.wActive.expired()) o.wActive = pExplorer;
  }
  if (!pAddIn) return;
  o.pAddIn = pAddIn;
  size_t nEscaped = o.vecEscaped.size();
  host::Variant vCustom;
  o.AtBoundary("AddIn.OnConnection",
               [&] { pAddIn->OnConnection(o.pApp, host::ext_cm_Startup, nullptr, vCustom); });
  // An add-in that fails to connect is not loaded.
  if (o.vecEscaped.size() != nEscaped) {
    o.pAddIn.reset();
    return;
  }
  o.AtBoundary("AddIn.OnStartupComplete", [&] { pAddIn->OnStartupComplete(vCustom); });
}

void Outlook::Quit() {
  Session& o = *m_pSession;
  if (auto pAddIn = std::exchange(o.pAddIn, nullptr)) {
    host::Variant vCustom;
    o.AtBoundary("AddIn.OnBeginShutdown", [&] { pAddIn->OnBeginShutdown(vCustom); });
    o.AtBoundary("AddIn.OnDisconnection",
                 [&] { pAddIn->OnDisconnection(host::ext_dm_HostShutdown, vCustom); });
  }
  auto vecGone = std::move(o.vecExplorers);
  o.vecExplorers.clear();
  o.wActive.reset();
  for (auto& p : vecGone) p->MarkClosed();
}

void Outlook::Disconnect() {
  Session& o = *m_pSession;
  if (auto pAddIn = std::exchange(o.pAddIn, nullptr)) {
    host::Variant vCustom;
    o.AtBoundary("AddIn.OnDisconnection", [&] { pAddIn->OnDisconnection(host::ext_dm_UserClosed, vCustom); });
  }
}

bool Outlook::AddInConnected() const {
  return m_pSession->pAddIn != nullptr;
}
const std::vector<host::ErrorInfo>& Outlook::EscapedErrors() const {
  return m_pSession->vecEscaped;
}
const std::vector<std::string>& Outlook::EscapedErrorPlaces() const {
  return m_pSession->vecEscapedPlaces;
}
void Outlook::SetOnEscaped(std::function<void(const std::string&, const host::ErrorInfo&)> fn) {
  m_pSession->fnOnEscaped = std::move(fn);
}

// --- Explorers ---

int Outlook::ExplorerCount() const {
  return static_cast<int>(m_pSession->vecExplorers.size());
}

std::shared_ptr<host::Explorer> Outlook::ExplorerAt(int n) const {
  return ExplorerOf(*m_pSession, n);
}

int Outlook::ActiveExplorerIndex() const {
  auto pActive = m_pSession->ActiveExplorer();
  const auto& vec = m_pSession->vecExplorers;
  auto it = std::find(vec.begin(), vec.end(), pActive);
  return pActive && it != vec.end() ? static_cast<int>(it - vec.begin()) + 1 : 0;
}

int Outlook::OpenExplorer(const std::string& sFolderPath) {
  Session& o = *m_pSession;
  auto pExplorer = std::make_shared<ExplorerObj>(m_pSession, FolderOf(o, sFolderPath));
  pExplorer->Init();
  o.vecExplorers.push_back(pExplorer);
  int nPosition = static_cast<int>(o.vecExplorers.size());
  auto pExplorers = o.pExplorers;
  o.RaiseAtBoundary("Explorers.NewExplorer", pExplorers->OnNewExplorer, pExplorer);
  return nPosition;
}

void Outlook::ActivateExplorer(int n) {
  Session& o = *m_pSession;
  auto pExplorer = ExplorerOf(o, n);
  o.wActive = pExplorer;
  o.RaiseAtBoundary("Explorer.Activate", pExplorer->OnActivate);
  if (!pExplorer->IsClosed()) pExplorer->Bars()->RaiseUpdate();
}

void Outlook::CloseExplorer(int n) {
  Session& o = *m_pSession;
  auto pExplorer = ExplorerOf(o, n);
  if (!pExplorer->BeginClose()) return;
  o.RaiseAtBoundary("Explorer.Close", pExplorer->OnClose);
  auto& vec = o.vecExplorers;
  vec.erase(std::remove(vec.begin(), vec.end(), pExplorer), vec.end());
  pExplorer->MarkClosed();
  // Another window comes to the front; Outlook raises no Activate for it before the user acts.
  if (o.wActive.lock() == pExplorer) {
    o.wActive.reset();
    if (!vec.empty()) o.wActive = vec.back();
  }
}

void Outlook::SwitchFolder(int n, const std::string& sFolderPath) {
  Session& o = *m_pSession;
  auto pExplorer = ExplorerOf(o, n);
  pExplorer->SetFolder(FolderOf(o, sFolderPath));
  o.RaiseAtBoundary("Explorer.FolderSwitch", pExplorer->OnFolderSwitch);
  if (!pExplorer->IsClosed()) pExplorer->Bars()->RaiseUpdate();
}

void Outlook::Select(int n, const std::vector<std::string>& vecEntryIDs) {
  Session& o = *m_pSession;
  auto pExplorer = ExplorerOf(o, n);
  std::vector<ItemPtr> vecItems;
  vecItems.reserve(vecEntryIDs.size());
  for (const auto& sID : vecEntryIDs) {
    ItemPtr p = o.oModel.ItemByID(sID);
    if (!p) host::Raise(kErrNotFound, "There is no item " + sID + ".");
    vecItems.push_back(std::move(p));
  }
  pExplorer->SetSelection(std::move(vecItems));
  o.RaiseAtBoundary("Explorer.SelectionChange", pExplorer->OnSelectionChange);
  if (!pExplorer->IsClosed()) pExplorer->Bars()->RaiseUpdate();
}

void Outlook::RaiseUpdate(int n) {
  ExplorerOf(*m_pSession, n)->Bars()->RaiseUpdate();
}

// --- Command bars ---

std::shared_ptr<host::CommandBarControl> Outlook::FindControl(int n,
                                                              const std::vector<std::string>& vecPath) const {
  if (vecPath.empty()) return nullptr;
  std::shared_ptr<BarObj> pBar = ExplorerOf(*m_pSession, n)->Bars()->BarNamed(vecPath.front());
  std::shared_ptr<ControlNode> pNode;
  for (size_t i = 1; i < vecPath.size(); ++i) {
    if (!pBar) return nullptr;
    auto it = std::find_if(pBar->vecControls.begin(), pBar->vecControls.end(),
                           [&](const auto& p) { return Names(*p, vecPath[i]); });
    if (it == pBar->vecControls.end()) return nullptr;
    pNode = *it;
    pBar = pNode->pSubBar;
  }
  return pNode ? pNode->AsControl() : nullptr;
}

void Outlook::Click(const std::shared_ptr<host::CommandBarControl>& oControl) {
  Session& o = *m_pSession;
  ControlNode* pClicked = ControlNodeOf(oControl);
  if (!pClicked) host::Raise(host::err::InvalidProcedureCall, "Not a control of this simulation.");
  if (pClicked->bDeleted) host::Raise(host::err::E_FAIL, "The control has been deleted.");
  if (pClicked->nType != host::msoControlButton)
    host::Raise(host::err::InvalidProcedureCall, "Only buttons click.");
  if (!pClicked->bVisible) host::Raise(host::err::InvalidProcedureCall, "A hidden button cannot be clicked.");
  // Office raises Click on every button that shares the clicked one's Tag, in every window.
  std::vector<std::shared_ptr<ControlNode>> vecTargets;
  if (!pClicked->sTag.empty())
    for (const auto& pExplorer : o.vecExplorers)
      for (const auto& pBar : pExplorer->Bars()->vecBars) pBar->CollectButtons(vecTargets);
  vecTargets.erase(
      std::remove_if(vecTargets.begin(), vecTargets.end(),
                     [&](const auto& p) { return p.get() == pClicked || p->sTag != pClicked->sTag; }),
      vecTargets.end());
  auto pKeep = oControl;  // the clicked button lives through its handlers
  RaiseClick(o, *pClicked);
  for (const auto& p : vecTargets)
    if (!p->bDeleted) RaiseClick(o, *p);
}

void Outlook::SetClipboardPictureSource(std::function<std::shared_ptr<host::Picture>()> fnPicture) {
  m_pSession->fnClipboardPicture = std::move(fnPicture);
}

// --- Model access ---

std::shared_ptr<host::MAPIFolder> Outlook::FolderByPath(const std::string& sPath) const {
  return m_pSession->FolderObject(FolderOf(*m_pSession, sPath));
}

std::string Outlook::PathOf(const std::shared_ptr<host::MAPIFolder>& oFolder) const {
  FolderData* p = FolderDataOf(oFolder);
  if (!p) host::Raise(host::err::InvalidProcedureCall, "Not a folder of this simulation.");
  return p->sPath;
}

std::vector<std::shared_ptr<host::MAPIFolder>> Outlook::AllFolders() const {
  std::vector<std::shared_ptr<host::MAPIFolder>> vec;
  for (FolderData* p : m_pSession->oModel.AllFolders()) vec.push_back(m_pSession->FolderObject(p));
  return vec;
}

std::shared_ptr<host::OutlookItem> Outlook::ItemByID(const std::string& sEntryID) const {
  ItemPtr p = m_pSession->oModel.ItemByID(sEntryID);
  if (!p) host::Raise(kErrNotFound, "There is no item " + sEntryID + ".");
  return m_pSession->ItemObject(p);
}

void Outlook::DeleteItem(const std::string& sEntryID) {
  ItemPtr p = m_pSession->oModel.ItemByID(sEntryID);
  if (!p) host::Raise(kErrNotFound, "There is no item " + sEntryID + ".");
  m_pSession->oModel.DeleteItem(p);
}

std::vector<std::shared_ptr<host::OutlookItem>> Outlook::DisplayedItems() const {
  return m_pSession->vecDisplayed;
}

}  // namespace sim
