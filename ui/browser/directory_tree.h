// The browser's directory tree: a row for "/", one for each directory on the
// way down, one for the current directory, then the current directory's
// subdirectories (hidden ones left out), each indented one step deeper than
// its parent. Opening a row, by double-click or Enter, makes that directory
// current for the tree and for the process.
//
// Linux has no drive letters; a mounted volume takes the place of a drive
// and its mount point ("/", "/media/usb") that of the letter. volume() is
// the mount point of the volume holding the current directory.
//
// Signals: userSelected() whenever the user picks a row (opening it needs a
// double-click or Enter); after the current directory changed,
// currentDirectoryChanged(), then changed(); volumeChanged() when the tree
// went onto another volume. A directory that cannot be entered throws
// BrowserError from changeDir(); when the user opened it, or another control
// asked through a slot, failed() says so instead, and tree and process stay
// where they were. connectBrowser() links the tree to the list and the
// drive selector.
#pragma once

#include <QPixmap>
#include <string>

#include "ui/browser/browser_list.h"

namespace ottomix {

class DirectoryTree : public BrowserList {
    Q_OBJECT
  public:
    explicit DirectoryTree(QWidget* parent = nullptr);
    ~DirectoryTree() override;

    const std::string& currentDir() const { return currentDir_; }
    // Makes `path` the current directory of the tree and the process.
    // `path` is absolute or relative to currentDir(); when its last part
    // names a file, or is a pattern such as "*.txt" that names no directory,
    // its directory is meant. Throws BrowserError.
    void changeDir(const std::string& path);
    // Opens the selected row (double-click and Enter do this).
    void openSelected();
    // The path a row stands for ("" for no row).
    std::string rowPath(int index) const;

    // The mount point of the volume holding currentDir().
    std::string volume() const;

    // Case behaviour of the current directory's volume: a volume that keeps
    // no case shows names in lower case, and one that ignores case takes
    // "DOCS" for "docs".
    bool preservesCase() const { return preserveCase_; }
    bool isCaseSensitive() const { return caseSensitive_; }
    // Reads the rows again for currentDir().
    void fillTree();
    // Emits currentDirectoryChanged() and changed().
    void notifyChange();

  public slots:
    // Moves to the directory last shown on the volume at `mountPoint`, or to
    // its mount point; nothing for the volume already current. A volume that
    // cannot be entered is reported through failed().
    void setVolume(const std::string& mountPoint);
    // The volume at `mountPoint`, which holds currentDir(), went away: moves
    // to the nearest directory above the mount point that can be entered,
    // "/" at last. Only when not even "/" can be entered is failed() emitted.
    void leaveVolume(const std::string& mountPoint);

  signals:
    void currentDirectoryChanged(const std::string& path);
    void volumeChanged(const std::string& mountPoint);

  protected:
    int naturalItemHeight() const override;
    void fillOnFirstShow() override;
    void handleUserSelection(int row) override;
    void paintRow(QPainter* painter, const QStyleOptionViewItem& option, int row) const override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

  private:
    struct Resolved {
        std::string volume;
        std::string dir;
    };
    // Where `path` leads, checked by going there on a helper thread; the
    // process's current directory does not move.
    Resolved resolvePath(const std::string& path) const;
    // Goes onto the volume at `mountPoint` without reading the rows again;
    // throws BrowserError.
    void enterVolume(const std::string& mountPoint);

    std::string currentDir_;
    int currentRow_ = 0;
    bool preserveCase_ = false;
    bool caseSensitive_ = false;
    QPixmap openGlyph_, currentGlyph_, closedGlyph_;
};

}  // namespace ottomix
