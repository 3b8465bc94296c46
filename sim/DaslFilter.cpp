#include "sim/DaslFilter.h"

#include <algorithm>
#include <cctype>
#include <unordered_map>

#include "host/Error.h"
#include "host/Text.h"
#include "sim/FilterExpression.h"
#include "sim/ItemProperties.h"

namespace sim {

namespace {

constexpr std::string_view kPropTagPrefix = "http://schemas.microsoft.com/mapi/proptag/0x";
constexpr int32_t PR_DISPLAY_BCC = 0x0E02001E;
constexpr int32_t PR_DISPLAY_CC = 0x0E03001E;
constexpr int32_t PR_DISPLAY_TO = 0x0E04001E;

// Schema names of item properties, by the Outlook property the simulation reads for them.
const std::unordered_map<std::string, const char*>& SchemaNames() {
  static const std::unordered_map<std::string, const char*> s_map = {
      {"urn:schemas:httpmail:subject", "Subject"},
      {"urn:schemas:mailheader:subject", "Subject"},
      {"urn:schemas:httpmail:textdescription", "Body"},
      {"urn:schemas:httpmail:fromname", "SenderName"},
      {"urn:schemas:httpmail:sendername", "SenderName"},
      {"urn:schemas:httpmail:fromemail", "SenderEmailAddress"},
      {"urn:schemas:httpmail:senderemail", "SenderEmailAddress"},
      {"urn:schemas:httpmail:displayto", "To"},
      {"urn:schemas:httpmail:displaycc", "CC"},
      {"urn:schemas-microsoft-com:office:office#keywords", "Categories"},
      {"http://schemas.microsoft.com/mapi/string/{00020329-0000-0000-c000-000000000046}/keywords",
       "Categories"},
  };
  return s_map;
}

PropertyReader ByOutlookName(const char* sName) {
  return [sName](Model& oModel, const ItemData& oItem) { return PropertyOf(oModel, oItem, sName); };
}

// "http://schemas.microsoft.com/mapi/proptag/0x0037001e": the item's MAPI property of that tag
// (Unicode and 8-bit strings alike); Empty when the item lacks it.
bool ParsePropTag(const std::string& sFolded, int32_t& nTag) {
  if (sFolded.compare(0, kPropTagPrefix.size(), kPropTagPrefix) != 0) return false;
  std::string sHex = sFolded.substr(kPropTagPrefix.size());
  if (sHex.size() != 8 || sHex.find_first_not_of("0123456789abcdef") != std::string::npos) return false;
  nTag = static_cast<int32_t>(std::stoul(sHex, nullptr, 16));
  if ((nTag & 0xFFFF) == prop::PT_UNICODE) nTag = (nTag & ~0xFFFF) | prop::PT_STRING8;
  return true;
}

PropertyReader ByTag(int32_t nTag) {
  switch (nTag) {
    case PR_DISPLAY_TO: return ByOutlookName("To");
    case PR_DISPLAY_CC: return ByOutlookName("CC");
    case PR_DISPLAY_BCC: return ByOutlookName("BCC");
    default: break;
  }
  return [nTag](Model&, const ItemData& oItem) {
    const host::Variant* pValue = oItem.Prop(nTag);
    return pValue ? *pValue : host::Variant();
  };
}

std::string Unquoted(const std::string& sName) {
  std::string s = host::Trim(sName);
  if (s.size() >= 2 && s.front() == '"' && s.back() == '"') s = s.substr(1, s.size() - 2);
  return s;
}

class DaslParser : public FilterParser {
 public:
  explicit DaslParser(const std::string& s) : FilterParser(s, "('\"") {}

  FilterNodePtr Parse() {
    Skip();
    if (AtEnd()) return nullptr;
    return Expression();
  }

 private:
  std::string FailureText() const override {
    return "The search filter is not valid. Error at \"" + Rest() + "\" in: " + m_s;
  }

  std::string PropertyName() {
    Skip();
    if (Peek() == '"') {
      size_t nEnd = m_s.find('"', m_n + 1);
      if (nEnd == std::string::npos || nEnd == m_n + 1) Fail();
      std::string sName = m_s.substr(m_n + 1, nEnd - m_n - 1);
      m_n = nEnd + 1;
      return sName;
    }
    size_t nStart = m_n;
    while (!AtEnd() && !std::isspace(static_cast<unsigned char>(Peek())) &&
           std::string_view("=<>()'\"").find(Peek()) == std::string_view::npos)
      ++m_n;
    if (m_n == nStart) Fail();
    return m_s.substr(nStart, m_n - nStart);
  }

  // property op value
  FilterTest Comparison() override {
    PropertyReader fnProperty = DaslProperty(PropertyName());
    Skip();
    std::string sOperator = Keyword("Like") ? "LIKE" : Operator();
    if (sOperator.empty()) Fail();
    host::Variant vValue = Literal();
    if (sOperator == "LIKE") {
      if (!vValue.IsString()) Fail();
      return [fnProperty, sPattern = vValue.ToString()](Model& oModel, const ItemData& oItem) {
        host::Variant v = fnProperty(oModel, oItem);
        return DaslLike(v.IsNull() ? std::string() : v.ToString(), sPattern);
      };
    }
    return [fnProperty, sOperator, vValue](Model& oModel, const ItemData& oItem) {
      return OrderMatches(sOperator, CompareValues(fnProperty(oModel, oItem), vValue));
    };
  }

  // A text in single quotes or a number.
  host::Variant Literal() {
    Skip();
    if (Peek() == '\'') return host::Variant(QuotedText());
    size_t nStart = m_n;
    return Number(nStart, Word());
  }
};

}  // namespace

PropertyReader DaslProperty(const std::string& sName) {
  std::string sFolded = host::FoldCase(Unquoted(sName));
  int32_t nTag = 0;
  if (ParsePropTag(sFolded, nTag)) return ByTag(nTag);
  auto it = SchemaNames().find(sFolded);
  if (it == SchemaNames().end())
    host::Raise(host::err::E_FAIL,
                "The property \"" + sName + "\" is unknown to this simulation's searches.");
  return ByOutlookName(it->second);
}

PropertyReader SortProperty(const std::string& sName) {
  std::string s = Unquoted(sName);
  if (s.size() >= 2 && s.front() == '[' && s.back() == ']') s = s.substr(1, s.size() - 2);
  if (IsKnownProperty(s))
    return [s](Model& oModel, const ItemData& oItem) { return PropertyOf(oModel, oItem, s); };
  return DaslProperty(s);
}

bool DaslLike(const std::string& sValue, const std::string& sPattern) {
  std::string_view sFind = sPattern;
  bool bLeading = !sFind.empty() && sFind.front() == '%';
  if (bLeading) sFind.remove_prefix(1);
  bool bTrailing = !sFind.empty() && sFind.back() == '%';
  if (bTrailing) sFind.remove_suffix(1);
  std::string sText = host::FoldCase(sValue), sPart = host::FoldCase(sFind);
  if (bLeading) return sText.find(sPart) != std::string::npos;
  if (bTrailing) return sText.compare(0, sPart.size(), sPart) == 0;
  return sText == sPart;
}

DaslFilter::DaslFilter(const std::string& sFilter) : m_pRoot(DaslParser(sFilter).Parse()) {}

bool DaslFilter::Matches(Model& oModel, const ItemData& oItem) const {
  return !m_pRoot || m_pRoot->Matches(oModel, oItem);
}

}  // namespace sim
