// The search component QuilloAdvSearch as its callers see it: the dispatch interface of its one
// creatable class, reached only by ProgID. The add-in and the component both include this file
// and nothing else of each other.
#pragma once

#include <memory>
#include <string>

#include "host/Object.h"
#include "host/Outlook.h"

namespace host {

constexpr const char* kAdvSearchProgId = "QuilloAdvSearch.CAdvSearch";

// The default interface of the class CAdvSearch (its COM name). Neither method raises an error:
// after a failure the result is Nothing.
class _CAdvSearch : public Object {
 public:
  // Runs Application.AdvancedSearch and returns once Outlook reports that search (matched by its
  // Tag) finished; the thread's messages keep running meanwhile.
  virtual std::shared_ptr<Search> SyncSearch(const std::shared_ptr<Application>& oApp,
                                             const std::string& sScope, const std::string& sFilter,
                                             bool SearchSubFolder, const std::string& Tag) = 0;
  // Starts the search and returns at once; oNotifyedObj is told through its ASyncSearchDone.
  virtual std::shared_ptr<Search> ASyncSearch(const std::shared_ptr<Application>& oApp,
                                              const std::string& sScope, const std::string& sFilter,
                                              bool SearchSubFolder, const std::string& Tag,
                                              const std::shared_ptr<Object>& oNotifyedObj) = 0;
};

// What an object must have to be notified of the end of an asynchronous search; the component
// binds it at run time and ignores objects that lack it.
class ASyncSearchNotify {
 public:
  virtual ~ASyncSearchNotify() = default;
  virtual void ASyncSearchDone() = 0;
};

}  // namespace host
