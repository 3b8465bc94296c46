// Routes an explorer wrapper's events to the one explorer collection wrapper (found through
// g_oConnect, so that wrappers never hold their owner) and formats the error lines of both.
#pragma once

#include <memory>
#include <string>

#include "addin/CExplorerWrapper.h"
#include "host/Error.h"

namespace mExplorersWrapper {

void RaiseExplorerEvent(const std::string& strName, const std::shared_ptr<CEventArgs>& colArgs);
void ReportExplorerError(const host::ErrorInfo& oError, const std::string& sMethod);
void ReportExplorersError(const host::ErrorInfo& oError, const std::string& sMethod);

}  // namespace mExplorersWrapper
