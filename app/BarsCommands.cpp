#include "BarsCommands.h"

#include <fstream>
#include <iterator>
#include <sstream>

#include "addin/CExplorerWrapper.h"
#include "addin/CExplorersWrapper.h"
#include "addin/Connect.h"
#include "commands/CExplorerMenu.h"
#include "commands/mButtonFaces.h"
#include "host/Error.h"
#include "host/Text.h"
#include "platform/Clipboard.h"
#include "platform/portable/ClipboardModel.h"
#include "sim/CommandBarObjects.h"
#include "sim/OutlookObjects.h"

namespace app {
namespace {

using platform::portable::ClipboardModel;

int ExplorerNumber(SimSession& oSession, const std::string& s) {
  oSession.NeedStarted();
  return oSession.ExplorerNumber(s);
}

// The add-in's command set of an explorer; Nothing when it has none.
std::shared_ptr<CExplorerMenu> MenuOf(const std::shared_ptr<host::Explorer>& oExplorer) {
  std::shared_ptr<CExplorerMenu> oMenu;
  host::IgnoreErrors([&] {
    auto oWrappers = host::Deref(g_oConnect).GetExplorers();
    for (int32_t i = 1; i <= host::Deref(oWrappers).Count(); ++i) {
      auto oWrapper = oWrappers->Item(i);
      if (oWrapper->GetObject() != oExplorer) continue;
      host::IgnoreErrors([&] { oMenu = host::As<CExplorerMenu>(oWrapper->GetAssociatedObject("Menu")); });
    }
  });
  return oMenu;
}

// --- bars ---

struct CFaceNames {
  std::vector<std::pair<int32_t, std::shared_ptr<host::Picture>>> vecFaces;
  CFaceNames() {
    for (int32_t nId : {101, 102, 103, 104, 105, 106, 201, 202, 203, 204, 205, 206})
      host::IgnoreErrors([&] { vecFaces.emplace_back(nId, mButtonFaces::LoadFace(nId)); });
  }
  // The resource a picture came from; "picture" for one of no resource.
  std::string NameOf(const std::shared_ptr<host::Picture>& p) const {
    for (const auto& [nId, pFace] : vecFaces)
      if (pFace->nWidth == p->nWidth && pFace->nHeight == p->nHeight && pFace->pixels == p->pixels)
        return std::to_string(nId);
    return "picture " + std::to_string(p->nWidth) + "x" + std::to_string(p->nHeight);
  }
};

bool HoldsAddinControls(const sim::BarObj& oBar) {
  for (const auto& p : oBar.vecControls)
    if (p->bTemporary || (p->pSubBar && HoldsAddinControls(*p->pSubBar))) return true;
  return false;
}

std::string Shown(const std::string& s, const std::string& sMenuID) {
  std::string sOut = s;
  if (!sMenuID.empty())
    for (size_t n = sOut.find(sMenuID); n != std::string::npos; n = sOut.find(sMenuID, n))
      sOut.replace(n, sMenuID.size(), "<id>");
  return sOut;
}

void PrintControls(std::ostream& out, const sim::BarObj& oBar, bool bAddinBar, const std::string& sIndent,
                   const std::string& sMenuID, const CFaceNames& oFaces) {
  for (const auto& p : oBar.vecControls) {
    bool bAddin = bAddinBar || p->bTemporary;
    if (!bAddin && !(p->pSubBar && HoldsAddinControls(*p->pSubBar))) continue;
    out << sIndent << (p->nType == host::msoControlPopup ? "popup" : "button") << " \"" << p->sCaption
        << "\"";
    if (!p->sTag.empty()) out << " tag " << Shown(p->sTag, sMenuID);
    out << " id " << p->nId;
    if (!bAddin) {
      out << " (Outlook's)\n";
    } else {
      if (p->nType == host::msoControlButton) {
        out << " style " << p->nStyle;
        if (p->pPicture)
          out << " face " << oFaces.NameOf(p->pPicture) << (p->pMask ? "/" + oFaces.NameOf(p->pMask) : "")
              << (p->nPastedFaces ? " (pasted)" : "");
        else if (p->nFaceId)
          out << " faceid " << p->nFaceId;
      }
      if (!p->sTooltip.empty()) out << " tooltip \"" << p->sTooltip << "\"";
      if (p->bBeginGroup) out << " begin-group";
      if (p->bTemporary) out << " temporary";
      if (!p->bVisible) out << " hidden";
      out << "\n";
    }
    if (p->pSubBar) PrintControls(out, *p->pSubBar, bAddin, sIndent + "  ", sMenuID, oFaces);
  }
}

void PrintBars(SimSession& oSession, int n) {
  std::ostream& out = oSession.Out();
  auto oExplorer = oSession.Outlook().ExplorerAt(n);
  auto pExplorer = std::dynamic_pointer_cast<sim::ExplorerObj>(oExplorer);
  if (!pExplorer || !pExplorer->Bars())
    throw UsageError{"explorer " + std::to_string(n) + " has no command bars"};
  auto oMenu = MenuOf(oExplorer);
  std::string sMenuID = oMenu ? oMenu->MenuID() : std::string();
  static const CFaceNames s_oFaces;
  const char* kPositions[] = {"left", "top", "right", "bottom", "floating", "popup"};
  out << "Command bars of explorer " << n << " (add-in: "
      << (oMenu ? "command set, cached action " + std::to_string(oMenu->CachedAction()) : std::string("none"))
      << ")\n";
  for (const auto& pBar : pExplorer->Bars()->vecBars) {
    out << "  bar \"" << pBar->sName << "\" "
        << (pBar->nPosition >= 0 && pBar->nPosition <= 5 ? kPositions[pBar->nPosition] : "position ?");
    if (pBar->nPosition != 5) out << " row " << pBar->nRowIndex;
    if (pBar->nPosition == host::msoBarFloating) out << " at " << pBar->nLeft << "," << pBar->nTop;
    out << (pBar->bVisible ? "" : " hidden") << (pBar->nProtection ? " protection " : "")
        << (pBar->nProtection ? std::to_string(pBar->nProtection) : "")
        << (pBar->bTemporary ? " temporary" : "") << ", " << pBar->vecControls.size() << " control(s)\n";
    PrintControls(out, *pBar, pBar->bTemporary, "    ", sMenuID, s_oFaces);
  }
}

// --- click ---

CExplorerMenu::EButtonSet SetNamed(const std::string& s) {
  if (s == "toolbar") return CExplorerMenu::bsToolbar;
  if (s == "actions") return CExplorerMenu::bsActions;
  if (s == "context") return CExplorerMenu::bsContext;
  if (s == "folder") return CExplorerMenu::bsFolderContext;
  throw UsageError{"unknown set '" + s + "' (toolbar, actions, context, folder)"};
}

CExplorerMenu::EButton ButtonNamed(const std::string& s) {
  static const std::pair<const char*, CExplorerMenu::EButton> kButtons[] = {
      {"cached", CExplorerMenu::btCachedAction},
      {"to", CExplorerMenu::btTO},
      {"cc", CExplorerMenu::btCC},
      {"bcc", CExplorerMenu::btBCC},
      {"newdl", CExplorerMenu::btNewDL},
      {"existingdl", CExplorerMenu::btExistingDL},
      {"options", CExplorerMenu::btOptions},
      {"debug", CExplorerMenu::btDebug}};
  for (const auto& [sName, e] : kButtons)
    if (host::EqualsNoCase(s, sName)) return e;
  throw UsageError{"unknown button '" + s + "' (cached, to, cc, bcc, newdl, existingdl, options, debug)"};
}

// --- clipboard ---

std::string Printable(const std::vector<uint8_t>& vec) {
  std::string s(vec.begin(), vec.end());
  if (!s.empty() && s.back() == '\0') s.pop_back();
  std::string sOut;
  for (char c : s) sOut += (static_cast<unsigned char>(c) < 0x20) ? '.' : c;
  return sOut;
}

void ShowClipboard(std::ostream& out, const ClipboardModel& oModel) {
  auto vecEntries = oModel.Contents();
  out << "Clipboard: " << vecEntries.size() << " format(s)"
      << (oModel.HeldElsewhere() ? ", held by another program" : "") << "\n";
  for (const auto& o : vecEntries) {
    out << "  " << oModel.FormatName(o.uFormat);
    if (!o.bBlock) {
      out << " (derived from CF_DIB)\n";
      continue;
    }
    out << "  " << o.vecData.size() << " bytes";
    if (o.uFormat == platform::CF_TEXT || o.uFormat == platform::CF_OEMTEXT) {
      out << "  \"" << Printable(o.vecData) << "\"";
    } else if (o.uFormat == platform::CF_DIB) {
      host::IgnoreErrors([&] {
        auto p = mButtonFaces::PictureFromDib(o.vecData.data(), o.vecData.size());
        out << "  " << p->nWidth << "x" << p->nHeight << ", " << p->nBitsPerPixel << " bits per pixel";
      });
    }
    out << "\n";
  }
}

std::vector<uint8_t> ReadDibFile(const std::string& sPath) {
  std::ifstream in(sPath, std::ios::binary);
  if (!in) throw UsageError{"cannot read '" + sPath + "'"};
  std::vector<uint8_t> vecFile((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (vecFile.size() < 14 + 40 || vecFile[0] != 'B' || vecFile[1] != 'M')
    throw UsageError{"'" + sPath + "' is not a .bmp file"};
  std::vector<uint8_t> vecDib(vecFile.begin() + 14, vecFile.end());
  try {
    mButtonFaces::PictureFromDib(vecDib.data(), vecDib.size());
  } catch (const host::Error& e) {
    throw UsageError{"'" + sPath + "': " + e.Description() +
                     " (uncompressed 1, 4, 8, 24 or 32 bits per pixel)"};
  }
  return vecDib;
}

void RunBars(SimSession& oSession, const Args& a) {
  NeedArgs(a, 1, 1);
  PrintBars(oSession, ExplorerNumber(oSession, a[0]));
}

void RunClick(SimSession& oSession, const Args& a) {
  NeedArgs(a, 3, 3);
  int n = ExplorerNumber(oSession, a[0]);
  auto eSet = SetNamed(a[1]);
  auto eButton = ButtonNamed(a[2]);
  auto oMenu = MenuOf(oSession.Outlook().ExplorerAt(n));
  if (!oMenu) throw UsageError{"explorer " + a[0] + " has no command set of the add-in"};
  auto oButton = oMenu->ButtonOf(eSet, eButton);
  if (!oButton)
    throw UsageError{"explorer " + a[0] + " has no '" + a[2] + "' button in its " + a[1] + " set"};
  std::string sCaption, sTooltip;
  host::IgnoreErrors([&] {
    auto* pNode = sim::ControlNodeOf(oButton);
    sCaption = pNode->sCaption;
    sTooltip = pNode->sTooltip;
  });
  oSession.Out() << "  click \"" << (sCaption.empty() ? sTooltip : sCaption) << "\"\n";
  int32_t nReports = oSession.Outlook().Support().ProblemReports();
  oSession.Outlook().Click(oButton);
  if (oSession.Outlook().Support().ProblemReports() != nReports)
    oSession.Out() << "  support library: problem report\n";
}

void RunUpdate(SimSession& oSession, const Args& a) {
  NeedArgs(a, 1, 1);
  oSession.Outlook().RaiseUpdate(ExplorerNumber(oSession, a[0]));
}

// The run's clipboard, and where its command prints.
struct ClipboardCommand {
  std::shared_ptr<SimSession> pSession;
  std::shared_ptr<ClipboardModel> pClipboard;
};

void RunClipboard(ClipboardCommand& o, const Args& a) {
  const std::string sVerb = a.empty() ? "" : a[0];
  if (sVerb == "show" && a.size() == 1) {
    ShowClipboard(o.pSession->Out(), *o.pClipboard);
  } else if (sVerb == "hold" && a.size() == 1) {
    o.pClipboard->SetHeldElsewhere(true);
  } else if (sVerb == "release" && a.size() == 1) {
    o.pClipboard->SetHeldElsewhere(false);
  } else if (sVerb == "set" && a.size() >= 3 && a[1] == "text") {
    std::string sText = a[2];
    for (size_t i = 3; i < a.size(); ++i) sText += " " + a[i];
    std::vector<uint8_t> vecText(sText.begin(), sText.end());
    vecText.push_back(0);
    o.pClipboard->Replace({{platform::CF_TEXT, vecText, true}});
  } else if (sVerb == "set" && a.size() == 3 && a[1] == "dib") {
    o.pClipboard->Replace({{platform::CF_DIB, ReadDibFile(a[2]), true}});
  } else {
    ThrowUsage();
  }
}

}  // namespace

void RegisterBarsCommands(CommandTable& oTable, std::shared_ptr<SimSession> pSession) {
  auto pClipboard = std::make_shared<ClipboardModel>();
  platform::SetClipboard(pClipboard);
  // Office pastes a face from the bitmap on the clipboard (Windows derives it from a DIB).
  pSession->Outlook().SetClipboardPictureSource([pClipboard]() -> std::shared_ptr<host::Picture> {
    auto vecDib = pClipboard->Bitmap();
    if (!vecDib) return nullptr;
    std::shared_ptr<host::Picture> p;
    host::IgnoreErrors([&] { p = mButtonFaces::PictureFromDib(vecDib->data(), vecDib->size()); });
    return p;
  });

  oTable.Add({"bars", "N", "prints explorer N's command bars with the add-in's toolbar and popups",
              On(pSession, RunBars)});
  oTable.Add({"click", "N toolbar|actions|context|folder cached|to|cc|bcc|newdl|existingdl|options|debug",
              "clicks the add-in's most recent button of that kind in one of its four places in explorer N",
              On(pSession, RunClick)});
  oTable.Add({"update", "N", "raises OnUpdate of explorer N's command bars, as when the user opens a menu",
              On(pSession, RunUpdate)});
  oTable.Add({"clipboard", "set text TEXT | set dib FILE | show | hold | release",
              "puts text or a picture on the clipboard, shows it, or lets another program keep it open",
              On(std::make_shared<ClipboardCommand>(ClipboardCommand{pSession, pClipboard}), RunClipboard)});
}

}  // namespace app
