#include "ui/browser/name_order.h"

#include <algorithm>
#include <numeric>
#include <utility>

namespace ottomix {

NameOrder::NameOrder() {
    collator_.setCaseSensitivity(Qt::CaseInsensitive);
}

QCollatorSortKey NameOrder::key(const QString& text) const {
    // Folded first: the C locale's collation compares code points and would
    // otherwise order by case.
    return collator_.sortKey(text.toCaseFolded());
}

void sortRows(std::vector<BrowserRow>* rows, const std::vector<QCollatorSortKey>& keys) {
    std::vector<size_t> order(rows->size());
    std::iota(order.begin(), order.end(), size_t{0});
    std::sort(order.begin(), order.end(), [&](size_t a, size_t b) {
        const int by_key = keys[a].compare(keys[b]);
        if (by_key != 0) return by_key < 0;
        const int by_bytes = (*rows)[a].name.compare((*rows)[b].name);
        return by_bytes != 0 ? by_bytes < 0 : a < b;
    });
    std::vector<BrowserRow> sorted;
    sorted.reserve(rows->size());
    for (size_t i : order) sorted.push_back(std::move((*rows)[i]));
    *rows = std::move(sorted);
}

}  // namespace ottomix
