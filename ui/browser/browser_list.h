// The common ground of the browser's two lists, the directory tree and the
// file list: a single-selection list of fixed-height rows that each subclass
// fills and draws itself.
//
// It tells the user's selections from the program's own: a row the user picks
// with the mouse or the keyboard emits userSelected(), while setSelectedRow()
// emits nothing. The user can move the selection but not take it away. A list
// fills itself the first time it is shown, so one that is never shown never
// reads the disk.
//
// Nothing a user's action or a request from another control sets off
// throws past the list: a failure comes out as failed(), with the message
// for the user, and the list stays as it was.
#pragma once

#include <QListView>
#include <QString>
#include <functional>
#include <string>

class QPainter;
class QStyleOptionViewItem;

namespace ottomix {

class BrowserRowModel;

class BrowserList : public QListView {
    Q_OBJECT
  public:
    explicit BrowserList(QWidget* parent);
    ~BrowserList() override;

    int count() const;
    // Selected row, or -1. Setting it is a program selection: no signals.
    int selectedRow() const;
    void setSelectedRow(int index);
    // Shown text of a row, and its name as bytes.
    QString itemText(int index) const;
    std::string itemName(int index) const;

    int itemHeight() const { return itemHeight_; }
    void setItemHeight(int height);
    // True once the control has been shown for the first time.
    bool hasBeenShown() const { return shown_; }

  signals:
    // The user selected a row (again); see handleUserSelection().
    void userSelected();
    // What changed depends on the list; see FileList and DirectoryTree.
    void changed();
    // Something the user did, or another control asked for, failed.
    void failed(const QString& message);

  protected:
    // Row height for the current font.
    virtual int naturalItemHeight() const = 0;
    // Fills the list; called when it is shown for the first time.
    virtual void fillOnFirstShow() = 0;
    // The user selected `row` (mouse or keyboard).
    virtual void handleUserSelection(int row) = 0;
    virtual void paintRow(QPainter* painter, const QStyleOptionViewItem& option, int row) const = 0;

    // Background and focus frame of a row; returns the text colour to use.
    QColor paintRowBackground(QPainter* painter, const QStyleOptionViewItem& option) const;

    void resetItemHeight();
    BrowserRowModel* rowModel() const { return model_; }
    // Runs `action`; a BrowserError it throws comes out as failed().
    // Returns false then.
    bool reportingFailure(const std::function<void()>& action);

    void showEvent(QShowEvent* event) override;
    void changeEvent(QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    QItemSelectionModel::SelectionFlags selectionCommand(const QModelIndex& index,
                                                         const QEvent* event) const override;

  private:
    class RowDelegate;

    BrowserRowModel* model_;
    int itemHeight_ = 13;
    bool shown_ = false;
};

}  // namespace ottomix
