// The browser's drive selector: a combo box with one entry per mounted
// volume, each with a glyph for its kind (removable, fixed, network, CD,
// RAM). Linux has no drive letters; the volume's mount point takes their
// place. An entry shows the mount point, then the volume's label in brackets
// or, for a network volume, its source ("server:/export"); a removable
// medium shows only its mount point, as it is not read for a label. Too
// long for the control, the mount point is shortened in the middle
// ("/media/…/usb [label]").
//
// The selector shows the volume of the directory the DirectoryTree shows
// and asks the tree to move when the user chooses another; connectBrowser()
// links the two. Signals: userSelected() when the user chooses an entry,
// then volumeChosen() for the tree, which goes to the directory last shown
// on that volume or to its mount point, then changed() once the volume is
// current. A volume that cannot be entered leaves its entry chosen and
// nothing else moved; the tree reports it.
//
// Once shown, the selector watches the mount table and reads the entries
// again soon after a mount or unmount, keeping the chosen entry. When the
// volume the tree shows goes away, volumeLost() tells the tree to move up.
#pragma once

#include <QComboBox>
#include <QPixmap>
#include <QTimer>
#include <string>
#include <vector>

class QSocketNotifier;

namespace ottomix {

// How labels and server names are shown; mount points keep their case.
enum class TextCase { Lower, Upper };

class DriveSelector : public QComboBox {
    Q_OBJECT
  public:
    explicit DriveSelector(QWidget* parent = nullptr);
    ~DriveSelector() override;

    // The chosen volume's mount point, or "" for none.
    const std::string& volume() const { return volume_; }
    // Reads the mounted volumes into the entries again, with none chosen.
    void fillVolumes();
    // Reads them again keeping the chosen entry, and sends the tree off a
    // volume that is no longer mounted; what the mount table watch calls.
    void refreshVolumes();

    TextCase textCase() const { return textCase_; }
    void setTextCase(TextCase textCase);

    // The mount point an entry stands for.
    std::string itemVolume(int index) const;
    // An entry's text shortened to `width` pixels: the mount point elided in
    // the middle, so the label or server behind it stays in view.
    QString fittedText(int index, int width) const;
    // What the closed selector shows of the chosen entry.
    QString closedText() const;
    int itemHeight() const { return itemHeight_; }

  public slots:
    // Chooses the volume mounted at `mountPoint` as the user does: emits
    // volumeChosen() unless the tree is on it already, and changed() once
    // it is current. Choosing the volume already chosen does nothing; ""
    // chooses none.
    void selectVolume(const std::string& mountPoint);
    // Shows the volume the tree went onto and emits changed().
    void setCurrentVolume(const std::string& mountPoint);
    // Notes the directory the tree shows, whose volume is the one to leave
    // when it goes away.
    void followDirectory(const std::string& path);

  signals:
    void userSelected();
    void changed();
    // The tree is asked to go onto the volume at `mountPoint`.
    void volumeChosen(const std::string& mountPoint);
    // The volume at `mountPoint`, the one the tree shows, was unmounted.
    void volumeLost(const std::string& mountPoint);

  protected:
    void showEvent(QShowEvent* event) override;
    void changeEvent(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

  private:
    class EntryDelegate;
    void resetItemHeight();
    void selectActivatedEntry(int index);
    void paintEntry(QPainter* painter, const QRect& rect, int index, bool selected) const;
    int entryOf(const std::string& mountPoint) const;
    void watchMountTable();
    // Whether the tree's directory is on the volume at `mountPoint`.
    bool treeIsOn(const std::string& mountPoint) const;

    std::string volume_;
    std::string treeDir_;  // as the tree last reported it
    TextCase textCase_ = TextCase::Lower;
    int itemHeight_ = 13;
    bool shown_ = false;
    std::vector<QPixmap> glyphs_;  // indexed by VolumeType
    int mountTable_ = -1;          // the watched table's descriptor
    QSocketNotifier* mountTableWatch_ = nullptr;
    QTimer refreshTimer_;  // gathers the changes of one mount into one reading
};

}  // namespace ottomix
