#include "host/Object.h"

#include <unordered_map>

#include "host/Text.h"

namespace host {

struct ObjectRegistry::Impl {
  std::unordered_map<std::string, Factory> mapClasses;  // by folded ProgID
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
  impl().mapClasses[FoldCase(sProgId)] = std::move(fnCreate);
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
  auto it = impl().mapClasses.find(FoldCase(sProgId));
  if (it == impl().mapClasses.end() || !it->second) {
    if (!impl().fnFallback) Raise(err::CantCreateObject);
    Fallback fnFallback = impl().fnFallback;
    auto pObject = fnFallback(sProgId, type);
    if (!pObject) Raise(err::CantCreateObject);
    return pObject;
  }
  // Copy the factory: creating an object may register or unregister classes.
  Factory fnCreate = it->second;
  auto pObject = fnCreate();
  if (!pObject) Raise(err::CantCreateObject);
  return pObject;
}

std::shared_ptr<Object> CreateObject(const std::string& sProgId, const std::type_info& type) {
  return ObjectRegistry::Instance().Create(sProgId, type);
}

}  // namespace host
