#include "FolderItemsCommands.h"

#include <charconv>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "chooser/COutlookItems.h"
#include "common/mGlobals.h"
#include "host/Error.h"
#include "host/Text.h"
#include "sim/ItemObjects.h"
#include "sim/Model.h"

namespace app {
namespace {

struct FolderItemsArgs {
  std::string sPath, sRestrict, sSort, sAdvanced;
  bool bDescending = false, bAdvanced = false, bLoad = false;
};

FolderItemsArgs ParseFolderItemsArgs(const Args& a) {
  FolderItemsArgs o;
  std::vector<std::string> vecPositional;
  for (size_t i = 0; i < a.size(); ++i) {
    auto Value = [&]() -> const std::string& {
      if (i + 1 >= a.size()) ThrowUsage({}, a[i] + " needs a value");
      return a[++i];
    };
    if (a[i] == "--restrict") {
      o.sRestrict = Value();
    } else if (a[i] == "--sort") {
      o.sSort = Value();
    } else if (a[i] == "--advanced") {
      o.sAdvanced = Value();
      o.bAdvanced = true;
    } else if (a[i] == "--descending") {
      o.bDescending = true;
    } else if (a[i] == "--load") {
      o.bLoad = true;
    } else if (a[i].rfind("--", 0) == 0) {
      ThrowUsage({}, "unknown option '" + a[i] + "'");
    } else {
      vecPositional.push_back(a[i]);
    }
  }
  if (vecPositional.size() != 1) ThrowUsage();
  o.sPath = vecPositional[0];
  return o;
}

std::string Failure(const host::Error& e) {
  return "failed: " + e.Description() + " (error " + std::to_string(e.Number()) + ")";
}

// The list "folder-items" made last, watched for OnChange.
struct Watched {
  std::shared_ptr<COutlookItems> oItems;
  host::Connection cnChange;
};

void PrintList(std::ostream& out, COutlookItems& oItems) {
  out << "  mode: " << (oItems.IsAdvancedRestrict() ? "FILTER_ADVANCED" : "FILTER_RESTRICT")
      << (oItems.IsLoaded() ? ", items loaded" : "") << "\n";
  int32_t nCount = 0;
  try {
    nCount = oItems.Count();
  } catch (const host::Error& e) {
    out << "  Count " << Failure(e) << "\n";
    return;
  }
  out << "  Count: " << nCount << "\n";
  for (int32_t i = 1; i <= nCount; ++i) {
    try {
      auto pItem = oItems.Item(i);
      auto& oItem = host::Deref(pItem);
      out << "  " << i << "  " << oItem.EntryID() << "  class " << oItem.Class() << "  \"" << oItem.Subject()
          << "\"\n";
    } catch (const host::Error& e) {
      out << "  " << i << "  " << Failure(e) << "\n";
    }
  }
}

void ListFolderItems(SimSession& oSession, Watched& oWatched, const FolderItemsArgs& o) {
  std::ostream& out = oSession.Out();
  oWatched.cnChange.reset();
  oWatched.oItems.reset();
  std::shared_ptr<host::MAPIFolder> oFolder;
  try {
    oFolder = oSession.Outlook().FolderByPath(o.sPath);
  } catch (const host::Error& e) {
    throw UsageError{e.Description()};
  }
  auto oItems = std::make_shared<COutlookItems>();
  out << "Folder items of " << o.sPath << "\n";
  if (!oItems->Init(oFolder, o.sRestrict, o.sSort, o.sSort, o.bDescending)) {
    out << "  Init failed\n";
    return;
  }
  std::weak_ptr<COutlookItems> wItems = oItems;
  std::ostream* pOut = &out;
  oWatched.cnChange = oItems->OnChange.Connect([wItems, pOut] {
    auto p = wItems.lock();
    if (!p) return;
    // Counted first: the count may write diagnostic lines of its own.
    std::string sCount;
    try {
      sCount = "Count = " + std::to_string(p->Count());
    } catch (const host::Error& e) {
      sCount = "Count " + Failure(e);
    }
    *pOut << "  OnChange: " << sCount << "\n";
  });
  oWatched.oItems = oItems;
  try {
    if (o.bAdvanced) oItems->SetAdvancedRestrict(o.sAdvanced);
    if (o.bLoad) oItems->LoadItems();
  } catch (const host::Error& e) {
    out << "  " << Failure(e) << "\n";
  }
  PrintList(out, *oItems);
}

// --- Changing the mailbox ----------------------------------------------------------------------

int32_t ItemTypeOf(const std::string& sClass) {
  static const std::map<std::string, int32_t> s_map = {
      {"mail", host::olMailItem}, {"appointment", host::olAppointmentItem},  {"contact", host::olContactItem},
      {"task", host::olTaskItem}, {"journal", host::olJournalItem},          {"note", host::olNoteItem},
      {"post", host::olPostItem}, {"distlist", host::olDistributionListItem}};
  auto it = s_map.find(host::FoldCase(sClass));
  if (it == s_map.end())
    throw UsageError{"unknown class '" + sClass +
                     "' (mail, appointment, contact, task, journal, note, post, distList)"};
  return it->second;
}

using FieldSetter = std::function<void(sim::ItemData&)>;

int32_t ParseLong(const std::string& s, const std::string& sField) {
  int64_t n = 0;
  auto [p, ec] = std::from_chars(s.data(), s.data() + s.size(), n);
  if (ec != std::errc() || p != s.data() + s.size() || n < INT32_MIN || n > INT32_MAX)
    throw UsageError{sField + " needs a whole number, not '" + s + "'"};
  return static_cast<int32_t>(n);
}

// One FIELD=VALUE: subject, body, categories, messageClass, fullName, sensitivity, or a MAPI
// property by its hexadecimal tag (0x10900003=2). Read in full before anything changes.
FieldSetter ParseField(const std::string& sVerb, const std::string& sArg) {
  size_t nEq = sArg.find('=');
  if (nEq == std::string::npos || nEq == 0) ThrowUsage(sVerb, "'" + sArg + "' is not FIELD=VALUE");
  std::string sField = sArg.substr(0, nEq);
  std::string sValue = sArg.substr(nEq + 1);
  std::string sKey = host::FoldCase(sField);
  auto TextProp = [sValue](int32_t nTag) {
    return [nTag, sValue](sim::ItemData& o) { o.oProps.Set(nTag, sValue); };
  };
  if (sKey == "subject") return TextProp(sim::prop::PR_SUBJECT);
  if (sKey == "body") return TextProp(sim::prop::PR_BODY);
  if (sKey == "messageclass") return TextProp(sim::prop::PR_MESSAGE_CLASS);
  if (sKey == "fullname") return TextProp(sim::prop::PR_DISPLAY_NAME);
  if (sKey == "categories") return [sValue](sim::ItemData& o) { o.sCategories = sValue; };
  if (sKey == "sensitivity") {
    int32_t n = ParseLong(sValue, sField);
    if (n < 0 || n > 3) throw UsageError{"sensitivity is 0, 1, 2 or 3"};
    return [n](sim::ItemData& o) { o.oProps.Set(sim::prop::PR_SENSITIVITY, n); };
  }
  if (sKey.size() == 10 && sKey.rfind("0x", 0) == 0) {
    uint32_t nTag = 0;
    auto [p, ec] = std::from_chars(sKey.data() + 2, sKey.data() + sKey.size(), nTag, 16);
    if (ec == std::errc() && p == sKey.data() + sKey.size()) {
      auto nSigned = static_cast<int32_t>(nTag);
      switch (nTag & 0xFFFFu) {
        case sim::prop::PT_LONG: {
          int32_t n = ParseLong(sValue, sField);
          return [nSigned, n](sim::ItemData& o) { o.oProps.Set(nSigned, n); };
        }
        case sim::prop::PT_STRING8:
        case sim::prop::PT_UNICODE: return TextProp(nSigned);
        default: throw UsageError{"property " + sField + ": only long (0003) and text (001E, 001F) tags"};
      }
    }
  }
  throw UsageError{"unknown field '" + sField +
                   "' (subject, body, categories, messageClass, fullName, sensitivity, 0xTAG)"};
}

std::vector<FieldSetter> ParseFields(const Args& a, size_t nFrom) {
  std::vector<FieldSetter> vec;
  for (size_t i = nFrom; i < a.size(); ++i) vec.push_back(ParseField(a[0], a[i]));
  return vec;
}

void ItemAdd(SimSession& oSession, const Args& a) {
  if (a.size() < 3) ThrowUsage(a[0]);
  int32_t nType = ItemTypeOf(a[2]);
  auto vecFields = ParseFields(a, 3);
  std::shared_ptr<host::MAPIFolder> oFolder;
  try {
    oFolder = oSession.Outlook().FolderByPath(a[1]);
  } catch (const host::Error& e) {
    throw UsageError{e.Description()};
  }
  std::ostream& out = oSession.Out();
  try {
    // Through the item source's NewItem, as the add-in would create one.
    COutlookItems oSource;
    if (!oSource.Init(oFolder)) throw UsageError{"the item source could not bind the folder"};
    auto oItem = oSource.NewItem(nType);
    oSource.Done();
    auto pData = sim::ItemDataOf(oItem);
    for (const auto& fn : vecFields) fn(host::Deref(pData));
    host::Deref(oItem).Save();
    out << "  added " << oItem->EntryID() << "  class " << oItem->Class() << "  \"" << oItem->Subject()
        << "\"\n";
  } catch (const host::Error& e) {
    out << "  " << Failure(e) << "\n";
  }
}

std::shared_ptr<host::OutlookItem> ItemOf(SimSession& oSession, const std::string& sID) {
  try {
    return oSession.Outlook().ItemByID(sID);
  } catch (const host::Error& e) {
    throw UsageError{e.Description()};
  }
}

void ItemChange(SimSession& oSession, const Args& a) {
  if (a.size() < 3) ThrowUsage(a[0]);
  auto vecFields = ParseFields(a, 2);
  auto oItem = ItemOf(oSession, a[1]);
  try {
    auto pData = sim::ItemDataOf(oItem);
    for (const auto& fn : vecFields) fn(host::Deref(pData));
    oItem->Save();
    oSession.Out() << "  changed " << a[1] << "  \"" << oItem->Subject() << "\"\n";
  } catch (const host::Error& e) {
    oSession.Out() << "  " << Failure(e) << "\n";
  }
}

void ItemMove(SimSession& oSession, const Args& a) {
  if (a.size() != 3) ThrowUsage(a[0]);
  auto oItem = ItemOf(oSession, a[1]);
  sim::FolderData* pTarget = oSession.Outlook().Data().FolderByPath(a[2]);
  if (!pTarget) throw UsageError{"there is no folder " + a[2]};
  try {
    oSession.Outlook().Data().MoveItem(sim::ItemDataOf(oItem), *pTarget);
    oSession.Out() << "  moved " << a[1] << " to " << pTarget->sPath << "\n";
  } catch (const host::Error& e) {
    oSession.Out() << "  " << Failure(e) << "\n";
  }
}

void ItemDelete(SimSession& oSession, const Args& a) {
  if (a.size() != 2) ThrowUsage(a[0]);
  ItemOf(oSession, a[1]);
  oSession.Outlook().DeleteItem(a[1]);
  oSession.Out() << "  deleted " << a[1] << "\n";
}

// The list "folder-items" made last, and where the command prints.
struct FolderItemsCommand {
  std::shared_ptr<SimSession> pSession;
  Watched oWatched;
};

void RunFolderItems(FolderItemsCommand& o, const Args& a) {
  if (a.size() == 1 && a[0] == "done") {
    o.oWatched.cnChange.reset();
    o.oWatched.oItems.reset();
    o.pSession->Out() << "  folder items released\n";
    return;
  }
  FolderItemsArgs oArgs = ParseFolderItemsArgs(a);
  o.pSession->NeedConnected();
  ListFolderItems(*o.pSession, o.oWatched, oArgs);
}

void RunItemChange(SimSession& oSession, const Args& a) {
  oSession.NeedStarted();
  if (a[0] == "add") ItemAdd(oSession, a);
  if (a[0] == "change") ItemChange(oSession, a);
  if (a[0] == "move") ItemMove(oSession, a);
  if (a[0] == "delete") ItemDelete(oSession, a);
}

}  // namespace

void RegisterFolderItemsCommands(CommandTable& oTable, std::shared_ptr<SimSession> pSession) {
  oTable.Add({"folder-items",
              "PATH [--restrict FILTER] [--sort PROP] [--descending] [--advanced FILTER] [--load] | done",
              "lists a folder's items through the add-in's item source (restricted and sorted, or by an "
              "advanced search) and prints every OnChange it raises until the next folder-items or done",
              On(std::make_shared<FolderItemsCommand>(FolderItemsCommand{pSession, {}}), RunFolderItems)});
  // "item ENTRYID ..." belongs to the recipient commands; the mailbox changes join it.
  oTable.AddForms(
      {"add", "change", "move", "delete"},
      {"item",
       "add PATH CLASS FIELD=VALUE... | change ENTRYID FIELD=VALUE... | move ENTRYID PATH | delete ENTRYID",
       "adds, changes, moves or deletes an item as a user would (fields: subject, body, categories, "
       "messageClass, fullName, sensitivity, 0xTAG)",
       On(pSession, RunItemChange)});
}

}  // namespace app
