// The file browser's three linked controls: the drive selector
// (DriveSelector), the directory tree (DirectoryTree) and the file list
// (FileList), plus the I/O error they raise.
//
// Linux has no drive letters: a mounted volume stands in for a drive and its
// mount point for the letter (DriveLetter is a mount point such as "/" or
// "/media/usb"). Paths are bytes; fileName() gives the exact bytes of the
// selected name even when it is not valid UTF-8.
//
// The browser owns the process's current directory: after every browser
// operation that completes, getcwd() equals the file list's currentDir().
//
// Errors: directory changes that fail throw BrowserError. When the failure
// comes from the user's own action (choosing a volume, opening a tree row)
// the control lets its event handler finish and raises the exception again
// from the event loop, so an application that catches exceptions in its
// QApplication::notify override shows it without Qt's widget internals being
// unwound half-way.
#pragma once

#include <QComboBox>
#include <QFlags>
#include <QListView>
#include <QPixmap>
#include <QPointer>
#include <QString>
#include <exception>
#include <stdexcept>
#include <string>
#include <vector>

#include "ui/browser/file_system.h"

class QPainter;
class QStyleOptionViewItem;

namespace ottomix {

// A failed change of directory, with the DOS-style code and its message.
class BrowserError : public std::runtime_error {
  public:
    explicit BrowserError(int code);
    int code() const { return code_; }

    // "File not found" (2), "Invalid filename" (3), ..., "I/O error %d".
    static std::string messageFor(int code);
    // The code for a system errno; see the table in browser.cpp.
    static int codeFromErrno(int error);
    static BrowserError fromErrno(int error) { return BrowserError(codeFromErrno(error)); }

  private:
    int code_;
};

// File types of the file list: one flag per DOS attribute bit, plus Normal,
// which admits every entry the search returns.
enum class FileTypeFlag : unsigned {
    ReadOnly = kAttrReadOnly,
    Hidden = kAttrHidden,
    System = kAttrSystem,
    VolumeId = kAttrVolumeId,
    Directory = kAttrDirectory,
    Archive = kAttrArchive,
    Normal = 0x100,
};
Q_DECLARE_FLAGS(FileTypes, FileTypeFlag)
Q_DECLARE_OPERATORS_FOR_FLAGS(FileTypes)

enum class TextCase { Lower, Upper };

class DirectoryTree;
class DriveSelector;
class FileList;

// True when `name` matches one wildcard pattern (* and ?), ignoring case;
// a trailing ".*" also matches names without a dot, so "*.*" matches all.
bool maskMatches(const std::string& pattern, const std::string& name);
// A file name for the screen: UTF-8 as it is, other bytes as \xNN.
QString displayName(const std::string& bytes);
// Raises `error` again from the event loop (see the note at the top).
void raiseFromEventLoop(std::exception_ptr error);

namespace browser_detail {
class RowModel;
}

// Common ground of the tree and the file list: an owner-drawn,
// single-selection list with fixed row height that tells user selections
// (userSelected) from the program's own.
class BrowserList : public QListView {
    Q_OBJECT
  public:
    explicit BrowserList(QWidget* parent);
    ~BrowserList() override;

    int count() const;
    // Selected row, or -1. Setting it is a program selection: no events.
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
    void userSelected();
    void changed();

  protected:
    friend class RowDelegate;
    // Row height for the current font.
    virtual int naturalItemHeight() const = 0;
    // First showing: fill the control.
    virtual void fillOnFirstShow() = 0;
    // The user selected `row` (mouse or keyboard).
    virtual void handleUserSelection(int row) = 0;
    virtual void paintRow(QPainter* painter, const QStyleOptionViewItem& option, int row) const = 0;

    // Background and focus frame of a row; returns the text colour to use.
    QColor paintRowBackground(QPainter* painter, const QStyleOptionViewItem& option) const;

    void resetItemHeight();
    browser_detail::RowModel* rowModel() const { return model_; }

    void showEvent(QShowEvent* event) override;
    void changeEvent(QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    QItemSelectionModel::SelectionFlags selectionCommand(const QModelIndex& index,
                                                         const QEvent* event) const override;

  private:
    browser_detail::RowModel* model_;
    int itemHeight_ = 13;
    bool shown_ = false;
};

// The file list: the files of CurrentDir that match Mask and FileType,
// sorted ignoring case.
class FileList : public BrowserList {
    Q_OBJECT
  public:
    explicit FileList(QWidget* parent = nullptr);
    ~FileList() override;

    // Patterns separated by ";"; a changed mask reads the directory at once.
    const std::string& mask() const { return mask_; }
    void setMask(const std::string& mask);
    FileTypes fileTypes() const { return fileTypes_; }
    void setFileTypes(FileTypes file_type);
    bool showGlyphs() const { return showGlyphs_; }
    void setShowGlyphs(bool show);

    // Reads CurrentDir again; nothing happens before the first showing.
    // Throws BrowserError (rows kept) when CurrentDir cannot be entered.
    void reread();
    // Full path of the selected file as bytes, or "" with nothing selected.
    std::string fileName() const;

    const std::string& currentDir() const { return currentDir_; }
    // Moves the list (and the process) to `path`; throws BrowserError.
    void setCurrentDir(const std::string& path);

    int rowAtLastChange() const { return rowAtLastChange_; }
    void notifyChange();
    DirectoryTree* directoryTree() const { return directoryTree_; }

  protected:
    int naturalItemHeight() const override;
    void fillOnFirstShow() override;
    void handleUserSelection(int row) override;
    void paintRow(QPainter* painter, const QStyleOptionViewItem& option, int row) const override;

  private:
    friend class DirectoryTree;
    std::string currentDir_;
    std::string mask_ = "*.*";
    FileTypes fileTypes_ = FileTypeFlag::Normal;
    bool showGlyphs_ = false;
    int rowAtLastChange_ = -1;
    QPointer<DirectoryTree> directoryTree_;
    QPixmap executableGlyph_, unknownGlyph_, folderGlyph_;
};

// The directory tree: "/", each ancestor, the current directory, then its
// subdirectories.
class DirectoryTree : public BrowserList {
    Q_OBJECT
  public:
    explicit DirectoryTree(QWidget* parent = nullptr);
    ~DirectoryTree() override;

    const std::string& currentDir() const { return currentDir_; }
    // Makes `path` (absolute, or relative to CurrentDir) the current
    // directory of the tree, the process and the linked list.
    void changeDir(const std::string& path);
    // Opens the selected row (double-click and Enter do this).
    void openSelected();
    // The path a row stands for ("" for no row).
    std::string rowPath(int index) const;

    // The volume holding CurrentDir; setting another one moves there.
    std::string volume() const;
    void setVolume(const std::string& mountPoint);

    FileList* fileList() const { return fileList_; }
    void setFileList(FileList* file_list);
    DriveSelector* driveSelector() const { return driveSelector_; }

    bool preservesCase() const { return preserveCase_; }
    bool isCaseSensitive() const { return caseSensitive_; }
    void fillTree();
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
    // Where `path` leads, checked by going there; the process's current
    // directory is put back afterwards, on success and failure alike.
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

// The drive selector: one entry per mounted volume.
class DriveSelector : public QComboBox {
    Q_OBJECT
  public:
    explicit DriveSelector(QWidget* parent = nullptr);
    ~DriveSelector() override;

    // The chosen volume's mount point, or "" for none.
    const std::string& volume() const { return volume_; }
    // Makes the volume mounted at `mountPoint` current and moves the
    // linked tree there; throws BrowserError when it cannot be entered.
    void selectVolume(const std::string& mountPoint);
    void fillVolumes();

    TextCase textCase() const { return textCase_; }
    void setTextCase(TextCase text_case);
    DirectoryTree* directoryTree() const { return directoryTree_; }
    void setDirectoryTree(DirectoryTree* dir_list);

    // The mount point an entry stands for.
    std::string itemVolume(int index) const;
    int itemHeight() const { return itemHeight_; }

  signals:
    void userSelected();
    void changed();

  protected:
    void showEvent(QShowEvent* event) override;
    void changeEvent(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

  private:
    friend class DriveDelegate;
    friend class DirectoryTree;
    void resetItemHeight();
    void selectActivatedEntry(int index);
    void paintEntry(QPainter* painter, const QRect& rect, int index, bool selected) const;

    std::string volume_;
    TextCase textCase_ = TextCase::Lower;
    QPointer<DirectoryTree> directoryTree_;
    int itemHeight_ = 13;
    bool shown_ = false;
    std::vector<QPixmap> glyphs_;  // indexed by ottomix::VolumeType
};

}  // namespace ottomix
