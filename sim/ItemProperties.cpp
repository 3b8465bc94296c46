#include "sim/ItemProperties.h"

#include <functional>
#include <unordered_map>

#include "host/Error.h"
#include "host/Text.h"

namespace sim {
namespace {

using Reader = std::function<host::Variant(Model&, const ItemData&)>;

Reader Text(int32_t nTag) {
  return [nTag](Model&, const ItemData& o) { return host::Variant(o.oProps.Text(nTag)); };
}

Reader Email(int nIndex) {
  return [nIndex](Model& m, const ItemData& o) { return host::Variant(m.ContactEmailAddress(o, nIndex)); };
}

Reader Names(int32_t nType) {
  return [nType](Model&, const ItemData& o) { return host::Variant(Model::RecipientNames(o, nType)); };
}

const std::unordered_map<std::string, Reader>& Readers() {
  static const std::unordered_map<std::string, Reader> s_map = {
      {"subject", Text(prop::PR_SUBJECT)},
      {"dlname", Text(prop::PR_SUBJECT)},
      {"messageclass", Text(prop::PR_MESSAGE_CLASS)},
      {"body", Text(prop::PR_BODY)},
      {"sendername", Text(prop::PR_SENDER_NAME)},
      {"senderemailaddress", Text(prop::PR_SENDER_EMAIL_ADDRESS)},
      {"senderemailtype", Text(prop::PR_SENDER_ADDRTYPE)},
      {"fullname", Text(prop::PR_DISPLAY_NAME)},
      {"entryid", [](Model&, const ItemData& o) { return host::Variant(o.sEntryID); }},
      {"categories", [](Model&, const ItemData& o) { return host::Variant(o.sCategories); }},
      {"organizer", [](Model&, const ItemData& o) { return host::Variant(o.sOrganizer); }},
      {"sensitivity",
       [](Model&, const ItemData& o) { return host::Variant(o.oProps.Long(prop::PR_SENSITIVITY)); }},
      {"class", [](Model&, const ItemData& o) { return host::Variant(o.nClass); }},
      {"email1address", Email(1)},
      {"email2address", Email(2)},
      {"email3address", Email(3)},
      {"to", Names(1)},
      {"cc", Names(2)},
      {"bcc", Names(3)},
  };
  return s_map;
}

}  // namespace

bool IsKnownProperty(std::string_view sName) {
  return Readers().count(host::FoldCase(sName)) != 0;
}

host::Variant OrderKey(const host::Variant& v) {
  return v.IsString() ? host::Variant(host::FoldCase(v.ToString())) : v;
}

int CompareKeys(const host::Variant& a, const host::Variant& b) {
  if (!a.IsString() && !b.IsString()) {
    double x = a.ToDouble(), y = b.ToDouble();
    return x < y ? -1 : x > y ? 1 : 0;
  }
  // A number against text compares as text, as Jet does.
  if (a.IsString() && b.IsString()) return a.ToString().compare(b.ToString());
  return host::FoldCase(a.ToString()).compare(host::FoldCase(b.ToString()));
}

int CompareValues(const host::Variant& a, const host::Variant& b) {
  return CompareKeys(OrderKey(a), OrderKey(b));
}

std::function<host::Variant(Model&, const ItemData&)> PropertyReaderOf(std::string_view sName) {
  auto it = Readers().find(host::FoldCase(sName));
  if (it == Readers().end())
    host::Raise(host::err::E_FAIL,
                "The property \"" + std::string(sName) + "\" is unknown to this simulation.");
  return it->second;
}

int32_t TextTagOf(std::string_view sName) {
  // The names above whose reader is Text(tag).
  static const std::unordered_map<std::string, int32_t> s_map = {
      {"subject", prop::PR_SUBJECT},
      {"dlname", prop::PR_SUBJECT},
      {"messageclass", prop::PR_MESSAGE_CLASS},
      {"body", prop::PR_BODY},
      {"sendername", prop::PR_SENDER_NAME},
      {"senderemailaddress", prop::PR_SENDER_EMAIL_ADDRESS},
      {"senderemailtype", prop::PR_SENDER_ADDRTYPE},
      {"fullname", prop::PR_DISPLAY_NAME},
  };
  auto it = s_map.find(host::FoldCase(sName));
  return it == s_map.end() ? 0 : it->second;
}

host::Variant PropertyOf(Model& oModel, const ItemData& oItem, std::string_view sName) {
  auto it = Readers().find(host::FoldCase(sName));
  if (it == Readers().end())
    host::Raise(host::err::E_FAIL,
                "The property \"" + std::string(sName) + "\" is unknown to this simulation.");
  return it->second(oModel, oItem);
}

}  // namespace sim
