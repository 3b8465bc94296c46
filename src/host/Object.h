// Base of every object that crosses the host boundary, and creation by ProgID.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <typeinfo>

#include "host/Error.h"

namespace host {

class Object : public std::enable_shared_from_this<Object> {
 public:
  virtual ~Object() = default;
  // The class name Visual Basic's TypeName would give ("Explorer", "CRecipients").
  virtual std::string TypeName() const = 0;
};

// "Set x = y" where y must be of a given interface: Nothing stays Nothing, anything else of the
// wrong kind is a type mismatch.
template <class T, class U>
std::shared_ptr<T> As(const std::shared_ptr<U>& p) {
  if (!p) return nullptr;
  auto t = std::dynamic_pointer_cast<T>(p);
  if (!t) Raise(err::TypeMismatch);
  return t;
}

// The process's table of creatable classes. In-process servers register their classes here
// (the simulation registers Redemption, the search component registers itself), and
// CreateObject finds them by ProgID without regard to case, as COM does.
class ObjectRegistry {
 public:
  using Factory = std::function<std::shared_ptr<Object>()>;
  // Where classes the registry does not know are looked for next (the system's own class
  // registration, on a platform that has one). It gets the interface the caller asked for, so
  // that what it finds can be handed out as that interface.
  using Fallback =
      std::function<std::shared_ptr<Object>(const std::string& sProgId, const std::type_info& type)>;

  static ObjectRegistry& Instance();

  void Register(const std::string& sProgId, Factory fnCreate);
  void Unregister(const std::string& sProgId);
  bool IsRegistered(const std::string& sProgId) const;
  // Error 429 when the class is not registered here nor found by the fallback; errors of the
  // factory pass through.
  std::shared_ptr<Object> Create(const std::string& sProgId,
                                 const std::type_info& type = typeid(Object)) const;
  void SetFallback(Fallback fnFallback);

 private:
  ObjectRegistry() = default;
  struct Impl;
  std::shared_ptr<Impl> m_pImpl;
  Impl& impl() const;
};

std::shared_ptr<Object> CreateObject(const std::string& sProgId, const std::type_info& type = typeid(Object));

template <class T>
std::shared_ptr<T> CreateObject(const std::string& sProgId) {
  return As<T>(CreateObject(sProgId, typeid(T)));
}

}  // namespace host
