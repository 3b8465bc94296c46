#include "sim/ItemsView.h"

#include <algorithm>
#include <utility>

#include "host/Text.h"
#include "sim/ItemProperties.h"

namespace sim {
namespace {

// Ranges this small are sorted outright rather than partitioned further.
constexpr size_t kSortOutright = 32;

// host::FoldCase, folding plain ASCII in place.
std::string FoldedText(std::string s) {
  for (char& c : s) {
    if (static_cast<unsigned char>(c) >= 0x80) return host::FoldCase(s);
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return s;
}

}  // namespace

ItemsView::ItemsView(Model& oModel, const std::vector<ItemPtr>& vecItems,
                     const std::shared_ptr<const JetFilter>& pFilter, const std::string& sSort,
                     bool bDescending)
    : m_oModel(oModel),
      m_vecSource(vecItems),
      m_nSourceSize(vecItems.size()),
      m_sSort(sSort),
      m_bDescending(bDescending) {
  m_vecMatched.reserve(vecItems.size());
  for (size_t i = 0; i < vecItems.size(); ++i) {
    if (pFilter && !pFilter->Matches(oModel, *vecItems[i])) continue;
    m_vecMatched.push_back(static_cast<uint32_t>(i));
  }
  m_vecMatched.shrink_to_fit();
}

const ItemPtr& ItemsView::At(size_t n) {
  if (m_sSort.empty()) return m_vecSource[m_vecMatched[n]];
  if (m_vecOrder.empty()) ReadKeys();
  Settle(n);
  return m_vecSource[m_vecMatched[m_vecOrder[n]]];
}

bool ItemsView::Less(uint32_t a, uint32_t b) const {
  const SortKey& x = m_vecKeys[a];
  const SortKey& y = m_vecKeys[b];
  const int n = x.bNumber && y.bNumber ? (x.d < y.d ? -1 : x.d > y.d ? 1 : 0) : x.s.compare(y.s);
  if (n != 0) return m_bDescending ? n > 0 : n < 0;
  // Equal values keep the folder's order, as a stable sort keeps it.
  return a < b;
}

void ItemsView::ReadKeys() {
  auto fnRead = PropertyReaderOf(m_sSort);
  const int32_t nTextTag = TextTagOf(m_sSort);
  const size_t nSize = m_vecMatched.size();
  m_vecKeys.resize(nSize);
  for (size_t i = 0; i < nSize; ++i) {
    const ItemData& oItem = *m_vecSource[m_vecMatched[i]];
    SortKey& o = m_vecKeys[i];
    if (nTextTag != 0) {
      // Text kept in the property bag: its folded text, as OrderKey would give it.
      const host::Variant* p = oItem.oProps.Find(nTextTag);
      if (p && p->IsString()) o.s = FoldedText(p->ToString());
      continue;
    }
    host::Variant v = OrderKey(fnRead(m_oModel, oItem));
    o.bNumber = !v.IsString();
    if (o.bNumber) {
      o.d = v.ToDouble();
      o.s = host::FoldCase(v.ToString());
    } else {
      o.s = v.ToString();
    }
  }
  m_vecOrder.resize(nSize);
  for (size_t i = 0; i < nSize; ++i) m_vecOrder[i] = static_cast<uint32_t>(i);
  m_vecFinal.assign(nSize, 0);
}

void ItemsView::SortRange(size_t nFirst, size_t nEnd) {
  std::sort(m_vecOrder.begin() + static_cast<ptrdiff_t>(nFirst),
            m_vecOrder.begin() + static_cast<ptrdiff_t>(nEnd),
            [this](uint32_t a, uint32_t b) { return Less(a, b); });
  std::fill(m_vecFinal.begin() + static_cast<ptrdiff_t>(nFirst),
            m_vecFinal.begin() + static_cast<ptrdiff_t>(nEnd), uint8_t{1});
}

void ItemsView::Settle(size_t n) {
  // Quicksort that only ever goes on with the side holding n: about twice the range's length in
  // comparisons, instead of a full sort's length times its logarithm. Every pivot lands at its
  // final position, so later calls start from the narrower range around theirs.
  int nRounds = 0;
  while (!m_vecFinal[n]) {
    size_t nFirst = n, nEnd = n + 1;
    while (nFirst > 0 && !m_vecFinal[nFirst - 1]) --nFirst;
    while (nEnd < m_vecFinal.size() && !m_vecFinal[nEnd]) ++nEnd;
    // Ordered input and bad pivots cannot make it quadratic: after enough rounds the rest of the
    // range is simply sorted.
    if (nEnd - nFirst <= kSortOutright || ++nRounds > 64) {
      SortRange(nFirst, nEnd);
      return;
    }
    auto it = m_vecOrder.begin();
    const size_t nMid = nFirst + (nEnd - nFirst) / 2, nLast = nEnd - 1;
    // The median of the first, middle and last as the pivot, moved to the end.
    if (Less(it[nMid], it[nFirst])) std::swap(it[nMid], it[nFirst]);
    if (Less(it[nLast], it[nFirst])) std::swap(it[nLast], it[nFirst]);
    if (Less(it[nMid], it[nLast])) std::swap(it[nMid], it[nLast]);
    const uint32_t nPivot = it[nLast];
    auto itSplit = std::partition(it + static_cast<ptrdiff_t>(nFirst), it + static_cast<ptrdiff_t>(nLast),
                                  [&](uint32_t x) { return Less(x, nPivot); });
    std::iter_swap(itSplit, it + static_cast<ptrdiff_t>(nLast));
    m_vecFinal[static_cast<size_t>(itSplit - it)] = 1;
  }
}

}  // namespace sim
