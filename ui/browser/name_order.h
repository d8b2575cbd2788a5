// The one order both browser lists show names in: the user's locale's, with
// case ignored for every letter (Ä and ä, Σ and σ, not only A and a). Names
// that compare equal that way are ordered by their bytes, and equal names
// by where they came from, so the order is total and stable.
#pragma once

#include <QCollator>
#include <QString>
#include <vector>

#include "ui/browser/browser_row_model.h"

namespace ottomix {

class NameOrder {
  public:
    NameOrder();
    // What `text` sorts by: folded to one case, then collated.
    QCollatorSortKey key(const QString& text) const;

  private:
    QCollator collator_;
};

// Puts `rows` in the order of `keys` (one per row, from NameOrder::key),
// rows with equal keys by the bytes of their names, then by position.
void sortRows(std::vector<BrowserRow>* rows, const std::vector<QCollatorSortKey>& keys);

}  // namespace ottomix
