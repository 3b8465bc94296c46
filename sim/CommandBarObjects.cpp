#include "sim/CommandBarObjects.h"

#include <algorithm>
#include <cctype>

#include "host/Text.h"
#include "sim/OutlookObjects.h"

namespace sim {
namespace {

constexpr int32_t kBarPopup = 5;  // msoBarPopup: context menus and the bars of popups
constexpr const char* kControlGone = "The control has been deleted.";

// Members every control has, over its ControlNode state.
// Faults are injected under "<kType>.<member>" ("CommandBarButton.Caption").
template <class Iface, MemberName kType>
class ControlBase : public Iface, public ControlNode {
 public:
  explicit ControlBase(std::shared_ptr<Session> pSession) : m_pSession(std::move(pSession)) {}

  std::shared_ptr<host::CommandBarControl> AsControl() override {
    return std::dynamic_pointer_cast<host::CommandBarControl>(this->shared_from_this());
  }

  int32_t Id() override { return Read<"Id">(nId); }
  int32_t Type() override { return Read<"Type">(nType); }
  std::string Caption() override { return Read<"Caption">(sCaption); }
  void SetCaption(const std::string& s) override { Write<"Caption">(sCaption, s); }
  std::string Tag() override { return Read<"Tag">(sTag); }
  void SetTag(const std::string& s) override { Write<"Tag">(sTag, s); }
  std::string TooltipText() override { return Read<"TooltipText">(sTooltip); }
  void SetTooltipText(const std::string& s) override { Write<"TooltipText">(sTooltip, s); }
  bool BeginGroup() override { return Read<"BeginGroup">(bBeginGroup); }
  void SetBeginGroup(bool b) override { Write<"BeginGroup">(bBeginGroup, b); }
  bool Visible() override { return Read<"Visible">(bVisible); }
  void SetVisible(bool b) override { Write<"Visible">(bVisible, b); }
  int32_t Index() override {
    Enter<"Index">();
    auto pBar = wBar.lock();
    if (!pBar) host::Raise(host::err::E_FAIL, kControlGone);
    return pBar->IndexOf(this);
  }

 protected:
  template <MemberName kMember>
  void Enter() {
    m_pSession->Hit<kType, kMember>();
    if (bDeleted) host::Raise(host::err::E_FAIL, kControlGone);
  }
  // A property that only keeps its value: the fault hook and the deleted control are its only
  // ways to fail.
  template <MemberName kMember, class T>
  const T& Read(const T& field) {
    Enter<kMember>();
    return field;
  }
  template <MemberName kMember, class T>
  void Write(T& field, const T& value) {
    Enter<kMember>();
    field = value;
  }

  std::shared_ptr<Session> m_pSession;
};

class ButtonObj : public ControlBase<host::CommandBarButton, "CommandBarButton"> {
 public:
  using ControlBase::ControlBase;

  int32_t Style() override { return Read<"Style">(nStyle); }
  void SetStyle(int32_t n) override {
    Enter<"Style">();
    if (n < 0 || n > 3) host::Raise(host::err::InvalidProcedureCall);
    nStyle = n;
  }
  int32_t FaceId() override { return Read<"FaceId">(nFaceId); }
  void SetFaceId(int32_t n) override { Write<"FaceId">(nFaceId, n); }
  void PasteFace() override {
    Enter<"PasteFace">();
    std::shared_ptr<host::Picture> p =
        m_pSession->fnClipboardPicture ? m_pSession->fnClipboardPicture() : nullptr;
    if (!p) host::Raise(host::err::E_FAIL, "Method 'PasteFace' of object '_CommandBarButton' failed");
    pPicture = std::move(p);
    ++nPastedFaces;
  }
  // Office 2000 has neither Picture nor Mask: a late-bound call finds no such member.
  void SetPicture(const std::shared_ptr<host::Picture>& oPicture) override {
    Enter<"Picture">();
    if (m_pSession->nMajorVersion <= 9) host::Raise(host::err::NoSuchMember);
    host::Deref(oPicture);
    pPicture = oPicture;
  }
  void SetMask(const std::shared_ptr<host::Picture>& oMask) override {
    Enter<"Mask">();
    if (m_pSession->nMajorVersion <= 9) host::Raise(host::err::NoSuchMember);
    host::Deref(oMask);
    pMask = oMask;
  }
};

class ControlsObj : public host::CommandBarControls {
 public:
  ControlsObj(std::shared_ptr<Session> pSession, std::shared_ptr<BarObj> pBar)
      : m_pSession(std::move(pSession)), m_pBar(std::move(pBar)) {}

  std::shared_ptr<host::CommandBarControl> Add(const host::Variant& Type, const host::Variant& Id,
                                               const host::Variant& Parameter, const host::Variant& Before,
                                               const host::Variant& Temporary) override {
    m_pSession->Hit<"CommandBarControls.Add">();
    if (m_pBar->bDeleted) host::Raise(host::err::E_FAIL, "The command bar has been deleted.");
    if (m_pBar->nProtection & host::msoBarNoCustomize)
      host::Raise(host::err::E_FAIL, "Method 'Add' of object 'CommandBarControls' failed");
    int32_t nType = Type.IsEmpty() ? host::msoControlButton : Type.ToLong();
    if (nType != host::msoControlButton && nType != host::msoControlPopup)
      host::Raise(host::err::InvalidProcedureCall, "The simulation has only buttons (1) and popups (10).");
    int32_t nId = Id.IsEmpty() ? 1 : Id.ToLong();
    size_t nCount = m_pBar->vecControls.size();
    size_t nBefore = nCount;
    if (!Before.IsEmpty()) {
      int32_t n = Before.ToLong();
      if (n < 1 || static_cast<size_t>(n) > nCount + 1) host::Raise(host::err::InvalidProcedureCall);
      nBefore = static_cast<size_t>(n - 1);
    }
    bool bTemporary = !Temporary.IsEmpty() && Temporary.ToBool();
    auto pNode = m_pBar->AddControl(nType, nId, std::string(), bTemporary, nBefore);
    if (!Parameter.IsEmpty()) pNode->sParameter = Parameter.ToString();
    return pNode->AsControl();
  }
  int32_t Count() override {
    return HookedCount<"CommandBarControls.Count">(*m_pSession, m_pBar->vecControls);
  }
  std::shared_ptr<host::CommandBarControl> Item(const host::Variant& Index) override {
    m_pSession->Hit<"CommandBarControls.Item">();
    auto& vec = m_pBar->vecControls;
    if (Index.IsString()) {
      std::string s = Index.ToString();
      for (const auto& p : vec)
        if (host::EqualsNoCase(p->sCaption, s)) return p->AsControl();
      host::Raise(host::err::InvalidProcedureCall);
    }
    int32_t n = Index.ToLong();
    if (n < 1 || static_cast<size_t>(n) > vec.size()) host::Raise(host::err::InvalidProcedureCall);
    return vec[static_cast<size_t>(n - 1)]->AsControl();
  }

 private:
  std::shared_ptr<Session> m_pSession;
  std::shared_ptr<BarObj> m_pBar;
};

class PopupObj : public ControlBase<host::CommandBarPopup, "CommandBarPopup"> {
 public:
  using ControlBase::ControlBase;

  std::shared_ptr<host::CommandBar> CommandBar() override { return Read<"CommandBar">(pSubBar); }
  std::shared_ptr<host::CommandBarControls> Controls() override {
    Enter<"Controls">();
    return std::make_shared<ControlsObj>(m_pSession, pSubBar);
  }
};

}  // namespace

// --- BarObj ---

BarObj::BarObj(std::shared_ptr<Session> pSession, std::string sNameIn, int32_t nPositionIn)
    : sName(std::move(sNameIn)), nPosition(nPositionIn), m_pSession(std::move(pSession)) {}

std::shared_ptr<host::CommandBarControls> BarObj::Controls() {
  Enter<"Controls">();
  return std::make_shared<ControlsObj>(m_pSession, std::static_pointer_cast<BarObj>(shared_from_this()));
}

std::shared_ptr<host::CommandBarControl> BarObj::FindControl(const host::Variant& Type,
                                                             const host::Variant& Id,
                                                             const host::Variant& Tag,
                                                             const host::Variant& Visible,
                                                             const host::Variant& Recursive) {
  Enter<"FindControl">();
  std::string sTag = Tag.IsEmpty() ? std::string() : Tag.ToString();
  auto pNode = Find(Type.IsEmpty() ? 0 : Type.ToLong(), Id.IsEmpty() ? 0 : Id.ToLong(),
                    Tag.IsEmpty() ? nullptr : &sTag, !Visible.IsEmpty() && Visible.ToBool(),
                    !Recursive.IsEmpty() && Recursive.ToBool());
  return pNode ? pNode->AsControl() : nullptr;
}

void BarObj::SetPosition(int32_t n) {
  Enter<"Position">();
  if (nPosition == kBarPopup || n < host::msoBarLeft || n > host::msoBarFloating)
    host::Raise(host::err::InvalidProcedureCall);
  nPosition = n;
}

void BarObj::SetRowIndex(int32_t n) {
  Enter<"RowIndex">();
  constexpr int32_t msoBarRowFirst = 0, msoBarRowLast = -1;
  if (n < msoBarRowLast) host::Raise(host::err::InvalidProcedureCall);
  if (n == msoBarRowFirst) n = 1;
  if (n == msoBarRowLast) {
    n = 1;
    if (auto pOwner = wOwner.lock())
      for (const auto& p : pOwner->vecBars)
        if (p.get() != this && p->nPosition == nPosition) n = std::max(n, p->nRowIndex + 1);
  }
  nRowIndex = n;
}

std::shared_ptr<ControlNode> BarObj::AddControl(int32_t nType, int32_t nId, const std::string& sCaption,
                                                bool bTemporaryControl, size_t nBefore) {
  std::shared_ptr<ControlNode> pNode;
  if (nType == host::msoControlPopup) {
    auto pPopup = std::make_shared<PopupObj>(m_pSession);
    pPopup->pSubBar = std::make_shared<BarObj>(m_pSession, sCaption, kBarPopup);
    pNode = pPopup;
  } else {
    pNode = std::make_shared<ButtonObj>(m_pSession);
  }
  pNode->nType = nType;
  pNode->nId = nId;
  pNode->sCaption = sCaption;
  pNode->bTemporary = bTemporaryControl;
  pNode->wBar = std::static_pointer_cast<BarObj>(shared_from_this());
  vecControls.insert(vecControls.begin() + static_cast<std::ptrdiff_t>(std::min(nBefore, vecControls.size())),
                     pNode);
  return pNode;
}

std::shared_ptr<ControlNode> BarObj::Find(int32_t nType, int32_t nId, const std::string* pTag,
                                          bool bVisibleOnly, bool bRecursive) const {
  for (const auto& p : vecControls) {
    bool bMatch = (nType == 0 || p->nType == nType) && (nId == 0 || p->nId == nId) &&
                  (!pTag || p->sTag == *pTag) && (!bVisibleOnly || p->bVisible);
    if (bMatch) return p;
    if (bRecursive && p->pSubBar)
      if (auto pInner = p->pSubBar->Find(nType, nId, pTag, bVisibleOnly, true)) return pInner;
  }
  return nullptr;
}

int32_t BarObj::IndexOf(const ControlNode* pNode) const {
  for (size_t i = 0; i < vecControls.size(); ++i)
    if (vecControls[i].get() == pNode) return static_cast<int32_t>(i + 1);
  host::Raise(host::err::E_FAIL, kControlGone);
}

void BarObj::RemoveTemporary() {
  std::vector<std::shared_ptr<ControlNode>> vecKept;
  for (auto& p : vecControls) {
    if (p->bTemporary) {
      p->bDeleted = true;
      if (p->pSubBar) p->pSubBar->MarkDeleted();
    } else {
      if (p->pSubBar) p->pSubBar->RemoveTemporary();
      vecKept.push_back(p);
    }
  }
  vecControls = std::move(vecKept);
}

void BarObj::MarkDeleted() {
  bDeleted = true;
  for (auto& p : vecControls) {
    p->bDeleted = true;
    if (p->pSubBar) p->pSubBar->MarkDeleted();
  }
}

void BarObj::CollectButtons(std::vector<std::shared_ptr<ControlNode>>& vecOut) const {
  for (const auto& p : vecControls) {
    if (p->nType == host::msoControlButton) vecOut.push_back(p);
    if (p->pSubBar) p->pSubBar->CollectButtons(vecOut);
  }
}

// --- BarsObj ---

BarsObj::BarsObj(std::shared_ptr<Session> pSession, std::weak_ptr<ExplorerObj> wExplorer)
    : m_pSession(std::move(pSession)), m_wExplorer(std::move(wExplorer)) {}

void BarsObj::BuildBuiltIns() {
  auto fnBar = [&](const char* sName, int32_t nPosition, int32_t nRow) {
    auto pBar = std::make_shared<BarObj>(m_pSession, sName, nPosition);
    pBar->nRowIndex = nRow;
    pBar->wOwner = std::static_pointer_cast<BarsObj>(shared_from_this());
    vecBars.push_back(pBar);
    return pBar;
  };
  auto fnButtons = [](BarObj& oBar, std::initializer_list<std::pair<int32_t, const char*>> lst) {
    for (const auto& [nId, sCaption] : lst)
      oBar.AddControl(host::msoControlButton, nId, sCaption, false, SIZE_MAX);
  };

  auto pMenu = fnBar("Menu Bar", host::msoBarTop, 1);
  for (const auto& [nId, sCaption] : {std::pair<int32_t, const char*>{30002, "&File"},
                                      {30003, "&Edit"},
                                      {30004, "&View"},
                                      {30007, "&Tools"}})
    fnButtons(*pMenu->AddControl(host::msoControlPopup, nId, sCaption, false, SIZE_MAX)->pSubBar,
              {{1757, "&New"}});
  // One Actions menu per folder kind (mail, calendar, contacts, tasks), each with control 356.
  for (int32_t nId : {30131, 30142, 30141, 30149})
    fnButtons(*pMenu->AddControl(host::msoControlPopup, nId, "&Actions", false, SIZE_MAX)->pSubBar,
              {{1757, "&New"}, {356, "&Forward"}, {354, "&Reply"}});
  fnButtons(*pMenu->AddControl(host::msoControlPopup, 30010, "&Help", false, SIZE_MAX)->pSubBar,
            {{984, "&About"}});

  fnButtons(*fnBar("Standard", host::msoBarTop, 2), {{1757, "&New"}, {2521, "&Print"}, {478, "&Delete"}});
  auto pAdvanced = fnBar("Advanced", host::msoBarTop, 3);
  fnButtons(*pAdvanced, {{1807, "Outlook Today"}});
  pAdvanced->bVisible = false;

  const Profile& oProfile = *m_pSession->pProfile;
  int32_t nProtection = oProfile.bProtectContextMenus ? host::msoBarNoCustomize : 0;
  auto pContext = fnBar("Context Menu", kBarPopup, 1);
  fnButtons(*pContext, {{355, "&Open"}, {356, "&Forward"}, {1970, "Categor&ies..."}, {478, "&Delete"}});
  if (oProfile.nBlockingContextControl != 0)
    fnButtons(*pContext, {{oProfile.nBlockingContextControl, "Add-in Command"}});
  pContext->nProtection = nProtection;
  auto pFolderContext = fnBar("Folder Context Menu", kBarPopup, 1);
  fnButtons(*pFolderContext,
            {{1950, "&Open"}, {1951, "Open in New &Window"}, {1952, "&Copy Folder"}, {1953, "P&roperties"}});
  pFolderContext->nProtection = nProtection;
}

std::shared_ptr<host::CommandBar> BarsObj::Add(const host::Variant& Name, const host::Variant& Position,
                                               const host::Variant&, const host::Variant& Temporary) {
  m_pSession->Hit<"CommandBars.Add">();
  std::string sName = Name.IsEmpty() ? "Custom " + std::to_string(vecBars.size() + 1) : Name.ToString();
  if (BarNamed(sName))
    host::Raise(host::err::InvalidProcedureCall, "A command bar named \"" + sName + "\" exists.");
  int32_t nPosition = Position.IsEmpty() ? host::msoBarFloating : Position.ToLong();
  if (nPosition < host::msoBarLeft || nPosition > kBarPopup) host::Raise(host::err::InvalidProcedureCall);
  auto pBar = std::make_shared<BarObj>(m_pSession, sName, nPosition);
  int32_t nRow = 0;
  for (const auto& p : vecBars)
    if (p->nPosition == nPosition) nRow = std::max(nRow, p->nRowIndex);
  pBar->nRowIndex = nRow + 1;
  pBar->wOwner = std::static_pointer_cast<BarsObj>(shared_from_this());
  pBar->bVisible = false;
  pBar->bTemporary = !Temporary.IsEmpty() && Temporary.ToBool();
  vecBars.push_back(pBar);
  return pBar;
}

std::shared_ptr<host::CommandBar> BarsObj::Item(const host::Variant& Index) {
  m_pSession->Hit<"CommandBars.Item">();
  if (Index.IsString()) {
    if (auto p = BarNamed(Index.ToString())) return p;
    host::Raise(host::err::InvalidProcedureCall,
                "There is no command bar named \"" + Index.ToString() + "\".");
  }
  int32_t n = Index.ToLong();
  if (n < 1 || static_cast<size_t>(n) > vecBars.size()) host::Raise(host::err::InvalidProcedureCall);
  return vecBars[static_cast<size_t>(n - 1)];
}

int32_t BarsObj::Count() {
  return HookedCount<"CommandBars.Count">(*m_pSession, vecBars);
}

std::shared_ptr<host::Object> BarsObj::Parent() {
  m_pSession->Hit<"CommandBars.Parent">();
  return m_wExplorer.lock();
}

namespace {
// Bar names are nearly always ASCII: compared without folding whole strings, which Office's
// frequent look-ups by name would otherwise pay for every bar.
bool IsAscii(const std::string& s) {
  for (char c : s)
    if (static_cast<unsigned char>(c) >= 0x80) return false;
  return true;
}

bool SameBarName(const std::string& a, const std::string& b) {
  if (a.size() != b.size()) return !(IsAscii(a) && IsAscii(b)) && host::EqualsNoCase(a, b);
  for (size_t i = 0; i < a.size(); ++i) {
    unsigned char ca = static_cast<unsigned char>(a[i]), cb = static_cast<unsigned char>(b[i]);
    if (ca >= 0x80 || cb >= 0x80) return host::EqualsNoCase(a, b);
    if (ca != cb && std::tolower(ca) != std::tolower(cb)) return false;
  }
  return true;
}
}  // namespace

std::shared_ptr<BarObj> BarsObj::BarNamed(const std::string& sName) const {
  for (const auto& p : vecBars)
    if (SameBarName(p->sName, sName)) return p;
  return nullptr;
}

void BarsObj::RemoveTemporary() {
  std::vector<std::shared_ptr<BarObj>> vecKept;
  for (auto& p : vecBars) {
    if (p->bTemporary) {
      p->MarkDeleted();
    } else {
      p->RemoveTemporary();
      vecKept.push_back(p);
    }
  }
  vecBars = std::move(vecKept);
}

void BarsObj::RaiseUpdate() {
  auto pSelf = std::static_pointer_cast<BarsObj>(shared_from_this());  // handlers may close the window
  m_pSession->RaiseAtBoundary("CommandBars.OnUpdate", pSelf->OnUpdate);
}

ControlNode* ControlNodeOf(const std::shared_ptr<host::Object>& oControl) {
  return dynamic_cast<ControlNode*>(oControl.get());
}

void RaiseClick(Session& oSession, ControlNode& oButton) {
  auto pButton = std::dynamic_pointer_cast<host::CommandBarButton>(oButton.AsControl());
  if (!pButton) return;
  bool bCancelDefault = false;
  oSession.RaiseAtBoundary("CommandBarButton.Click", pButton->OnClick, pButton, bCancelDefault);
}

}  // namespace sim
