// The members of a restricted or sorted Items collection, worked out no further than they are
// asked for. The count needs only the filter; the item at a position needs the order only around
// that position. A dialog that shows the first page of a folder of 100 000 lists, or the last
// one, therefore never sorts the whole folder, and gets exactly the items a full stable sort would
// have put there.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "sim/JetFilter.h"
#include "sim/Model.h"

namespace sim {

class ItemsView {
 public:
  // The items of vecItems that pass pFilter (all of them without one), in their order, or
  // ordered by the property sSort (a known property name; none when empty). Items with equal
  // values keep their order in vecItems, in either direction.
  ItemsView(Model& oModel, const std::vector<ItemPtr>& vecItems,
            const std::shared_ptr<const JetFilter>& pFilter, const std::string& sSort, bool bDescending);

  size_t Size() const { return m_vecMatched.size(); }
  // The item at a 0-based position below Size().
  const ItemPtr& At(size_t n);
  // False once items came or went in vecItems: the view must be made again. (The folder's
  // collections learn of every change through the item events and drop their view at once;
  // this is the guard that an unannounced change can never make a position point nowhere.)
  bool Fits() const { return m_vecSource.size() == m_nSourceSize; }

 private:
  // A sort value as the order reads it: numbers compare by value with each other, anything else
  // by its folded text.
  struct SortKey {
    bool bNumber = false;
    double d = 0;
    std::string s;
  };

  bool Less(uint32_t a, uint32_t b) const;
  void ReadKeys();
  // Puts the item that belongs at position n there, with everything before it ordered below and
  // everything after it above.
  void Settle(size_t n);
  void SortRange(size_t nFirst, size_t nEnd);

  Model& m_oModel;
  const std::vector<ItemPtr>& m_vecSource;
  size_t m_nSourceSize;
  // Positions in m_vecSource of the items that pass the filter, in order. Positions rather than
  // the items themselves: a pass over 100 000 items then touches no reference count.
  std::vector<uint32_t> m_vecMatched;
  std::string m_sSort;
  bool m_bDescending = false;
  // Read at the first positional access; index-aligned with m_vecMatched.
  std::vector<SortKey> m_vecKeys;
  // Sorted positions to indices into m_vecMatched; a position is final once m_vecFinal says so.
  std::vector<uint32_t> m_vecOrder;
  std::vector<uint8_t> m_vecFinal;
};

}  // namespace sim
