// Member tables for the simulation's servers, written as the host interface reads: one
// ServerTable<T> per interface, its members added in a chain and the table exposed for every
// host object of that interface.
#pragma once

#include <functional>
#include <memory>
#include <vector>

#include "com/Bridge.h"
#include "com/DispatchServer.h"

namespace com::simserver {

template <class T>
class ServerTable {
 public:
  explicit ServerTable(const char* sName) : m_p(std::make_shared<ServerClass>()) { m_p->sName = sName; }

  ServerTable& Get(const char* sName, DISPID nId, std::function<host::Variant(T&)> fn) {
    m_p->vecMembers.push_back({sName, nId, Member::Get, 0, 0,
                               [fn](host::Object& o, const Args&) { return fn(static_cast<T&>(o)); }});
    return *this;
  }
  // A property read with arguments (Fields(tag)).
  ServerTable& GetWith(const char* sName, DISPID nId, int nMin, int nMax,
                       std::function<host::Variant(T&, const Args&)> fn) {
    m_p->vecMembers.push_back({sName, nId, Member::Get, nMin, nMax,
                               [fn](host::Object& o, const Args& a) { return fn(static_cast<T&>(o), a); }});
    return *this;
  }
  ServerTable& Put(const char* sName, DISPID nId, std::function<void(T&, const host::Variant&)> fn) {
    m_p->vecMembers.push_back({sName, nId, Member::Put, 0, 0, [fn](host::Object& o, const Args& a) {
                                 fn(static_cast<T&>(o), a.PutValue());
                                 return host::Variant();
                               }});
    return *this;
  }
  ServerTable& Method(const char* sName, DISPID nId, int nMin, int nMax,
                      std::function<host::Variant(T&, const Args&)> fn) {
    m_p->vecMembers.push_back({sName, nId, Member::Method, nMin, nMax,
                               [fn](host::Object& o, const Args& a) { return fn(static_cast<T&>(o), a); }});
    return *this;
  }
  ServerTable& Events(const IID& diid, std::vector<DISPID> vecIds) {
    m_p->vecEvents.push_back({diid, std::move(vecIds)});
    return *this;
  }
  ServerTable& Interface(const IID& iid) {
    m_p->vecInterfaces.push_back(iid);
    return *this;
  }
  ServerTable& Connect(std::function<std::vector<host::Connection>(CServer&, T&)> fn) {
    m_p->fnConnectEvents = [fn](CServer& s, host::Object& o) { return fn(s, static_cast<T&>(o)); };
    return *this;
  }

  std::shared_ptr<const ServerClass> Class() const { return m_p; }

  // Exposes every host object of interface T with this table.
  void Expose() {
    std::shared_ptr<const ServerClass> p = m_p;
    AddExposer([p](const std::shared_ptr<host::Object>& o) -> IDispatch* {
      if (!dynamic_cast<T*>(o.get())) return nullptr;
      return CServer::For(o, p).Detach();
    });
  }

 private:
  std::shared_ptr<ServerClass> m_p;
};

// An optional argument: Empty when left out.
inline host::Variant OptionalArg(const Args& a, size_t i) {
  return a.IsMissing(i) ? host::Variant() : a[i];
}

// An event without arguments, raised to the server's sinks.
inline std::function<void()> NotifyEvent(CServer& s, DISPID nId) {
  return [&s, nId] {
    std::vector<host::Variant> args;
    s.Raise(nId, args);
  };
}

}  // namespace com::simserver
