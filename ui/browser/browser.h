// The file browser's three linked controls: the drive selector
// (TDriveComboBox), the directory tree (TDirectoryListBox) and the file list
// (TFileListBox), plus the I/O error they raise.
//
// Linux has no drive letters: a mounted volume stands in for a drive and its
// mount point for the letter (DriveLetter is a mount point such as "/" or
// "/media/usb"). Paths are bytes; FileName() gives the exact bytes of the
// selected name even when it is not valid UTF-8.
//
// The browser owns the process's current directory: after every browser
// operation that completes, getcwd() equals the file list's CurrentDir().
//
// Errors: directory changes that fail throw EInOutError. When the failure
// comes from the user's own action (choosing a volume, opening a tree row)
// the control lets its event handler finish and raises the exception again
// from the event loop, so an application that catches exceptions in its
// QApplication::notify override shows it without Qt's widget internals being
// unwound half-way.
#pragma once

#include <QComboBox>
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

// A failed change of directory, with the DOS-style code and its message.
class EInOutError : public std::runtime_error {
  public:
    explicit EInOutError(int code);
    int code() const { return code_; }

    // "File not found" (2), "Invalid filename" (3), ..., "I/O error %d".
    static std::string MessageFor(int code);
    // The code for a system errno; see the table in browser.cpp.
    static int CodeFromErrno(int error);
    static EInOutError FromErrno(int error) { return EInOutError(CodeFromErrno(error)); }

  private:
    int code_;
};

// File types of the file list: one flag per DOS attribute bit, plus ftNormal,
// which admits every entry the search returns.
enum TFileTypeFlag : unsigned {
    ftReadOnly = ottomix::kAttrReadOnly,
    ftHidden = ottomix::kAttrHidden,
    ftSystem = ottomix::kAttrSystem,
    ftVolumeID = ottomix::kAttrVolumeId,
    ftDirectory = ottomix::kAttrDirectory,
    ftArchive = ottomix::kAttrArchive,
    ftNormal = 0x100,
};
using TFileType = unsigned;  // a set of TFileTypeFlag

enum TTextCase { tcLowerCase, tcUpperCase };

class TDirectoryListBox;
class TDriveComboBox;
class TFileListBox;

namespace ottomix {
// True when `name` matches one wildcard pattern (* and ?), ignoring case;
// a trailing ".*" also matches names without a dot, so "*.*" matches all.
bool MaskMatches(const std::string& pattern, const std::string& name);
// A file name for the screen: UTF-8 as it is, other bytes as \xNN.
QString DisplayName(const std::string& bytes);
// Raises `error` again from the event loop (see the note at the top).
void RaiseFromEventLoop(std::exception_ptr error);

namespace browser_detail {
class RowModel;
}
}  // namespace ottomix

// Common ground of the tree and the file list: an owner-drawn,
// single-selection list with fixed row height that tells user selections
// (OnClick) from the program's own.
class TBrowserList : public QListView {
    Q_OBJECT
  public:
    explicit TBrowserList(QWidget* parent);
    ~TBrowserList() override;

    int Count() const;
    // Selected row, or -1. Setting it is a program selection: no events.
    int ItemIndex() const;
    void SetItemIndex(int index);
    // Shown text of a row, and its name as bytes.
    QString ItemText(int index) const;
    std::string Item(int index) const;

    int ItemHeight() const { return item_height_; }
    void SetItemHeight(int height);
    // True once the control has been shown for the first time.
    bool WindowCreated() const { return created_; }

  signals:
    void OnClick(QObject* sender);
    void OnChange(QObject* sender);

  protected:
    friend class RowDelegate;
    // Row height for the current font.
    virtual int NaturalItemHeight() const = 0;
    // First showing: fill the control.
    virtual void CreateWindowContents() = 0;
    // The user selected `row` (mouse or keyboard).
    virtual void UserSelected(int row) = 0;
    virtual void PaintRow(QPainter* painter, const QStyleOptionViewItem& option, int row) const = 0;

    // Background and focus frame of a row; returns the text colour to use.
    QColor PaintRowBackground(QPainter* painter, const QStyleOptionViewItem& option) const;

    void ResetItemHeight();
    ottomix::browser_detail::RowModel* Rows() const { return model_; }

    void showEvent(QShowEvent* event) override;
    void changeEvent(QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    QItemSelectionModel::SelectionFlags selectionCommand(const QModelIndex& index,
                                                         const QEvent* event) const override;

  private:
    ottomix::browser_detail::RowModel* model_;
    int item_height_ = 13;
    bool created_ = false;
};

// The file list: the files of CurrentDir that match Mask and FileType,
// sorted ignoring case.
class TFileListBox : public TBrowserList {
    Q_OBJECT
  public:
    explicit TFileListBox(QWidget* parent = nullptr);
    ~TFileListBox() override;

    // Patterns separated by ";"; a changed mask reads the directory at once.
    const std::string& Mask() const { return mask_; }
    void SetMask(const std::string& mask);
    TFileType FileType() const { return file_type_; }
    void SetFileType(TFileType file_type);
    bool ShowGlyphs() const { return show_glyphs_; }
    void SetShowGlyphs(bool show);

    // Reads CurrentDir again; nothing happens before the first showing.
    // Throws EInOutError (rows kept) when CurrentDir cannot be entered.
    void Reread();
    // Full path of the selected file as bytes, or "" with nothing selected.
    std::string FileName() const;

    const std::string& CurrentDir() const { return current_dir_; }
    // Moves the list (and the process) to `path`; throws EInOutError.
    void SetCurrentDir(const std::string& path);

    int LastIndex() const { return last_index_; }
    void NotifyChange();
    TDirectoryListBox* DirList() const { return dir_list_; }

  protected:
    int NaturalItemHeight() const override;
    void CreateWindowContents() override;
    void UserSelected(int row) override;
    void PaintRow(QPainter* painter, const QStyleOptionViewItem& option, int row) const override;

  private:
    friend class TDirectoryListBox;
    std::string current_dir_;
    std::string mask_ = "*.*";
    TFileType file_type_ = ftNormal;
    bool show_glyphs_ = false;
    int last_index_ = -1;
    QPointer<TDirectoryListBox> dir_list_;
    QPixmap executable_glyph_, unknown_glyph_, folder_glyph_;
};

// The directory tree: "/", each ancestor, the current directory, then its
// subdirectories.
class TDirectoryListBox : public TBrowserList {
    Q_OBJECT
  public:
    explicit TDirectoryListBox(QWidget* parent = nullptr);
    ~TDirectoryListBox() override;

    const std::string& CurrentDir() const { return current_dir_; }
    // Makes `path` (absolute, or relative to CurrentDir) the current
    // directory of the tree, the process and the linked list.
    void ChangeDir(const std::string& path);
    // Opens the selected row (double-click and Enter do this).
    void OpenSelected();
    // The path a row stands for ("" for no row).
    std::string GetItemPath(int index) const;

    // The volume holding CurrentDir; setting another one moves there.
    std::string DriveLetter() const;
    void SetDriveLetter(const std::string& mountPoint);

    TFileListBox* FileList() const { return file_list_; }
    void SetFileList(TFileListBox* file_list);
    TDriveComboBox* DriveCombo() const { return drive_combo_; }

    bool PreserveCase() const { return preserve_case_; }
    bool CaseSensitive() const { return case_sensitive_; }
    void FillTree();
    void NotifyChange();

  protected:
    int NaturalItemHeight() const override;
    void CreateWindowContents() override;
    void UserSelected(int row) override;
    void PaintRow(QPainter* painter, const QStyleOptionViewItem& option, int row) const override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

  private:
    friend class TDriveComboBox;
    friend class TFileListBox;
    struct Resolved {
        std::string volume;
        std::string dir;
    };
    // Where `path` leads, checked by going there; the process's current
    // directory is put back afterwards, on success and failure alike.
    Resolved ResolvePath(const std::string& path) const;

    std::string current_dir_;
    int current_row_ = 0;
    bool preserve_case_ = false;
    bool case_sensitive_ = false;
    bool switching_drive_ = false;
    QPointer<TFileListBox> file_list_;
    QPointer<TDriveComboBox> drive_combo_;
    QPixmap open_glyph_, current_glyph_, closed_glyph_;
};

// The drive selector: one entry per mounted volume.
class TDriveComboBox : public QComboBox {
    Q_OBJECT
  public:
    explicit TDriveComboBox(QWidget* parent = nullptr);
    ~TDriveComboBox() override;

    // The chosen volume's mount point, or "" for none.
    const std::string& DriveLetter() const { return drive_letter_; }
    // Makes the volume mounted at `mountPoint` current and moves the
    // linked tree there; throws EInOutError when it cannot be entered.
    void SelectDrive(const std::string& mountPoint);
    void FillDrives();

    TTextCase TextCase() const { return text_case_; }
    void SetTextCase(TTextCase text_case);
    TDirectoryListBox* DirList() const { return dir_list_; }
    void SetDirList(TDirectoryListBox* dir_list);

    // The mount point an entry stands for.
    std::string ItemDrive(int index) const;
    int ItemHeight() const { return item_height_; }

  signals:
    void OnClick(QObject* sender);
    void OnChange(QObject* sender);

  protected:
    void showEvent(QShowEvent* event) override;
    void changeEvent(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

  private:
    friend class DriveDelegate;
    friend class TDirectoryListBox;
    void ResetItemHeight();
    void Chosen(int index);
    void PaintEntry(QPainter* painter, const QRect& rect, int index, bool selected) const;

    std::string drive_letter_;
    TTextCase text_case_ = tcLowerCase;
    QPointer<TDirectoryListBox> dir_list_;
    int item_height_ = 13;
    bool created_ = false;
    std::vector<QPixmap> glyphs_;  // indexed by ottomix::VolumeType
};
