// The one order both browser lists show names in: the user's locale's, with
// case ignored for every letter (Ä and ä, Σ and σ, not only A and a). Names
// that compare equal that way are ordered by their bytes, and equal names
// by where they came from, so the order is total and stable.
#pragma once

#include <QCollator>
#include <QString>
#include <cstdint>
#include <string>
#include <vector>

#include "ui/browser/browser_row_model.h"

namespace ottomix {

class NameOrder {
  public:
    NameOrder();
    void reserve(size_t count);
    // Adds the key of the next row: `text`, folded to one case, then
    // collated as the default locale does.
    void add(const QString& text);
    // Puts `rows` (one per add(), in the same order) in the order of their
    // keys, rows with equal keys by the bytes of their names, then by position.
    void sort(std::vector<BrowserRow>* rows) const;

  private:
    QCollator collator_;
    // The C locale collates folded text by its UTF-8 bytes, as Qt does; those
    // bytes are kept here in one buffer, the first eight of each as a number
    // that decides most comparisons at once. Other locales keep Qt's keys.
    bool byBytes_;
    std::string bytes_;
    std::vector<uint32_t> offsets_;  // one more than keys: where each ends
    std::vector<uint64_t> heads_;
    std::vector<QCollatorSortKey> collated_;
};

}  // namespace ottomix
