#include "com/advsearch/AdvSearchBinding.h"

#include "com/Bridge.h"
#include "host/AdvSearch.h"

namespace com::advsearch {
namespace {

// _CAdvSearch over IDispatch: both methods called by name, every argument by reference.
class CAdvSearchClient : public host::_CAdvSearch, public DispatchHolder {
 public:
  explicit CAdvSearchClient(ComPtr<IDispatch> p) : m_d(std::move(p)) {}
  std::string TypeName() const override { return "CAdvSearch"; }
  IDispatch* GetDispatch() const override { return m_d.get(); }

  std::shared_ptr<host::Search> SyncSearch(const std::shared_ptr<host::Application>& oApp,
                                           const std::string& sScope, const std::string& sFilter,
                                           bool SearchSubFolder, const std::string& Tag) override {
    std::vector<host::Variant> args{host::Variant(oApp), sScope, sFilter, SearchSubFolder, Tag};
    return Bind<host::Search>(m_d.CallByRef("SyncSearch", args));
  }
  std::shared_ptr<host::Search> ASyncSearch(const std::shared_ptr<host::Application>& oApp,
                                            const std::string& sScope, const std::string& sFilter,
                                            bool SearchSubFolder, const std::string& Tag,
                                            const std::shared_ptr<host::Object>& oNotifyedObj) override {
    std::vector<host::Variant> args{host::Variant(oApp), sScope, sFilter,
                                    SearchSubFolder,     Tag,    host::Variant(oNotifyedObj)};
    return Bind<host::Search>(m_d.CallByRef("ASyncSearch", args));
  }

 private:
  Dispatch m_d;
};

}  // namespace

void RegisterAdvSearchBinder() {
  static bool s_bDone = false;
  if (s_bDone) return;
  s_bDone = true;
  AddBinder(typeid(host::_CAdvSearch), [](ComPtr<IDispatch> p) -> std::shared_ptr<host::Object> {
    return std::make_shared<CAdvSearchClient>(std::move(p));
  });
}

}  // namespace com::advsearch
