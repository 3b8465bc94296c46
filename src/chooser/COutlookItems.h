// One Outlook folder's items as a filtered, sorted, indexable list that raises OnChange when the
// folder's contents change. Two filter modes: the folder's own Items narrowed with Restrict and
// ordered with Sort, or the results of an advanced search over the folder (a name search that
// Restrict cannot express on later Outlook versions). Every switch of mode releases what the
// previous mode held.
//
// Without LoadItems every Count and Item re-runs Restrict and Sort; a caller that walks the list
// loads the set first and unloads it after.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "chooser/CAdvancedSearch.h"
#include "host/Event.h"
#include "host/Outlook.h"

class COutlookItems : public host::Object {
 public:
  enum EFilterMode : int32_t { FILTER_RESTRICT = 0, FILTER_ADVANCED = 1 };
  // Tells the completion of our own searches apart from any other advanced search.
  static constexpr const char* kSearchTag = "B1F98F0A-956A-4455-B5B9-CE579537EB70";

  ~COutlookItems() override { Done(); }
  std::string TypeName() const override { return "COutlookItems"; }

  // Binds the folder in restrict mode, events started, nothing loaded. False after an error
  // (reported); the fields set before it keep their values.
  bool Init(const std::shared_ptr<host::MAPIFolder>& oFolder, const std::string& sRestrict = {},
            const std::string& sSort = {}, const std::string& sAdvancedSort = {}, bool bDescending = false);
  // Releases the folder, the loaded set, the event source and the search client; never fails.
  void Done();

  std::shared_ptr<host::MAPIFolder> GetFolder() const { return m_folder; }
  bool IsAdvancedRestrict() const { return m_nFilter == FILTER_ADVANCED; }

  const std::string& Restrict() const { return m_sRestrict; }
  void SetRestrict(const std::string& sRestrict);
  const std::string& Sort() const { return m_sSort; }
  void SetSort(const std::string& sSort);
  bool SortDescending() const { return m_bDescending; }
  void SetSortDescending(bool bDescending);
  const std::string& AdvancedRestrict() const { return m_sAdvancedRestrict; }
  // Switches to advanced mode and runs the search (not on the top folder of a store).
  void SetAdvancedRestrict(const std::string& sRestrict);
  const std::string& AdvancedSort() const { return m_sAdvancedSort; }
  void SetAdvancedSort(const std::string& sSort);

  void LoadItems();
  void UnLoadItems();
  bool IsLoaded() const { return m_oItems != nullptr; }

  // Outlook's errors, and error 91 in advanced mode without a search, reach the caller.
  int32_t Count();
  std::shared_ptr<host::OutlookItem> Item(int32_t nItem);
  std::shared_ptr<host::OutlookItem> NewItem(int32_t nType);

  void StartEvents();
  void StopEvents();

  int32_t FilterMode() const { return m_nFilter; }

  host::Event<> OnChange;

 private:
  std::shared_ptr<host::Items> GetItems();
  void SetFilterMode(int32_t nNewMode);
  void m_events_Changed(const char* sSource);

  std::shared_ptr<host::MAPIFolder> m_folder;
  std::shared_ptr<host::Items> m_oItems;
  std::string m_sRestrict;
  std::string m_sSort;
  bool m_bDescending = false;
  int32_t m_nFilter = FILTER_RESTRICT;
  std::string m_sAdvancedRestrict;
  std::string m_sAdvancedSort;
  std::shared_ptr<CAdvancedSearch> m_oAdvSearch;
  // The folder's Items with their item events: released together.
  std::shared_ptr<host::Items> m_events;
  host::Connection m_cnItemAdd, m_cnItemChange, m_cnItemRemove;
};
