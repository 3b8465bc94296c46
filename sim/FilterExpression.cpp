#include "sim/FilterExpression.h"

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <cstring>

#include "host/Error.h"
#include "host/Text.h"

namespace sim {

FilterNodePtr FilterNode::Join(Kind eKind, std::vector<FilterNodePtr> vecTerms) {
  auto p = std::make_shared<FilterNode>();
  p->eKind = eKind;
  p->vecTerms = std::move(vecTerms);
  return p;
}

bool FilterNode::Matches(Model& oModel, const ItemData& oItem) const {
  auto fnMatches = [&](const FilterNodePtr& pTerm) { return pTerm->Matches(oModel, oItem); };
  switch (eKind) {
    case Kind::And: return std::all_of(vecTerms.begin(), vecTerms.end(), fnMatches);
    case Kind::Or: return std::any_of(vecTerms.begin(), vecTerms.end(), fnMatches);
    case Kind::Not: return !vecTerms.front()->Matches(oModel, oItem);
    case Kind::Test: break;
  }
  return fnTest(oModel, oItem);
}

bool OrderMatches(const std::string& sOperator, int nOrder) {
  if (sOperator == "=") return nOrder == 0;
  if (sOperator == "<>") return nOrder != 0;
  if (sOperator == "<") return nOrder < 0;
  if (sOperator == "<=") return nOrder <= 0;
  if (sOperator == ">") return nOrder > 0;
  return nOrder >= 0;
}

int CompareFolded(std::string_view sText, std::string_view sFolded) {
  // Eight bytes at a time while both are ASCII: a large folder compares one value per item.
  constexpr uint64_t kOnes = 0x0101010101010101ull, kHigh = 0x8080808080808080ull;
  const size_t n = std::min(sText.size(), sFolded.size());
  size_t i = 0;
  for (; i + 8 <= n; i += 8) {
    uint64_t x = 0, y = 0;
    std::memcpy(&x, sText.data() + i, 8);
    std::memcpy(&y, sFolded.data() + i, 8);
    if (x & kHigh) break;
    // Bytes from 'A' to 'Z' get their high bit set here, moved down to 0x20: lower case.
    const uint64_t nUpper = (x + kOnes * (0x80 - 'A')) & ~(x + kOnes * (0x80 - 'Z' - 1)) & kHigh;
    if ((x | (nUpper >> 2)) != y) break;
  }
  for (; i < n; ++i) {
    auto c = static_cast<unsigned char>(sText[i]);
    if (c >= 0x80) return host::FoldCase(sText).compare(sFolded);
    if (c >= 'A' && c <= 'Z') c = static_cast<unsigned char>(c - 'A' + 'a');
    const auto d = static_cast<unsigned char>(sFolded[i]);
    if (c != d) return c < d ? -1 : 1;
  }
  // Folding keeps the ASCII bytes where they are and never folds a character to nothing, so a
  // longer text stays longer whatever follows.
  return sText.size() < sFolded.size() ? -1 : sText.size() > sFolded.size() ? 1 : 0;
}

FilterNodePtr FilterParser::Expression() {
  FilterNodePtr p = Or();
  Skip();
  if (!AtEnd()) Fail();
  return p;
}

void FilterParser::Fail() const {
  host::Raise(host::err::E_FAIL, FailureText());
}

void FilterParser::Skip() {
  while (!AtEnd() && std::isspace(static_cast<unsigned char>(m_s[m_n]))) ++m_n;
}

bool FilterParser::Keyword(std::string_view sWord) {
  Skip();
  if (m_n + sWord.size() > m_s.size() ||
      !host::EqualsNoCase(std::string_view(m_s).substr(m_n, sWord.size()), sWord))
    return false;
  // A keyword ends where its word does: "Order" is no Or.
  size_t nAfter = m_n + sWord.size();
  if (nAfter < m_s.size() && !std::isspace(static_cast<unsigned char>(m_s[nAfter])) &&
      m_sAfterKeyword.find(m_s[nAfter]) == std::string_view::npos)
    return false;
  m_n = nAfter;
  return true;
}

std::string FilterParser::Operator() {
  // Two-character operators first, or "<=" would read as "<".
  for (std::string_view sOp : {"<>", "<=", ">=", "=", "<", ">"}) {
    if (m_s.compare(m_n, sOp.size(), sOp) == 0) {
      m_n += sOp.size();
      return std::string(sOp);
    }
  }
  return std::string();
}

std::string FilterParser::QuotedText() {
  char cQuote = Peek();
  std::string sText;
  for (size_t i = m_n + 1; i < m_s.size(); ++i) {
    if (m_s[i] != cQuote) {
      sText += m_s[i];
    } else if (i + 1 < m_s.size() && m_s[i + 1] == cQuote) {
      sText += cQuote;
      ++i;
    } else {
      m_n = i + 1;
      return sText;
    }
  }
  Fail();
}

std::string FilterParser::Word() {
  size_t nStart = m_n;
  while (!AtEnd() && !std::isspace(static_cast<unsigned char>(Peek())) && Peek() != ')') ++m_n;
  return m_s.substr(nStart, m_n - nStart);
}

host::Variant FilterParser::Number(size_t nStart, const std::string& sWord) {
  double d = 0;
  if (sWord.empty() || !host::ParseNumber(sWord, d)) {
    m_n = nStart;
    Fail();
  }
  return host::Variant(d);
}

FilterNodePtr FilterParser::Or() {
  std::vector<FilterNodePtr> vecTerms{And()};
  while (Keyword("Or")) vecTerms.push_back(And());
  return vecTerms.size() == 1 ? vecTerms.front()
                              : FilterNode::Join(FilterNode::Kind::Or, std::move(vecTerms));
}

FilterNodePtr FilterParser::And() {
  std::vector<FilterNodePtr> vecTerms{Factor()};
  while (Keyword("And")) vecTerms.push_back(Factor());
  return vecTerms.size() == 1 ? vecTerms.front()
                              : FilterNode::Join(FilterNode::Kind::And, std::move(vecTerms));
}

FilterNodePtr FilterParser::Factor() {
  struct Nesting {
    int& nDepth;
    ~Nesting() { --nDepth; }
  } oNesting{++m_nDepth};
  if (m_nDepth > kMaxDepth) Fail();
  if (Keyword("Not")) return FilterNode::Join(FilterNode::Kind::Not, {Factor()});
  Skip();
  if (Peek() == '(') {
    ++m_n;
    FilterNodePtr p = Or();
    Skip();
    if (Peek() != ')') Fail();
    ++m_n;
    return p;
  }
  auto p = std::make_shared<FilterNode>();
  p->fnTest = Comparison();
  return p;
}

}  // namespace sim
