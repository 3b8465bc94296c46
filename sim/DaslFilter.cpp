#include "sim/DaslFilter.h"

#include <algorithm>
#include <cctype>
#include <unordered_map>

#include "host/Error.h"
#include "host/Text.h"
#include "sim/ItemProperties.h"

namespace sim {

struct DaslFilter::Node {
  enum class Kind { And, Or, Not, Compare } eKind = Kind::Compare;
  std::shared_ptr<const Node> pLeft;
  std::shared_ptr<const Node> pRight;
  PropertyReader fnProperty;
  std::string sOperator;  // upper case: LIKE, =, <>, <, <=, >, >=
  host::Variant vValue;
};

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
    const host::Variant* pValue = oItem.oProps.Find(nTag);
    return pValue ? *pValue : host::Variant();
  };
}

std::string Unquoted(const std::string& sName) {
  std::string s = host::Trim(sName);
  if (s.size() >= 2 && s.front() == '"' && s.back() == '"') s = s.substr(1, s.size() - 2);
  return s;
}

using Node = DaslFilter::Node;
using NodePtr = std::shared_ptr<const Node>;

class Parser {
 public:
  explicit Parser(const std::string& s) : m_s(s) {}

  NodePtr Parse() {
    Skip();
    if (m_n == m_s.size()) return nullptr;
    NodePtr p = Or();
    Skip();
    if (m_n != m_s.size()) Fail();
    return p;
  }

 private:
  [[noreturn]] void Fail() const {
    host::Raise(host::err::E_FAIL, "The search filter is not valid. Error at \"" +
                                       m_s.substr(std::min(m_n, m_s.size())) + "\" in: " + m_s);
  }

  bool AtEnd() const { return m_n >= m_s.size(); }
  char Peek() const { return AtEnd() ? '\0' : m_s[m_n]; }

  void Skip() {
    while (!AtEnd() && std::isspace(static_cast<unsigned char>(m_s[m_n]))) ++m_n;
  }

  // A keyword (And, Or, Not, Like) at the current place, followed by a blank, a quote or a
  // parenthesis.
  bool Keyword(std::string_view sWord) {
    Skip();
    if (m_n + sWord.size() > m_s.size() ||
        !host::EqualsNoCase(std::string_view(m_s).substr(m_n, sWord.size()), sWord))
      return false;
    size_t nAfter = m_n + sWord.size();
    if (nAfter < m_s.size() && !std::isspace(static_cast<unsigned char>(m_s[nAfter])) && m_s[nAfter] != '(' &&
        m_s[nAfter] != '\'' && m_s[nAfter] != '"')
      return false;
    m_n = nAfter;
    return true;
  }

  static NodePtr Join(Node::Kind eKind, NodePtr pLeft, NodePtr pRight) {
    auto p = std::make_shared<Node>();
    p->eKind = eKind;
    p->pLeft = std::move(pLeft);
    p->pRight = std::move(pRight);
    return p;
  }

  NodePtr Or() {
    NodePtr p = And();
    while (Keyword("Or")) p = Join(Node::Kind::Or, p, And());
    return p;
  }

  NodePtr And() {
    NodePtr p = Factor();
    while (Keyword("And")) p = Join(Node::Kind::And, p, Factor());
    return p;
  }

  NodePtr Factor() {
    if (Keyword("Not")) return Join(Node::Kind::Not, Factor(), nullptr);
    Skip();
    if (Peek() == '(') {
      ++m_n;
      NodePtr p = Or();
      Skip();
      if (Peek() != ')') Fail();
      ++m_n;
      return p;
    }
    return Comparison();
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

  NodePtr Comparison() {
    auto p = std::make_shared<Node>();
    p->fnProperty = DaslProperty(PropertyName());
    Skip();
    if (Keyword("Like")) {
      p->sOperator = "LIKE";
    } else {
      for (const char* sOp : {"<>", "<=", ">=", "=", "<", ">"}) {
        if (m_s.compare(m_n, std::char_traits<char>::length(sOp), sOp) == 0) {
          p->sOperator = sOp;
          m_n += p->sOperator.size();
          break;
        }
      }
    }
    if (p->sOperator.empty()) Fail();
    p->vValue = Literal();
    if (p->sOperator == "LIKE" && !p->vValue.IsString()) Fail();
    return p;
  }

  host::Variant Literal() {
    Skip();
    if (Peek() == '\'') {
      std::string sText;
      for (size_t i = m_n + 1; i < m_s.size(); ++i) {
        if (m_s[i] != '\'') {
          sText += m_s[i];
        } else if (i + 1 < m_s.size() && m_s[i + 1] == '\'') {
          sText += '\'';  // a doubled quote stands for itself
          ++i;
        } else {
          m_n = i + 1;
          return host::Variant(sText);
        }
      }
      Fail();
    }
    size_t nStart = m_n;
    while (!AtEnd() && !std::isspace(static_cast<unsigned char>(Peek())) && Peek() != ')') ++m_n;
    double d = 0;
    if (m_n == nStart || !host::ParseNumber(m_s.substr(nStart, m_n - nStart), d)) {
      m_n = nStart;
      Fail();
    }
    return host::Variant(d);
  }

  const std::string& m_s;
  size_t m_n = 0;
};

bool Compare(const std::string& sOperator, const host::Variant& vValue, const host::Variant& vLiteral) {
  if (sOperator == "LIKE")
    return DaslLike(vValue.IsNull() ? std::string() : vValue.ToString(), vLiteral.ToString());
  int n = CompareValues(vValue, vLiteral);
  if (sOperator == "=") return n == 0;
  if (sOperator == "<>") return n != 0;
  if (sOperator == "<") return n < 0;
  if (sOperator == "<=") return n <= 0;
  if (sOperator == ">") return n > 0;
  return n >= 0;
}

bool Evaluate(const Node& oNode, Model& oModel, const ItemData& oItem) {
  switch (oNode.eKind) {
    case Node::Kind::And:
      return Evaluate(*oNode.pLeft, oModel, oItem) && Evaluate(*oNode.pRight, oModel, oItem);
    case Node::Kind::Or:
      return Evaluate(*oNode.pLeft, oModel, oItem) || Evaluate(*oNode.pRight, oModel, oItem);
    case Node::Kind::Not: return !Evaluate(*oNode.pLeft, oModel, oItem);
    case Node::Kind::Compare: break;
  }
  return Compare(oNode.sOperator, oNode.fnProperty(oModel, oItem), oNode.vValue);
}

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

DaslFilter::DaslFilter(const std::string& sFilter) : m_pRoot(Parser(sFilter).Parse()) {}

bool DaslFilter::Matches(Model& oModel, const ItemData& oItem) const {
  return !m_pRoot || Evaluate(*m_pRoot, oModel, oItem);
}

}  // namespace sim
