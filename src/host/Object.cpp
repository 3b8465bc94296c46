#include "host/Object.h"

#include <string_view>
#include <unordered_map>

#include "host/Text.h"

namespace host {

namespace {

struct ViewHash {
  using is_transparent = void;
  size_t operator()(std::string_view s) const noexcept { return std::hash<std::string_view>{}(s); }
};

// A ProgID folded for the look-up. ProgIDs are short ASCII names: those are folded on the
// stack, so creating an object costs no allocation for its name.
class FoldedProgId {
 public:
  explicit FoldedProgId(std::string_view s) {
    bool bAscii = s.size() <= sizeof m_buf;
    for (size_t i = 0; bAscii && i < s.size(); ++i) bAscii = static_cast<unsigned char>(s[i]) < 0x80;
    if (!bAscii) {
      m_sLong = FoldCase(s);
      m_sView = m_sLong;
      return;
    }
    for (size_t i = 0; i < s.size(); ++i)
      m_buf[i] = s[i] >= 'A' && s[i] <= 'Z' ? static_cast<char>(s[i] + 0x20) : s[i];
    m_sView = std::string_view(m_buf, s.size());
  }
  std::string_view View() const { return m_sView; }

 private:
  char m_buf[64];
  std::string m_sLong;
  std::string_view m_sView;
};

}  // namespace

struct ObjectRegistry::Impl {
  // By folded ProgID. A factory is held by a shared pointer, so that a call can keep it alive
  // without copying it.
  std::unordered_map<std::string, std::shared_ptr<const Factory>, ViewHash, std::equal_to<>> mapClasses;
  Fallback fnFallback;
};

ObjectRegistry& ObjectRegistry::Instance() {
  static ObjectRegistry s_oRegistry;
  return s_oRegistry;
}

ObjectRegistry::Impl& ObjectRegistry::impl() const {
  if (!m_pImpl) const_cast<ObjectRegistry*>(this)->m_pImpl = std::make_shared<Impl>();
  return *m_pImpl;
}

void ObjectRegistry::Register(const std::string& sProgId, Factory fnCreate) {
  impl().mapClasses[FoldCase(sProgId)] = std::make_shared<const Factory>(std::move(fnCreate));
}

void ObjectRegistry::Unregister(const std::string& sProgId) {
  impl().mapClasses.erase(FoldCase(sProgId));
}

bool ObjectRegistry::IsRegistered(const std::string& sProgId) const {
  return impl().mapClasses.count(FoldCase(sProgId)) != 0;
}

void ObjectRegistry::SetFallback(Fallback fnFallback) {
  impl().fnFallback = std::move(fnFallback);
}

std::shared_ptr<Object> ObjectRegistry::Create(const std::string& sProgId, const std::type_info& type) const {
  auto it = impl().mapClasses.find(FoldedProgId(sProgId).View());
  if (it == impl().mapClasses.end() || !*it->second) {
    if (!impl().fnFallback) Raise(err::CantCreateObject);
    Fallback fnFallback = impl().fnFallback;
    auto pObject = fnFallback(sProgId, type);
    if (!pObject) Raise(err::CantCreateObject);
    return pObject;
  }
  // Hold the factory: creating an object may register or unregister classes.
  std::shared_ptr<const Factory> pCreate = it->second;
  auto pObject = (*pCreate)();
  if (!pObject) Raise(err::CantCreateObject);
  return pObject;
}

std::shared_ptr<Object> CreateObject(const std::string& sProgId, const std::type_info& type) {
  return ObjectRegistry::Instance().Create(sProgId, type);
}

}  // namespace host
