// A small host object served over IDispatch, for the tests of the COM layer: a property, a
// method, by-reference arguments, a failing member and one event with a Cancel argument.
#pragma once

#include <memory>
#include <string>

#include "com/DispatchServer.h"
#include "host/Error.h"
#include "host/Event.h"
#include "host/Object.h"

namespace comtest {

// {0F4E51C2-7B1D-4A47-9C11-3E0C2A6B5D01}
inline constexpr IID DIID_GadgetEvents = {
    0x0f4e51c2, 0x7b1d, 0x4a47, {0x9c, 0x11, 0x3e, 0x0c, 0x2a, 0x6b, 0x5d, 0x01}};
constexpr DISPID kPing = 1;

class CGadget : public host::Object {
 public:
  std::string TypeName() const override { return "Gadget"; }
  std::string m_sName = "gadget";
  host::Event<int32_t, bool&> OnPing;
};

inline std::shared_ptr<const com::ServerClass> GadgetClass() {
  static std::shared_ptr<const com::ServerClass> s_p = [] {
    using com::Args;
    using com::Member;
    using host::Variant;
    auto p = std::make_shared<com::ServerClass>();
    p->sName = "Gadget";
    p->vecMembers = {
        {"Name", 10, Member::Get, 0, 0,
         [](host::Object& o, const Args&) { return Variant(static_cast<CGadget&>(o).m_sName); }},
        {"Name", 10, Member::Put, 0, 0,
         [](host::Object& o, const Args& a) {
           static_cast<CGadget&>(o).m_sName = a.PutValue().ToString();
           return Variant();
         }},
        {"Add", 11, Member::Method, 2, 2,
         [](host::Object&, const Args& a) { return Variant(a.Long(0) + a.Long(1)); }},
        {"Swap", 12, Member::Method, 2, 2,
         [](host::Object&, const Args& a) {
           Variant v0 = a[0], v1 = a[1];
           a.Set(0, v1);
           a.Set(1, v0);
           return Variant();
         }},
        {"Fail", 13, Member::Method, 0, 0,
         [](host::Object&, const Args&) -> Variant { throw host::Error(1234, "the gadget broke"); }},
        {"Echo", 14, Member::Method, 0, 1, [](host::Object&, const Args& a) { return a[0]; }},
        {"Self", 15, Member::Get, 0, 0,
         [](host::Object& o, const Args&) { return Variant(o.shared_from_this()); }},
    };
    p->vecEvents = {{DIID_GadgetEvents, {kPing}}};
    p->fnConnectEvents = [](com::CServer& s, host::Object& o) {
      std::vector<host::Connection> v;
      v.push_back(static_cast<CGadget&>(o).OnPing.Connect([&s](int32_t n, bool& bCancel) {
        std::vector<Variant> args{Variant(n), Variant(bCancel)};
        s.Raise(kPing, args, {1});
        bCancel = args[1].ToBool();
      }));
      return v;
    };
    return p;
  }();
  return s_p;
}

// Gadgets become exposable through com::ExposeObject (once per process).
inline void ExposeGadgets() {
  static bool s_bDone = false;
  if (s_bDone) return;
  s_bDone = true;
  com::AddExposer([](const std::shared_ptr<host::Object>& p) -> IDispatch* {
    if (!dynamic_cast<CGadget*>(p.get())) return nullptr;
    return com::CServer::For(p, GadgetClass()).Detach();
  });
}

}  // namespace comtest
