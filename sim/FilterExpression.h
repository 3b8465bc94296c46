// What the Jet filters of Items.Restrict and the DASL filters of AdvancedSearch have in common:
// comparisons joined by Or and And (And binding tighter), negated by Not and grouped by
// parentheses, the keywords in any letter case. Each dialect brings its own comparisons and the
// message it fails with.
#pragma once

#include <algorithm>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "host/Variant.h"
#include "sim/Model.h"

namespace sim {

// Whether an item passes one comparison of a filter.
using FilterTest = std::function<bool(Model&, const ItemData&)>;

// And and Or hold all their terms side by side, so a long chain of them is one level deep: only
// parentheses and Not nest, and the parser limits how far.
struct FilterNode {
  enum class Kind { And, Or, Not, Test } eKind = Kind::Test;
  std::vector<std::shared_ptr<const FilterNode>> vecTerms;  // one under Not, none for a test
  FilterTest fnTest;

  static std::shared_ptr<const FilterNode> Join(Kind eKind,
                                                std::vector<std::shared_ptr<const FilterNode>> vecTerms);
  bool Matches(Model& oModel, const ItemData& oItem) const;
};

using FilterNodePtr = std::shared_ptr<const FilterNode>;

// Whether a comparison (=, <>, <, <=, > or >=) holds for an order (negative, zero, positive).
bool OrderMatches(const std::string& sOperator, int nOrder);
// The order of a text against a text already folded: the sign of
// host::FoldCase(sText).compare(sFolded), without building the folded copy when sText is ASCII.
int CompareFolded(std::string_view sText, std::string_view sFolded);

// The reader of one dialect: it parses the comparisons, the frame around them is read here.
class FilterParser {
 public:
  virtual ~FilterParser() = default;

  // How deep parentheses and Not may nest; a deeper filter is refused as one that cannot be
  // parsed, before it could exhaust the stack.
  static constexpr int kMaxDepth = 200;

 protected:
  // sAfterKeyword: what besides a blank may follow a keyword directly.
  FilterParser(const std::string& sText, std::string_view sAfterKeyword)
      : m_s(sText), m_sAfterKeyword(sAfterKeyword) {}

  // The whole text as one expression; anything left after it fails.
  FilterNodePtr Expression();

  // The dialect's words for text it cannot read at the current place.
  virtual std::string FailureText() const = 0;
  // One comparison at the current place.
  virtual FilterTest Comparison() = 0;

  [[noreturn]] void Fail() const;
  // The text from the current place on.
  std::string Rest() const { return m_s.substr(std::min(m_n, m_s.size())); }

  bool AtEnd() const { return m_n >= m_s.size(); }
  char Peek() const { return AtEnd() ? '\0' : m_s[m_n]; }
  void Skip();
  // The keyword at the current place (blanks before it skipped), taken if it is one.
  bool Keyword(std::string_view sWord);
  // One of = <> < <= > >= at the current place, taken; empty if there is none.
  std::string Operator();
  // The text quoted by the character at the current place (a doubled quote stands for itself);
  // fails if the quote is never closed.
  std::string QuotedText();
  // Everything up to the next blank or closing parenthesis.
  std::string Word();
  // sWord, read from nStart, as a number; fails at nStart if it is none.
  host::Variant Number(size_t nStart, const std::string& sWord);

  const std::string& m_s;
  size_t m_n = 0;

 private:
  FilterNodePtr Or();
  FilterNodePtr And();
  FilterNodePtr Factor();

  std::string_view m_sAfterKeyword;
  int m_nDepth = 0;
};

}  // namespace sim
