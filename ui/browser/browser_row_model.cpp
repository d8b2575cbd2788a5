#include "ui/browser/browser_row_model.h"

#include <iterator>
#include <utility>

namespace ottomix {

int BrowserRowModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(rows_.size());
}

QVariant BrowserRowModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || role != Qt::DisplayRole) return {};
    return rows_[static_cast<size_t>(index.row())].text;
}

void BrowserRowModel::clear() {
    beginResetModel();
    rows_.clear();
    endResetModel();
}

void BrowserRowModel::append(std::vector<BrowserRow>&& rows) {
    if (rows.empty()) return;
    const int first = size();
    beginInsertRows(QModelIndex(), first, first + static_cast<int>(rows.size()) - 1);
    if (rows_.empty()) {
        rows_ = std::move(rows);
    } else {
        std::move(rows.begin(), rows.end(), std::back_inserter(rows_));
    }
    endInsertRows();
}

}  // namespace ottomix
