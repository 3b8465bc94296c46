#include "addin/mExplorersWrapper.h"

#include "addin/CExplorersWrapper.h"
#include "addin/Connect.h"
#include "common/mGlobals.h"

namespace mExplorersWrapper {

void RaiseExplorerEvent(const std::string& strName, const std::shared_ptr<CEventArgs>& colArgs) {
  auto oExplorers = host::Deref(g_oConnect).GetExplorers();
  host::Deref(oExplorers).EventFromExplorer(strName, colArgs);
}

void ReportExplorerError(const host::ErrorInfo& oError, const std::string& sMethod) {
  mGlobals::TraceError("CExplorerWrapper::" + sMethod, oError.nNumber, oError.sDescription);
}

void ReportExplorersError(const host::ErrorInfo& oError, const std::string& sMethod) {
  mGlobals::TraceError("CExplorersWrapper::" + sMethod, oError.nNumber, oError.sDescription);
}

}  // namespace mExplorersWrapper
