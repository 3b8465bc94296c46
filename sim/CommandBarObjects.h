// The Office command bars of a simulated explorer: the built-in "Menu Bar" (with the Actions
// popups of the four folder kinds), "Standard", "Advanced", "Context Menu" and "Folder Context
// Menu", the toolbars an add-in adds, and buttons and popups with their properties and Click.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "host/Office.h"
#include "sim/Session.h"

namespace sim {

class BarObj;
class BarsObj;
class ExplorerObj;

// The state of one control; the button and popup objects carry it.
struct ControlNode {
  virtual ~ControlNode() = default;
  virtual std::shared_ptr<host::CommandBarControl> AsControl() = 0;

  int32_t nId = 1;
  int32_t nType = host::msoControlButton;
  std::string sCaption;
  std::string sTag;
  std::string sTooltip;
  std::string sParameter;
  bool bBeginGroup = false;
  bool bVisible = true;
  bool bTemporary = false;
  bool bDeleted = false;
  std::weak_ptr<BarObj> wBar;
  // Buttons.
  int32_t nStyle = 0;
  int32_t nFaceId = 0;
  std::shared_ptr<host::Picture> pPicture;
  std::shared_ptr<host::Picture> pMask;
  int32_t nPastedFaces = 0;
  // Popups: the popup's own bar.
  std::shared_ptr<BarObj> pSubBar;
};

class BarObj : public host::CommandBar {
 public:
  BarObj(std::shared_ptr<Session> pSession, std::string sName, int32_t nPosition);

  std::string Name() override { return Read<"Name">(sName); }
  std::shared_ptr<host::CommandBarControls> Controls() override;
  std::shared_ptr<host::CommandBarControl> FindControl(const host::Variant& Type, const host::Variant& Id,
                                                       const host::Variant& Tag, const host::Variant& Visible,
                                                       const host::Variant& Recursive) override;
  int32_t Position() override { return Read<"Position">(nPosition); }
  void SetPosition(int32_t n) override;
  int32_t RowIndex() override { return Read<"RowIndex">(nRowIndex); }
  void SetRowIndex(int32_t n) override;
  int32_t Left() override { return Read<"Left">(nLeft); }
  void SetLeft(int32_t n) override { Write<"Left">(nLeft, n); }
  int32_t Top() override { return Read<"Top">(nTop); }
  void SetTop(int32_t n) override { Write<"Top">(nTop, n); }
  int32_t Protection() override { return Read<"Protection">(nProtection); }
  void SetProtection(int32_t n) override { Write<"Protection">(nProtection, n); }
  bool Visible() override { return Read<"Visible">(bVisible); }
  void SetVisible(bool b) override { Write<"Visible">(bVisible, b); }

  // The model of the bar, for the simulation itself (no fault injection).
  std::shared_ptr<ControlNode> AddControl(int32_t nType, int32_t nId, const std::string& sCaption,
                                          bool bTemporary, size_t nBefore);
  std::shared_ptr<ControlNode> Find(int32_t nType, int32_t nId, const std::string* pTag, bool bVisibleOnly,
                                    bool bRecursive) const;
  int32_t IndexOf(const ControlNode* pNode) const;
  // Drops the temporary controls (in popups too); dropped controls fail from then on.
  void RemoveTemporary();
  void MarkDeleted();
  void CollectButtons(std::vector<std::shared_ptr<ControlNode>>& vecOut) const;

  std::vector<std::shared_ptr<ControlNode>> vecControls;
  std::string sName;
  int32_t nPosition;
  int32_t nRowIndex = 1;
  int32_t nLeft = 0;
  int32_t nTop = 0;
  int32_t nProtection = 0;
  bool bVisible = true;
  bool bTemporary = false;
  bool bDeleted = false;
  // The collection of a docked or floating bar (Nothing for the bars of popups): a row index of
  // 0 or -1 means the first or the last row among its bars.
  std::weak_ptr<BarsObj> wOwner;

 private:
  // Every member starts here: the fault hook under "CommandBar.<member>", then a deleted bar fails.
  template <MemberName kMember>
  void Enter() const {
    m_pSession->Hit<"CommandBar", kMember>();
    if (bDeleted) host::Raise(host::err::E_FAIL, "The command bar has been deleted.");
  }
  // A property that only keeps its value: the fault hook and the deleted bar are its only ways
  // to fail.
  template <MemberName kMember, class T>
  const T& Read(const T& field) const {
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

class BarsObj : public host::CommandBars {
 public:
  BarsObj(std::shared_ptr<Session> pSession, std::weak_ptr<ExplorerObj> wExplorer);
  // The built-in bars of an Outlook explorer.
  void BuildBuiltIns();

  std::shared_ptr<host::CommandBar> Add(const host::Variant& Name, const host::Variant& Position,
                                        const host::Variant& MenuBar,
                                        const host::Variant& Temporary) override;
  std::shared_ptr<host::CommandBar> Item(const host::Variant& Index) override;
  int32_t Count() override;
  std::shared_ptr<host::Object> Parent() override;

  std::shared_ptr<BarObj> BarNamed(const std::string& sName) const;
  void RemoveTemporary();
  // Raises OnUpdate at the host boundary.
  void RaiseUpdate();

  std::vector<std::shared_ptr<BarObj>> vecBars;

 private:
  std::shared_ptr<Session> m_pSession;
  std::weak_ptr<ExplorerObj> m_wExplorer;
};

// The control state behind a simulated control; nullptr for anything else.
ControlNode* ControlNodeOf(const std::shared_ptr<host::Object>& oControl);
// Raises Click on a simulated button at the host boundary.
void RaiseClick(Session& oSession, ControlNode& oButton);

}  // namespace sim
