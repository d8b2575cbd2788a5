// The browser's file list: the entries of one directory that match the mask
// (wildcard patterns such as "*.txt;*.doc") and the chosen file types, sorted
// ignoring case. Directories, when asked for, are listed as "[name]".
//
// Names are bytes: itemName() and fileName() give the exact bytes of a name
// even when it is not valid UTF-8; the screen shows such bytes as \xNN.
//
// The list keeps the process's current directory where it looks: after every
// operation that completes, getcwd() equals currentDir(), so a job run on
// the selected file writes its output into the directory the list shows.
// connectBrowser() makes it follow a DirectoryTree's current directory.
#pragma once

#include <QFlags>
#include <QPixmap>
#include <string>

#include "ui/browser/browser_list.h"
#include "ui/browser/file_system.h"

namespace ottomix {

// Which entries the list admits: one flag per attribute bit (with that
// bit's value), plus Normal, which admits every entry a search returns.
// Without Normal only entries carrying one of the chosen attributes come back.
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

// Signals: userSelected() for every row the user picks, then changed() when
// that row differs from the one selected at the last change; changed() also
// after every read of the directory; failed() when the first read, on the
// first showing, or showDirectory() failed.
class FileList : public BrowserList {
    Q_OBJECT
  public:
    explicit FileList(QWidget* parent = nullptr);
    ~FileList() override;

    // Patterns separated by ";"; a changed mask reads the directory at once.
    const std::string& mask() const { return mask_; }
    void setMask(const std::string& mask);
    // Normal by default; a change reads the directory at once.
    FileTypes fileTypes() const { return fileTypes_; }
    void setFileTypes(FileTypes types);
    // Glyphs for programs, other files and folders in front of the names.
    bool showGlyphs() const { return showGlyphs_; }
    void setShowGlyphs(bool show);

    // Reads currentDir() again, clears the selection and shows the first
    // row; nothing happens before the first showing. Throws BrowserError
    // (rows kept) when the directory cannot be entered.
    void reread();
    // Full path of the selected file as bytes, or "" with nothing selected.
    std::string fileName() const;

    const std::string& currentDir() const { return currentDir_; }
    // Moves the list (and the process) to `path`, absolute or relative to
    // currentDir(); throws BrowserError.
    void setCurrentDir(const std::string& path);

    // The row selected when changed() was last emitted, or -1.
    int rowAtLastChange() const { return rowAtLastChange_; }
    // Notes the selected row and emits changed().
    void notifyChange();

  public slots:
    // setCurrentDir() for a request from another control: a failure comes
    // out as failed(), the list staying where it was.
    void showDirectory(const std::string& path);

  protected:
    int naturalItemHeight() const override;
    void fillOnFirstShow() override;
    void handleUserSelection(int row) override;
    void paintRow(QPainter* painter, const QStyleOptionViewItem& option, int row) const override;

  private:
    std::string currentDir_;
    std::string mask_ = "*.*";
    FileTypes fileTypes_ = FileTypeFlag::Normal;
    bool showGlyphs_ = false;
    int rowAtLastChange_ = -1;
    QPixmap executableGlyph_, unknownGlyph_, folderGlyph_;
};

}  // namespace ottomix
