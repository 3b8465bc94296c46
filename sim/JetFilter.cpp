#include "sim/JetFilter.h"

#include "host/Error.h"
#include "host/Text.h"
#include "sim/FilterExpression.h"
#include "sim/ItemProperties.h"

namespace sim {
namespace {

class JetParser : public FilterParser {
 public:
  explicit JetParser(const std::string& s) : FilterParser(s, "(") {}

  FilterNodePtr Parse() { return Expression(); }

 private:
  std::string FailureText() const override { return "Cannot parse condition. Error at \"" + Rest() + "\"."; }

  // [Property] op value
  FilterTest Comparison() override {
    Skip();
    if (Peek() != '[') Fail();
    size_t nEnd = m_s.find(']', m_n);
    if (nEnd == std::string::npos || nEnd == m_n + 1) Fail();
    std::string sProperty = m_s.substr(m_n + 1, nEnd - m_n - 1);
    if (!IsKnownProperty(sProperty))
      host::Raise(host::err::E_FAIL, "The property \"" + sProperty + "\" in the condition is not valid.");
    m_n = nEnd + 1;
    Skip();
    std::string sOperator = Operator();
    if (sOperator.empty()) Fail();
    host::Variant vValue = Literal();
    // Looked up once: a filter runs over every item of a folder.
    auto fnRead = PropertyReaderOf(sProperty);
    host::Variant vKey = OrderKey(vValue);
    if (int32_t nTag = TextTagOf(sProperty); nTag != 0 && vKey.IsString())
      // Text kept in the property bag: read in place, folded only where it is not ASCII.
      return [nTag, sOperator, sKey = vKey.ToString()](Model&, const ItemData& oItem) {
        const host::Variant* p = oItem.oProps.Find(nTag);
        return OrderMatches(
            sOperator, p && p->IsString() ? CompareFolded(p->ToString(), sKey) : CompareFolded({}, sKey));
      };
    if (vKey.IsString())
      // Text against text, the usual case: the folded texts compare directly.
      return [fnRead, sOperator, vKey, sKey = vKey.ToString()](Model& oModel, const ItemData& oItem) {
        host::Variant v = fnRead(oModel, oItem);
        if (!v.IsString()) return OrderMatches(sOperator, CompareKeys(OrderKey(v), vKey));
        return OrderMatches(sOperator, host::FoldCase(v.ToString()).compare(sKey));
      };
    return [fnRead, sOperator, vKey](Model& oModel, const ItemData& oItem) {
      return OrderMatches(sOperator, CompareKeys(OrderKey(fnRead(oModel, oItem)), vKey));
    };
  }

  // A text in double or single quotes, a number, True or False.
  host::Variant Literal() {
    Skip();
    if (AtEnd()) Fail();
    if (Peek() == '"' || Peek() == '\'') return host::Variant(QuotedText());
    size_t nStart = m_n;
    std::string sWord = Word();
    if (host::EqualsNoCase(sWord, "True")) return host::Variant(true);
    if (host::EqualsNoCase(sWord, "False")) return host::Variant(false);
    return Number(nStart, sWord);
  }
};

}  // namespace

JetFilter::JetFilter(const std::string& sFilter) : m_pRoot(JetParser(sFilter).Parse()) {}

JetFilter::JetFilter(const JetFilter& oFirst, const JetFilter& oSecond)
    : m_pRoot(FilterNode::Join(FilterNode::Kind::And, {oFirst.m_pRoot, oSecond.m_pRoot})) {}

bool JetFilter::Matches(Model& oModel, const ItemData& oItem) const {
  return m_pRoot->Matches(oModel, oItem);
}

}  // namespace sim
