// The add-in's side of the search component: it runs one synchronous advanced search through
// the component (created by ProgID for every search and released as soon as it returns), keeps
// the resulting Search, re-sorts its results, and works out the scope path of a folder.
//
// While SyncSearch waits, the thread's messages run: other handlers of the add-in may run in the
// middle of it, and may even release this object.
#pragma once

#include <memory>
#include <string>

#include "host/Outlook.h"

class CAdvancedSearch : public host::Object {
 public:
  ~CAdvancedSearch() override { Done(); }
  std::string TypeName() const override { return "CAdvancedSearch"; }

  // The scope is passed on unchanged (a folder path in single quotes); Sort, when not empty,
  // orders the results. Failures are reported, never raised; the search held before stays
  // unless the component answered.
  void SyncSearch(const std::shared_ptr<host::Application>& oApp, const std::string& sScope,
                  const std::string& sFilter, bool SearchSubFolder, const std::string& Tag,
                  const std::string& Sort, bool DescendingSort);
  // The folder's path ("\Mailbox\Contacts\Lists"), or "" for the top folder of the default store
  // and after an error.
  std::string CalcScope(const std::shared_ptr<host::MAPIFolder>& oFolder);
  // The results of the held search; Nothing without one.
  std::shared_ptr<host::Results> GetResults();
  bool HasObject() const { return m_oSearch != nullptr; }
  std::shared_ptr<host::Search> GetObject() const { return m_oSearch; }
  void Resort(const std::string& sNewSort, bool bDescending);
  void Done();

  // The path of a folder as an advanced search's scope names it: the folder names from the top
  // folder of its store down, each after a "\". Raises the host's errors.
  static std::string FolderPath(const std::shared_ptr<host::MAPIFolder>& oFolder);

 private:
  std::shared_ptr<host::Search> m_oSearch;
};
