// The browser's directory tree: a row for "/", one for each directory on the
// way down, one for the current directory, then the current directory's
// subdirectories (hidden ones left out), each indented one step deeper than
// its parent. Opening a row, by double-click or Enter, makes that directory
// current for the tree, for the linked FileList and for the process.
//
// Linux has no drive letters; a mounted volume takes the place of a drive
// and its mount point ("/", "/media/usb") that of the letter. volume() is
// the mount point of the volume holding the current directory; moving to a
// directory on another volume switches the linked DriveSelector too.
//
// Signals: userSelected() whenever the user picks a row (opening it needs a
// double-click or Enter), changed() after the current directory changed.
// A directory that cannot be entered throws BrowserError; when the user
// opened it, the error is raised from the event loop (see deferred_error.h)
// and tree, list and process stay where they were.
#pragma once

#include <QPixmap>
#include <QPointer>
#include <string>

#include "ui/browser/browser_list.h"

namespace ottomix {

class DriveSelector;
class FileList;

class DirectoryTree : public BrowserList {
    Q_OBJECT
  public:
    explicit DirectoryTree(QWidget* parent = nullptr);
    ~DirectoryTree() override;

    const std::string& currentDir() const { return currentDir_; }
    // Makes `path` the current directory of the tree, the process and the
    // linked list. `path` is absolute or relative to currentDir(); when its
    // last part names a file, or is a pattern such as "*.txt" that names no
    // directory, its directory is meant. Throws BrowserError.
    void changeDir(const std::string& path);
    // Opens the selected row (double-click and Enter do this).
    void openSelected();
    // The path a row stands for ("" for no row).
    std::string rowPath(int index) const;

    // The mount point of the volume holding currentDir(). Setting another
    // one moves to the directory last shown there, or to its mount point.
    std::string volume() const;
    void setVolume(const std::string& mountPoint);

    // The list that follows this tree; linking it moves nothing until the
    // next change of directory.
    FileList* fileList() const;
    void setFileList(FileList* list);
    // The selector linked by DriveSelector::setDirectoryTree().
    DriveSelector* driveSelector() const;

    // Case behaviour of the current directory's volume: a volume that keeps
    // no case shows names in lower case, and one that ignores case takes
    // "DOCS" for "docs".
    bool preservesCase() const { return preserveCase_; }
    bool isCaseSensitive() const { return caseSensitive_; }
    // Reads the rows again for currentDir().
    void fillTree();
    // Moves the linked list to currentDir() and emits changed().
    void notifyChange();

  protected:
    int naturalItemHeight() const override;
    void fillOnFirstShow() override;
    void handleUserSelection(int row) override;
    void paintRow(QPainter* painter, const QStyleOptionViewItem& option, int row) const override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

  private:
    friend class DriveSelector;
    friend class FileList;
    struct Resolved {
        std::string volume;
        std::string dir;
    };
    // Where `path` leads, checked by going there on a helper thread; the
    // process's current directory does not move.
    Resolved resolvePath(const std::string& path) const;

    std::string currentDir_;
    int currentRow_ = 0;
    bool preserveCase_ = false;
    bool caseSensitive_ = false;
    bool switchingVolume_ = false;
    QPointer<FileList> fileList_;
    QPointer<DriveSelector> driveSelector_;
    QPixmap openGlyph_, currentGlyph_, closedGlyph_;
};

}  // namespace ottomix
