#include "ui/browser/browser_list.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QStyledItemDelegate>

#include "ui/browser/browser_error.h"
#include "ui/browser/browser_row_model.h"

namespace ottomix {

// Sizes every row to the list's item height and lets the list draw it.
class BrowserList::RowDelegate : public QStyledItemDelegate {
  public:
    explicit RowDelegate(BrowserList* owner) : QStyledItemDelegate(owner), owner_(owner) {}
    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override {
        painter->save();
        owner_->paintRow(painter, option, index.row());
        painter->restore();
    }
    QSize sizeHint(const QStyleOptionViewItem&, const QModelIndex&) const override {
        return QSize(1, owner_->itemHeight_);
    }

  private:
    BrowserList* owner_;
};

BrowserList::BrowserList(QWidget* parent) : QListView(parent), model_(new BrowserRowModel(this)) {
    setModel(model_);
    setItemDelegate(new RowDelegate(this));
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setUniformItemSizes(true);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setFocusPolicy(Qt::StrongFocus);
}

BrowserList::~BrowserList() = default;

int BrowserList::count() const {
    return model_->size();
}

int BrowserList::selectedRow() const {
    const QModelIndexList selected = selectionModel()->selectedRows();
    return selected.isEmpty() ? -1 : selected.first().row();
}

void BrowserList::setSelectedRow(int index) {
    if (index < 0 || index >= count()) {
        selectionModel()->clearSelection();
        return;
    }
    const QModelIndex at = model_->index(index);
    selectionModel()->setCurrentIndex(at, QItemSelectionModel::ClearAndSelect);
    scrollTo(at);
}

QString BrowserList::itemText(int index) const {
    return index >= 0 && index < count() ? model_->at(index).text : QString();
}

std::string BrowserList::itemName(int index) const {
    return index >= 0 && index < count() ? model_->at(index).name : std::string();
}

void BrowserList::setItemHeight(int height) {
    if (height <= 0 || height == itemHeight_) return;
    itemHeight_ = height;
    // Forget the cached uniform row size.
    setUniformItemSizes(false);
    setUniformItemSizes(true);
    doItemsLayout();
    viewport()->update();
}

void BrowserList::resetItemHeight() {
    setItemHeight(naturalItemHeight());
}

QColor BrowserList::paintRowBackground(QPainter* painter,
                                       const QStyleOptionViewItem& option) const {
    const bool selected = option.state & QStyle::State_Selected;
    const QPalette& colours = palette();
    painter->fillRect(option.rect, selected ? colours.color(QPalette::Active, QPalette::Highlight)
                                            : colours.color(QPalette::Base));
    const QColor text = selected ? colours.color(QPalette::Active, QPalette::HighlightedText)
                                 : colours.color(QPalette::Text);
    if (option.state & QStyle::State_HasFocus) {
        painter->setPen(QPen(text, 1, Qt::DotLine));
        painter->setBrush(Qt::NoBrush);
        painter->drawRect(option.rect.adjusted(0, 0, -1, -1));
    }
    return text;
}

void BrowserList::showEvent(QShowEvent* event) {
    QListView::showEvent(event);
    if (shown_) return;
    shown_ = true;
    reportingFailure([this] { fillOnFirstShow(); });
}

bool BrowserList::reportingFailure(const std::function<void()>& action) {
    try {
        action();
        return true;
    } catch (const BrowserError& error) {
        emit failed(error.text());
        return false;
    }
}

void BrowserList::changeEvent(QEvent* event) {
    QListView::changeEvent(event);
    if (event->type() == QEvent::FontChange) resetItemHeight();
}

void BrowserList::mousePressEvent(QMouseEvent* event) {
    const int before = selectedRow();
    QListView::mousePressEvent(event);
    const int after = selectedRow();
    if (after < 0) return;
    // A click on the row already selected is a selection by the user too.
    const bool onRow =
        event->button() == Qt::LeftButton && indexAt(event->position().toPoint()).row() == after;
    if (after != before || onRow) handleUserSelection(after);
}

void BrowserList::mouseMoveEvent(QMouseEvent* event) {
    const int before = selectedRow();
    QListView::mouseMoveEvent(event);
    const int after = selectedRow();
    if (after >= 0 && after != before) handleUserSelection(after);
}

void BrowserList::keyPressEvent(QKeyEvent* event) {
    const int before = selectedRow();
    QListView::keyPressEvent(event);
    const int after = selectedRow();
    if (after >= 0 && after != before) handleUserSelection(after);
}

// The user moves the selection but cannot take it away (Ctrl+click,
// Ctrl+Space, a click below the last row): only the program clears it.
QItemSelectionModel::SelectionFlags BrowserList::selectionCommand(const QModelIndex& index,
                                                                  const QEvent* event) const {
    const QItemSelectionModel::SelectionFlags flags = QListView::selectionCommand(index, event);
    if (!index.isValid() || (flags & QItemSelectionModel::Deselect)) {
        return QItemSelectionModel::NoUpdate;
    }
    return flags;
}

}  // namespace ottomix
