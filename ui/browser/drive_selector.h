// The browser's drive selector: a combo box with one entry per mounted
// volume, each with a glyph for its kind (removable, fixed, network, CD,
// RAM). Linux has no drive letters; the volume's mount point takes their
// place. An entry shows the mount point, then the volume's label in brackets
// or, for a network volume, its source ("server:/export"); a removable
// medium shows only its mount point, as it is not read for a label. Too
// long for the control, the mount point is shortened in the middle
// ("/media/…/usb [label]").
//
// Choosing an entry moves the linked DirectoryTree (and with it the file
// list and the process) to the directory last shown on that volume, or to
// its mount point. Signals: userSelected() when the user chooses an entry,
// then changed() once the volume is current. A volume that cannot be entered
// throws BrowserError; when the user chose it, the error is raised from the
// event loop (see deferred_error.h), the entry stays chosen and nothing
// else moves.
//
// Once shown, the selector watches the mount table and reads the entries
// again soon after a mount or unmount, keeping the chosen entry. When the
// volume the tree shows goes away, the tree moves to the nearest directory
// above its mount point that can be entered ("/" at last).
#pragma once

#include <QComboBox>
#include <QPixmap>
#include <QPointer>
#include <QTimer>
#include <string>
#include <vector>

class QSocketNotifier;

namespace ottomix {

class DirectoryTree;

// How labels and server names are shown; mount points keep their case.
enum class TextCase { Lower, Upper };

class DriveSelector : public QComboBox {
    Q_OBJECT
  public:
    explicit DriveSelector(QWidget* parent = nullptr);
    ~DriveSelector() override;

    // The chosen volume's mount point, or "" for none.
    const std::string& volume() const { return volume_; }
    // Makes the volume mounted at `mountPoint` current and moves the
    // linked tree there; throws BrowserError when it cannot be entered.
    // Choosing the volume already current does nothing.
    void selectVolume(const std::string& mountPoint);
    // Reads the mounted volumes into the entries again, with none chosen.
    void fillVolumes();
    // Reads them again keeping the chosen entry, and moves the tree off a
    // volume that is no longer mounted; what the mount table watch calls.
    void refreshVolumes();

    TextCase textCase() const { return textCase_; }
    void setTextCase(TextCase text_case);
    DirectoryTree* directoryTree() const;
    void setDirectoryTree(DirectoryTree* tree);

    // The mount point an entry stands for.
    std::string itemVolume(int index) const;
    // An entry's text shortened to `width` pixels: the mount point elided in
    // the middle, so the label or server behind it stays in view.
    QString fittedText(int index, int width) const;
    // What the closed selector shows of the chosen entry.
    QString closedText() const;
    int itemHeight() const { return itemHeight_; }

  signals:
    void userSelected();
    void changed();

  protected:
    void showEvent(QShowEvent* event) override;
    void changeEvent(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

  private:
    class EntryDelegate;
    friend class DirectoryTree;
    void resetItemHeight();
    void selectActivatedEntry(int index);
    void paintEntry(QPainter* painter, const QRect& rect, int index, bool selected) const;
    int entryOf(const std::string& mountPoint) const;
    void watchMountTable();
    // Moves the tree up from the vanished volume at `mountPoint`.
    void leaveVolume(const std::string& mountPoint);

    std::string volume_;
    TextCase textCase_ = TextCase::Lower;
    QPointer<DirectoryTree> directoryTree_;
    int itemHeight_ = 13;
    bool shown_ = false;
    std::vector<QPixmap> glyphs_;  // indexed by VolumeType
    int mountTable_ = -1;          // the watched table's descriptor
    QSocketNotifier* mountTableWatch_ = nullptr;
    QTimer refreshTimer_;  // gathers the changes of one mount into one reading
};

}  // namespace ottomix
