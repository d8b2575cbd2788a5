// The rows behind the directory tree and the file list. Each row keeps its
// name as bytes, the text shown for it, which glyph goes in front and, in
// the tree, how far it is indented. The lists draw the rows themselves; the
// model only holds them and tells the view when they change.
#pragma once

#include <QAbstractListModel>
#include <QString>
#include <string>
#include <vector>

namespace ottomix {

enum class RowGlyph { None = -1, Executable, UnknownFile, ClosedFolder, OpenFolder, CurrentFolder };

struct BrowserRow {
    std::string name;  // bytes: a path component, or a file list row's text
    QString text;      // as shown
    RowGlyph glyph = RowGlyph::None;
    int indent = 0;  // tree rows only
};

class BrowserRowModel : public QAbstractListModel {
  public:
    using QAbstractListModel::QAbstractListModel;

    int rowCount(const QModelIndex& parent) const override;
    QVariant data(const QModelIndex& index, int role) const override;

    const BrowserRow& at(int row) const { return rows_[static_cast<size_t>(row)]; }
    int size() const { return static_cast<int>(rows_.size()); }

    void clear();
    // All rows in one insertion, so views lay out once.
    void append(std::vector<BrowserRow>&& rows);

  private:
    std::vector<BrowserRow> rows_;
};

}  // namespace ottomix
