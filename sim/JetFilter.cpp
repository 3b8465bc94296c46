#include "sim/JetFilter.h"

#include <cctype>
#include <vector>

#include "host/Error.h"
#include "host/Text.h"
#include "sim/ItemProperties.h"

namespace sim {

struct JetFilter::Node {
  enum class Kind { And, Or, Not, Compare } eKind = Kind::Compare;
  std::shared_ptr<const Node> pLeft;
  std::shared_ptr<const Node> pRight;
  std::string sProperty;
  std::string sOperator;
  host::Variant vValue;
};

namespace {

using Node = JetFilter::Node;
using NodePtr = std::shared_ptr<const Node>;

class Parser {
 public:
  explicit Parser(const std::string& s) : m_s(s) {}

  NodePtr Parse() {
    NodePtr p = Or();
    Skip();
    if (m_n != m_s.size()) Fail();
    return p;
  }

 private:
  [[noreturn]] void Fail() const {
    host::Raise(host::err::E_FAIL,
                "Cannot parse condition. Error at \"" + m_s.substr(std::min(m_n, m_s.size())) + "\".");
  }

  void Skip() {
    while (m_n < m_s.size() && std::isspace(static_cast<unsigned char>(m_s[m_n]))) ++m_n;
  }

  // A keyword (And, Or, Not) at the current place, followed by a blank or a parenthesis.
  bool Keyword(const char* sWord) {
    Skip();
    size_t nLen = std::char_traits<char>::length(sWord);
    if (m_n + nLen > m_s.size() || !host::EqualsNoCase(m_s.substr(m_n, nLen), sWord)) return false;
    if (m_n + nLen < m_s.size() && !std::isspace(static_cast<unsigned char>(m_s[m_n + nLen])) &&
        m_s[m_n + nLen] != '(')
      return false;
    m_n += nLen;
    return true;
  }

  NodePtr Join(Node::Kind eKind, NodePtr pLeft, NodePtr pRight) {
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
    if (m_n < m_s.size() && m_s[m_n] == '(') {
      ++m_n;
      NodePtr p = Or();
      Skip();
      if (m_n >= m_s.size() || m_s[m_n] != ')') Fail();
      ++m_n;
      return p;
    }
    return Comparison();
  }

  NodePtr Comparison() {
    auto p = std::make_shared<Node>();
    Skip();
    if (m_n >= m_s.size() || m_s[m_n] != '[') Fail();
    size_t nEnd = m_s.find(']', m_n);
    if (nEnd == std::string::npos || nEnd == m_n + 1) Fail();
    p->sProperty = m_s.substr(m_n + 1, nEnd - m_n - 1);
    if (!IsKnownProperty(p->sProperty))
      host::Raise(host::err::E_FAIL, "The property \"" + p->sProperty + "\" in the condition is not valid.");
    m_n = nEnd + 1;
    Skip();
    for (const char* sOp : {"<>", "<=", ">=", "=", "<", ">"}) {
      if (m_s.compare(m_n, std::char_traits<char>::length(sOp), sOp) == 0) {
        p->sOperator = sOp;
        m_n += p->sOperator.size();
        break;
      }
    }
    if (p->sOperator.empty()) Fail();
    p->vValue = Literal();
    return p;
  }

  host::Variant Literal() {
    Skip();
    if (m_n >= m_s.size()) Fail();
    char cQuote = m_s[m_n];
    if (cQuote == '"' || cQuote == '\'') {
      std::string sText;
      for (size_t i = m_n + 1; i < m_s.size(); ++i) {
        if (m_s[i] != cQuote) {
          sText += m_s[i];
        } else if (i + 1 < m_s.size() && m_s[i + 1] == cQuote) {
          sText += cQuote;  // a doubled quote stands for itself
          ++i;
        } else {
          m_n = i + 1;
          return host::Variant(sText);
        }
      }
      Fail();
    }
    size_t nStart = m_n;
    while (m_n < m_s.size() && !std::isspace(static_cast<unsigned char>(m_s[m_n])) && m_s[m_n] != ')') ++m_n;
    std::string sWord = m_s.substr(nStart, m_n - nStart);
    if (host::EqualsNoCase(sWord, "True")) return host::Variant(true);
    if (host::EqualsNoCase(sWord, "False")) return host::Variant(false);
    double d = 0;
    if (sWord.empty() || !host::ParseNumber(sWord, d)) {
      m_n = nStart;
      Fail();
    }
    return host::Variant(d);
  }

  const std::string& m_s;
  size_t m_n = 0;
};

bool Compare(const std::string& sOp, int nOrder) {
  if (sOp == "=") return nOrder == 0;
  if (sOp == "<>") return nOrder != 0;
  if (sOp == "<") return nOrder < 0;
  if (sOp == "<=") return nOrder <= 0;
  if (sOp == ">") return nOrder > 0;
  return nOrder >= 0;
}

bool Evaluate(const Node& o, Model& oModel, const ItemData& oItem) {
  switch (o.eKind) {
    case Node::Kind::And: return Evaluate(*o.pLeft, oModel, oItem) && Evaluate(*o.pRight, oModel, oItem);
    case Node::Kind::Or: return Evaluate(*o.pLeft, oModel, oItem) || Evaluate(*o.pRight, oModel, oItem);
    case Node::Kind::Not: return !Evaluate(*o.pLeft, oModel, oItem);
    case Node::Kind::Compare: break;
  }
  return Compare(o.sOperator, CompareValues(PropertyOf(oModel, oItem, o.sProperty), o.vValue));
}

}  // namespace

JetFilter::JetFilter(const std::string& sFilter) : m_pRoot(Parser(sFilter).Parse()) {}

JetFilter::JetFilter(const JetFilter& oFirst, const JetFilter& oSecond) {
  auto p = std::make_shared<Node>();
  p->eKind = Node::Kind::And;
  p->pLeft = oFirst.m_pRoot;
  p->pRight = oSecond.m_pRoot;
  m_pRoot = std::move(p);
}

bool JetFilter::Matches(Model& oModel, const ItemData& oItem) const {
  return Evaluate(*m_pRoot, oModel, oItem);
}

}  // namespace sim
