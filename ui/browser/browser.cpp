#include "ui/browser/browser.h"

#include <QAbstractListModel>
#include <QApplication>
#include <QCollator>
#include <QFontMetricsF>
#include <QImage>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QStyleOptionComboBox>
#include <QStylePainter>
#include <QStyledItemDelegate>
#include <QtMath>
#include <algorithm>
#include <cerrno>
#include <numeric>
#include <utility>

using ottomix::FileSystem;

// ---------------------------------------------------------------------------
// EInOutError

EInOutError::EInOutError(int code) : std::runtime_error(MessageFor(code)), code_(code) {}

std::string EInOutError::MessageFor(int code) {
    switch (code) {
        case 2:
            return "File not found";
        case 3:
            return "Invalid filename";
        case 4:
            return "Too many open files";
        case 5:
            return "File access denied";
        case 100:
            return "Read beyond end of file";
        case 101:
            return "Disk full";
        case 106:
            return "Invalid numeric input";
        default:
            return "I/O error " + std::to_string(code);
    }
}

// errno to the DOS-style codes the messages are keyed by:
//   ENOENT                               -> 2   "File not found"
//   ENOTDIR, ENAMETOOLONG, EINVAL, ELOOP -> 3   "Invalid filename"
//   EMFILE, ENFILE                       -> 4   "Too many open files"
//   EACCES, EPERM, EROFS                 -> 5   "File access denied"
//   ENOSPC, EDQUOT                       -> 101 "Disk full"
// Any other errno is reported as itself ("I/O error 19" for ENODEV), except
// that one whose number is a code of the table above (EIO is 5, EINTR is 4)
// becomes 1000 + errno, so it is not mistaken for that code's message.
int EInOutError::CodeFromErrno(int error) {
    switch (error) {
        case ENOENT:
            return 2;
        case ENOTDIR:
        case ENAMETOOLONG:
        case EINVAL:
        case ELOOP:
            return 3;
        case EMFILE:
        case ENFILE:
            return 4;
        case EACCES:
        case EPERM:
        case EROFS:
            return 5;
        case ENOSPC:
        case EDQUOT:
            return 101;
        default:
            break;
    }
    switch (error) {
        case 2:
        case 3:
        case 4:
        case 5:
        case 100:
        case 101:
        case 106:
            return 1000 + error;
        default:
            return error;
    }
}

// The artwork sits in an archive when this code does; naming its
// registration pulls it into every program that uses the browser.
static bool RegisterArtwork() {
    Q_INIT_RESOURCE(ottomix);
    return true;
}

namespace {

void ThrowIfFailed(int error) {
    if (error != 0) throw EInOutError::FromErrno(error);
}

unsigned char FoldAscii(unsigned char c) {
    return (c >= 'A' && c <= 'Z') ? c + ('a' - 'A') : c;
}

bool WildMatch(const char* p, const char* pe, const char* s, const char* se) {
    const char* star_p = nullptr;
    const char* star_s = nullptr;
    while (s < se) {
        if (p < pe && *p == '?') {
            // One character, which in UTF-8 may be several bytes.
            ++s;
            while (s < se && (static_cast<unsigned char>(*s) & 0xC0) == 0x80) ++s;
            ++p;
        } else if (p < pe && *p != '*' &&
                   FoldAscii(static_cast<unsigned char>(*p)) ==
                       FoldAscii(static_cast<unsigned char>(*s))) {
            ++p;
            ++s;
        } else if (p < pe && *p == '*') {
            star_p = ++p;
            star_s = s;
        } else if (star_p != nullptr) {
            p = star_p;
            s = ++star_s;
        } else {
            return false;
        }
    }
    while (p < pe && *p == '*') ++p;
    return p == pe;
}

// Length of the well-formed UTF-8 sequence at `s`, or 0.
size_t Utf8SequenceLength(const unsigned char* s, size_t available) {
    const unsigned char c = s[0];
    if (c < 0x80) return 1;
    size_t length;
    unsigned code;
    if ((c & 0xE0) == 0xC0) {
        length = 2;
        code = c & 0x1F;
    } else if ((c & 0xF0) == 0xE0) {
        length = 3;
        code = c & 0x0F;
    } else if ((c & 0xF8) == 0xF0) {
        length = 4;
        code = c & 0x07;
    } else {
        return 0;
    }
    if (length > available) return 0;
    for (size_t k = 1; k < length; ++k) {
        if ((s[k] & 0xC0) != 0x80) return 0;
        code = (code << 6) | (s[k] & 0x3F);
    }
    static const unsigned kLeast[] = {0, 0, 0x80, 0x800, 0x10000};
    if (code < kLeast[length] || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) return 0;
    return length;
}

// Glyphs are drawn with one transparent colour, the bottom-left pixel's.
QPixmap LoadGlyph(const char* name) {
    static const bool registered = RegisterArtwork();
    (void)registered;
    QImage image(QStringLiteral(":/ottomix/%1.png").arg(QLatin1String(name)));
    if (image.isNull()) return {};
    image = image.convertToFormat(QImage::Format_ARGB32);
    const QRgb key = image.pixel(0, image.height() - 1);
    for (int y = 0; y < image.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            if (line[x] == key) line[x] = qRgba(0, 0, 0, 0);
        }
    }
    return QPixmap::fromImage(image);
}

// Pixel rows the font's text may touch: its exact height rounded up, so
// an 11-pixel sans face gets rows of 13 as the layout expects.
int CharacterHeight(const QFont& font) {
    return qCeil(QFontMetricsF(font).height());
}

// Height of a glyph, or the artwork's nominal height while it is missing,
// so row heights do not depend on whether the images are there.
int GlyphHeight(const QPixmap& glyph, int nominal) {
    return glyph.isNull() ? nominal : glyph.height();
}

// A glyph `x` pixels into a row, centred in its height; nothing while the artwork is missing.
void DrawGlyph(QPainter* painter, const QPixmap& glyph, int x, const QRect& row) {
    if (glyph.isNull()) return;
    painter->drawPixmap(row.left() + x, row.top() + (row.height() - glyph.height()) / 2, glyph);
}

// The busy pointer of a long read; put back however the read ends.
class BusyPointer {
  public:
    BusyPointer() = default;
    BusyPointer(const BusyPointer&) = delete;
    BusyPointer& operator=(const BusyPointer&) = delete;
    ~BusyPointer() {
        if (armed_) QApplication::restoreOverrideCursor();
    }
    void Arm() {
        if (armed_) return;
        QApplication::setOverrideCursor(Qt::WaitCursor);
        armed_ = true;
    }

  private:
    bool armed_ = false;
};

enum Glyph { kNoGlyph = -1, kExecutable, kUnknownFile, kClosedFolder, kOpenFolder, kCurrentFolder };

// Runs a user-triggered action; an exception is raised again from the event loop.
template <typename F>
void Guarded(F&& action) {
    try {
        action();
    } catch (...) {
        ottomix::RaiseFromEventLoop(std::current_exception());
    }
}

// Paths compared ignoring case. Decoding turns every stray byte into the
// same replacement character, so a path that is not UTF-8 counts only when
// its bytes are equal.
bool SameIgnoringCase(const std::string& a, const std::string& b) {
    if (a == b) return true;
    const QString wide_a = QString::fromStdString(a);
    const QString wide_b = QString::fromStdString(b);
    if (wide_a.toStdString() != a || wide_b.toStdString() != b) return false;
    return wide_a.compare(wide_b, Qt::CaseInsensitive) == 0;
}

}  // namespace

namespace ottomix {

bool MaskMatches(const std::string& pattern, const std::string& name) {
    if (pattern.empty()) return false;
    const char* p = pattern.data();
    const char* s = name.data();
    if (WildMatch(p, p + pattern.size(), s, s + name.size())) return true;
    // "*.*", "data.*": the dot and extension may be absent altogether.
    const size_t n = pattern.size();
    return n >= 2 && pattern[n - 2] == '.' && pattern[n - 1] == '*' &&
           WildMatch(p, p + n - 2, s, s + name.size());
}

QString DisplayName(const std::string& bytes) {
    const auto* data = reinterpret_cast<const unsigned char*>(bytes.data());
    const size_t size = bytes.size();
    size_t i = 0;
    while (i < size) {
        const size_t length = Utf8SequenceLength(data + i, size - i);
        if (length == 0) break;
        i += length;
    }
    if (i == size) return QString::fromUtf8(bytes.data(), static_cast<qsizetype>(size));
    QString out = QString::fromUtf8(bytes.data(), static_cast<qsizetype>(i));
    while (i < size) {
        const size_t length = Utf8SequenceLength(data + i, size - i);
        if (length == 0) {
            out += QStringLiteral("\\x%1").arg(data[i], 2, 16, QLatin1Char('0'));
            ++i;
        } else {
            out += QString::fromUtf8(bytes.data() + i, static_cast<qsizetype>(length));
            i += length;
        }
    }
    return out;
}

void RaiseFromEventLoop(std::exception_ptr error) {
    QObject* target = QCoreApplication::instance();
    if (target == nullptr) std::rethrow_exception(error);
    QMetaObject::invokeMethod(
        target, [error] { std::rethrow_exception(error); }, Qt::QueuedConnection);
}

namespace browser_detail {

struct Row {
    std::string name;  // bytes: a path component, or a file list row's text
    QString text;      // as shown
    int glyph = kNoGlyph;
    int indent = 0;  // tree rows only
};

class RowModel : public QAbstractListModel {
  public:
    using QAbstractListModel::QAbstractListModel;

    int rowCount(const QModelIndex& parent) const override {
        return parent.isValid() ? 0 : static_cast<int>(rows_.size());
    }
    QVariant data(const QModelIndex& index, int role) const override {
        if (!index.isValid() || role != Qt::DisplayRole) return {};
        return rows_[static_cast<size_t>(index.row())].text;
    }
    const Row& at(int row) const { return rows_[static_cast<size_t>(row)]; }
    int size() const { return static_cast<int>(rows_.size()); }

    void Clear() {
        beginResetModel();
        rows_.clear();
        endResetModel();
    }
    // All rows in one insertion, so views lay out once.
    void Append(std::vector<Row>&& rows) {
        if (rows.empty()) return;
        const int first = size();
        beginInsertRows(QModelIndex(), first, first + static_cast<int>(rows.size()) - 1);
        if (rows_.empty()) {
            rows_ = std::move(rows);
        } else {
            std::move(rows.begin(), rows.end(), std::back_inserter(rows_));
        }
        endInsertRows();
    }

  private:
    std::vector<Row> rows_;
};

}  // namespace browser_detail
}  // namespace ottomix

using ottomix::browser_detail::Row;
using ottomix::browser_detail::RowModel;

// ---------------------------------------------------------------------------
// Drawing delegates

class RowDelegate : public QStyledItemDelegate {
  public:
    explicit RowDelegate(TBrowserList* owner) : QStyledItemDelegate(owner), owner_(owner) {}
    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override {
        painter->save();
        owner_->PaintRow(painter, option, index.row());
        painter->restore();
    }
    QSize sizeHint(const QStyleOptionViewItem&, const QModelIndex&) const override {
        return QSize(1, owner_->item_height_);
    }

  private:
    TBrowserList* owner_;
};

class DriveDelegate : public QStyledItemDelegate {
  public:
    explicit DriveDelegate(TDriveComboBox* owner) : QStyledItemDelegate(owner), owner_(owner) {}
    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override {
        painter->save();
        owner_->PaintEntry(painter, option.rect, index.row(),
                           option.state & (QStyle::State_Selected | QStyle::State_MouseOver));
        painter->restore();
    }
    QSize sizeHint(const QStyleOptionViewItem&, const QModelIndex&) const override {
        return QSize(1, owner_->item_height_);
    }

  private:
    TDriveComboBox* owner_;
};

// ---------------------------------------------------------------------------
// TBrowserList

TBrowserList::TBrowserList(QWidget* parent) : QListView(parent), model_(new RowModel(this)) {
    setModel(model_);
    setItemDelegate(new RowDelegate(this));
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setUniformItemSizes(true);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setFocusPolicy(Qt::StrongFocus);
}

TBrowserList::~TBrowserList() = default;

int TBrowserList::Count() const {
    return model_->size();
}

int TBrowserList::ItemIndex() const {
    const QModelIndexList selected = selectionModel()->selectedRows();
    return selected.isEmpty() ? -1 : selected.first().row();
}

void TBrowserList::SetItemIndex(int index) {
    if (index < 0 || index >= Count()) {
        selectionModel()->clearSelection();
        return;
    }
    const QModelIndex at = model_->index(index);
    selectionModel()->setCurrentIndex(at, QItemSelectionModel::ClearAndSelect);
    scrollTo(at);
}

QString TBrowserList::ItemText(int index) const {
    return index >= 0 && index < Count() ? model_->at(index).text : QString();
}

std::string TBrowserList::Item(int index) const {
    return index >= 0 && index < Count() ? model_->at(index).name : std::string();
}

void TBrowserList::SetItemHeight(int height) {
    if (height <= 0 || height == item_height_) return;
    item_height_ = height;
    // Forget the cached uniform row size.
    setUniformItemSizes(false);
    setUniformItemSizes(true);
    doItemsLayout();
    viewport()->update();
}

void TBrowserList::ResetItemHeight() {
    SetItemHeight(NaturalItemHeight());
}

QColor TBrowserList::PaintRowBackground(QPainter* painter,
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

void TBrowserList::showEvent(QShowEvent* event) {
    QListView::showEvent(event);
    if (created_) return;
    created_ = true;
    Guarded([this] { CreateWindowContents(); });
}

void TBrowserList::changeEvent(QEvent* event) {
    QListView::changeEvent(event);
    if (event->type() == QEvent::FontChange) ResetItemHeight();
}

void TBrowserList::mousePressEvent(QMouseEvent* event) {
    const int before = ItemIndex();
    QListView::mousePressEvent(event);
    const int after = ItemIndex();
    if (after < 0) return;
    // A click on the row already selected is a selection by the user too.
    const bool on_row =
        event->button() == Qt::LeftButton && indexAt(event->position().toPoint()).row() == after;
    if (after != before || on_row) Guarded([this, after] { UserSelected(after); });
}

void TBrowserList::mouseMoveEvent(QMouseEvent* event) {
    const int before = ItemIndex();
    QListView::mouseMoveEvent(event);
    const int after = ItemIndex();
    if (after >= 0 && after != before) Guarded([this, after] { UserSelected(after); });
}

void TBrowserList::keyPressEvent(QKeyEvent* event) {
    const int before = ItemIndex();
    QListView::keyPressEvent(event);
    const int after = ItemIndex();
    if (after >= 0 && after != before) Guarded([this, after] { UserSelected(after); });
}

// The user moves the selection but cannot take it away (Ctrl+click,
// Ctrl+Space, a click below the last row): only Reread clears it.
QItemSelectionModel::SelectionFlags TBrowserList::selectionCommand(const QModelIndex& index,
                                                                   const QEvent* event) const {
    const QItemSelectionModel::SelectionFlags flags = QListView::selectionCommand(index, event);
    if (!index.isValid() || (flags & QItemSelectionModel::Deselect)) {
        return QItemSelectionModel::NoUpdate;
    }
    return flags;
}

// ---------------------------------------------------------------------------
// TFileListBox

TFileListBox::TFileListBox(QWidget* parent)
    : TBrowserList(parent),
      current_dir_(FileSystem::instance().currentDirectory()),
      executable_glyph_(LoadGlyph("EXECUTABLE")),
      unknown_glyph_(LoadGlyph("UNKNOWNFILE")),
      folder_glyph_(LoadGlyph("CLOSEDFOLDER")) {
    ResetItemHeight();
}

TFileListBox::~TFileListBox() {
    if (dir_list_ && dir_list_->file_list_ == this) dir_list_->file_list_ = nullptr;
}

int TFileListBox::NaturalItemHeight() const {
    const int text = CharacterHeight(font());
    return show_glyphs_ ? std::max(text, GlyphHeight(executable_glyph_, 15) + 1) : text;
}

void TFileListBox::SetMask(const std::string& mask) {
    if (mask == mask_) return;
    mask_ = mask;
    Reread();
}

void TFileListBox::SetFileType(TFileType file_type) {
    if (file_type == file_type_) return;
    file_type_ = file_type;
    Reread();
}

void TFileListBox::SetShowGlyphs(bool show) {
    if (show == show_glyphs_) return;
    show_glyphs_ = show;
    ResetItemHeight();
    viewport()->update();
}

void TFileListBox::CreateWindowContents() {
    Reread();
}

void TFileListBox::Reread() {
    if (!WindowCreated()) return;
    FileSystem& fs = FileSystem::instance();
    const unsigned search =
        file_type_ & (ftReadOnly | ftHidden | ftSystem | ftVolumeID | ftDirectory | ftArchive);
    const bool normal = (file_type_ & ftNormal) != 0;
    ThrowIfFailed(fs.changeDirectory(current_dir_));
    Rows()->Clear();
    {
        BusyPointer busy;
        std::vector<ottomix::DirEntry> entries;
        // A directory that cannot be read lists nothing, like a search that finds nothing.
        fs.readDirectory(".", (search & ftReadOnly) != 0 && !normal, &entries);
        const unsigned excluded = (ottomix::kAttrHidden | ottomix::kAttrSystem |
                                   ottomix::kAttrVolumeId | ottomix::kAttrDirectory) &
                                  ~search;

        // Every pattern over the one reading of the directory, left to right:
        // a name that two patterns match is listed twice.
        std::vector<const ottomix::DirEntry*> found;
        size_t start = 0;
        while (true) {
            const size_t end = std::min(mask_.find(';', start), mask_.size());
            const std::string pattern = mask_.substr(start, end - start);
            if (!pattern.empty()) {
                for (const auto& entry : entries) {
                    if ((entry.attributes & excluded) != 0) continue;
                    if (!normal && (entry.attributes & search) == 0) continue;
                    if (!ottomix::MaskMatches(pattern, entry.name)) continue;
                    found.push_back(&entry);
                    if (found.size() == 101) busy.Arm();  // a row now sits at place 100
                }
            }
            if (end == mask_.size()) break;
            start = end + 1;
        }

        std::vector<Row> rows(found.size());
        std::vector<std::string> keys(found.size());
        for (size_t i = 0; i < found.size(); ++i) {
            const ottomix::DirEntry& entry = *found[i];
            Row& row = rows[i];
            if (entry.attributes & ottomix::kAttrDirectory) {
                row.name = "[" + entry.name + "]";
                row.glyph = kClosedFolder;
            } else {
                const size_t dot = entry.name.rfind('.');
                std::string extension = dot == std::string::npos ? "" : entry.name.substr(dot);
                for (char& c : extension) c = static_cast<char>(FoldAscii(c));
                const bool program = extension == ".exe" || extension == ".com" ||
                                     extension == ".bat" || extension == ".pif";
                row.name = entry.name;
                row.glyph = program ? kExecutable : kUnknownFile;
            }
            row.text = ottomix::DisplayName(row.name);
            keys[i] = row.name;
            for (char& c : keys[i]) c = static_cast<char>(FoldAscii(c));
        }
        // Sorted once, ignoring case; equal keys keep a fixed byte order.
        std::vector<size_t> order(rows.size());
        std::iota(order.begin(), order.end(), size_t{0});
        std::sort(order.begin(), order.end(), [&](size_t a, size_t b) {
            const int c = keys[a].compare(keys[b]);
            if (c != 0) return c < 0;
            const int d = rows[a].name.compare(rows[b].name);
            return d != 0 ? d < 0 : a < b;
        });
        std::vector<Row> sorted;
        sorted.reserve(rows.size());
        for (size_t i : order) sorted.push_back(std::move(rows[i]));
        Rows()->Append(std::move(sorted));
    }
    NotifyChange();
}

std::string TFileListBox::FileName() const {
    const int index = ItemIndex();
    return index < 0 ? std::string() : ottomix::joinPath(current_dir_, Item(index));
}

void TFileListBox::SetCurrentDir(const std::string& path) {
    // Names differ by case here, so the comparison is exact.
    if (path == current_dir_) return;
    FileSystem& fs = FileSystem::instance();
    // A relative path counts from the list's own directory.
    if (path.empty() || path[0] != '/') ThrowIfFailed(fs.changeDirectory(current_dir_));
    ThrowIfFailed(fs.changeDirectory(path));
    current_dir_ = fs.currentDirectory();
    Reread();
}

void TFileListBox::NotifyChange() {
    last_index_ = ItemIndex();
    emit OnChange(this);
}

void TFileListBox::UserSelected(int row) {
    emit OnClick(this);
    if (row != last_index_) NotifyChange();
}

void TFileListBox::PaintRow(QPainter* painter, const QStyleOptionViewItem& option, int row) const {
    const Row& entry = Rows()->at(row);
    const QColor text = PaintRowBackground(painter, option);
    int x = 2;
    if (show_glyphs_) {
        const QPixmap* glyph = entry.glyph == kExecutable     ? &executable_glyph_
                               : entry.glyph == kClosedFolder ? &folder_glyph_
                                                              : &unknown_glyph_;
        if (!glyph->isNull()) {
            DrawGlyph(painter, *glyph, 2, option.rect);
            x = glyph->width() + 6;
        }
    }
    painter->setPen(text);
    painter->setFont(font());
    painter->drawText(option.rect.adjusted(x, 0, 0, 0),
                      Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine, entry.text);
}

// ---------------------------------------------------------------------------
// TDirectoryListBox

TDirectoryListBox::TDirectoryListBox(QWidget* parent)
    : TBrowserList(parent),
      current_dir_(FileSystem::instance().currentDirectory()),
      open_glyph_(LoadGlyph("OPENFOLDER")),
      current_glyph_(LoadGlyph("CURRENTFOLDER")),
      closed_glyph_(LoadGlyph("CLOSEDFOLDER")) {
    ResetItemHeight();
}

TDirectoryListBox::~TDirectoryListBox() {
    if (file_list_ && file_list_->dir_list_ == this) file_list_->dir_list_ = nullptr;
    if (drive_combo_ && drive_combo_->dir_list_ == this) drive_combo_->dir_list_ = nullptr;
}

int TDirectoryListBox::NaturalItemHeight() const {
    return std::max(CharacterHeight(font()), GlyphHeight(open_glyph_, 15) + 1);
}

void TDirectoryListBox::SetFileList(TFileListBox* file_list) {
    if (file_list_ && file_list_->dir_list_ == this) file_list_->dir_list_ = nullptr;
    file_list_ = file_list;
    if (file_list_) file_list_->dir_list_ = this;
}

std::string TDirectoryListBox::DriveLetter() const {
    return FileSystem::instance().volumeOf(current_dir_);
}

void TDirectoryListBox::CreateWindowContents() {
    FillTree();
}

void TDirectoryListBox::FillTree() {
    FileSystem& fs = FileSystem::instance();
    setUpdatesEnabled(false);
    Rows()->Clear();
    const ottomix::VolumeFlags flags = fs.flagsOf(current_dir_);
    case_sensitive_ = flags.caseSensitive;
    preserve_case_ = flags.caseSensitive || flags.casePreserved;

    // "/", each ancestor, then the current directory.
    std::vector<Row> rows;
    auto add = [&rows](std::string name, int glyph) {
        Row row;
        row.text = ottomix::DisplayName(name);
        row.name = std::move(name);
        row.glyph = glyph;
        row.indent = 4 * static_cast<int>(rows.size()) + 2;
        rows.push_back(std::move(row));
    };
    add("/", kOpenFolder);
    size_t start = 1;
    while (start < current_dir_.size()) {
        const size_t end = std::min(current_dir_.find('/', start), current_dir_.size());
        if (end > start) add(current_dir_.substr(start, end - start), kOpenFolder);
        start = end + 1;
    }
    rows.back().glyph = kCurrentFolder;
    current_row_ = static_cast<int>(rows.size()) - 1;

    // The subdirectories, indented one level below the current directory's depth.
    const int depth = std::max<int>(
        1, static_cast<int>(std::count(current_dir_.begin(), current_dir_.end(), '/')));
    const int indent = 4 * (depth + 1) + 2;
    std::vector<ottomix::DirEntry> entries;
    fs.readDirectory(current_dir_, false, &entries);
    std::vector<Row> subdirs;
    std::vector<QCollatorSortKey> keys;
    QCollator collator;
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    for (auto& entry : entries) {
        if ((entry.attributes & ottomix::kAttrDirectory) == 0) continue;
        if (entry.attributes & (ottomix::kAttrHidden | ottomix::kAttrSystem)) continue;
        if (entry.name == "." || entry.name == "..") continue;
        Row row;
        row.text = ottomix::DisplayName(entry.name);
        row.name = std::move(entry.name);
        row.glyph = kClosedFolder;
        row.indent = indent;
        // Folded first: the C locale's collation would otherwise order by case.
        keys.push_back(collator.sortKey(row.text.toCaseFolded()));
        subdirs.push_back(std::move(row));
    }
    std::vector<size_t> order(subdirs.size());
    std::iota(order.begin(), order.end(), size_t{0});
    std::sort(order.begin(), order.end(), [&](size_t a, size_t b) {
        const int c = keys[a].compare(keys[b]);
        if (c != 0) return c < 0;
        return subdirs[a].name < subdirs[b].name;
    });
    for (size_t i : order) rows.push_back(std::move(subdirs[i]));
    Rows()->Append(std::move(rows));
    setUpdatesEnabled(true);
    if (WindowCreated()) SetItemIndex(current_row_);
    fs.rememberDirectory(current_dir_);
}

std::string TDirectoryListBox::GetItemPath(int index) const {
    if (index < 0 || index >= Count()) return {};
    if (index == 0) return "/";
    if (index == current_row_) return current_dir_;
    if (index > current_row_) return ottomix::joinPath(current_dir_, Item(index));
    // An ancestor: the path up to, not including, its (index + 1)-th "/".
    size_t at = 0;
    for (int seen = 0; seen <= index && at != std::string::npos; ++seen) {
        at = current_dir_.find('/', seen == 0 ? 0 : at + 1);
    }
    return at == std::string::npos ? current_dir_ : current_dir_.substr(0, at);
}

TDirectoryListBox::Resolved TDirectoryListBox::ResolvePath(const std::string& path) const {
    FileSystem& fs = FileSystem::instance();
    // Kept as a handle: the directory shown may have been deleted, and the
    // process must still be put back there, not left half-way.
    int saved = -1;
    ThrowIfFailed(fs.openCurrentDirectory(&saved));
    const std::string saved_name = fs.currentDirectory();
    Resolved result;
    try {
        // A relative path cannot count from a directory that is gone.
        if (path[0] != '/' && saved_name.empty()) ThrowIfFailed(ENOENT);
        const std::string full = path[0] == '/' ? path : ottomix::joinPath(saved_name, path);
        const size_t slash = full.rfind('/');
        std::string dir = slash == 0 ? "/" : full.substr(0, slash);
        const std::string file = full.substr(slash + 1);
        ThrowIfFailed(fs.changeDirectory(dir));
        // The last part joins the directory unless it names a file or is a
        // pattern; "*" and "?" are legal in names here, so a directory that
        // carries them in its name is still entered.
        if (!file.empty() && !fs.isFile(file)) {
            const int error = fs.changeDirectory(file);
            if (error == 0) {
                dir = ottomix::joinPath(dir, file);
            } else if (file.find_first_of("*?") == std::string::npos) {
                ThrowIfFailed(error);
            }
        }
        result.dir = dir;
        result.volume = fs.volumeOf(fs.currentDirectory());
    } catch (...) {
        ThrowIfFailed(fs.returnToDirectory(saved));
        throw;
    }
    ThrowIfFailed(fs.returnToDirectory(saved));
    return result;
}

void TDirectoryListBox::ChangeDir(const std::string& path) {
    if (path.empty()) return;
    const bool same = case_sensitive_ ? path == current_dir_ : SameIgnoringCase(path, current_dir_);
    if (same) return;
    const Resolved target = ResolvePath(path);
    if (target.volume != DriveLetter()) {
        switching_drive_ = true;
        try {
            if (drive_combo_) {
                drive_combo_->SelectDrive(target.volume);
            } else {
                SetDriveLetter(target.volume);
            }
        } catch (...) {
            switching_drive_ = false;
            throw;
        }
        switching_drive_ = false;
    }
    FileSystem& fs = FileSystem::instance();
    fs.changeDirectory(current_dir_);  // may fail: the next change decides
    ThrowIfFailed(fs.changeDirectory(target.dir));
    current_dir_ = fs.currentDirectory();
    FillTree();
    NotifyChange();
}

void TDirectoryListBox::SetDriveLetter(const std::string& mountPoint) {
    if (mountPoint == DriveLetter()) return;
    if (!mountPoint.empty()) {
        FileSystem& fs = FileSystem::instance();
        ThrowIfFailed(fs.changeToVolume(mountPoint));
        current_dir_ = fs.currentDirectory();
    }
    if (switching_drive_) return;
    FillTree();
    NotifyChange();
}

void TDirectoryListBox::OpenSelected() {
    ChangeDir(GetItemPath(ItemIndex()));
}

void TDirectoryListBox::NotifyChange() {
    if (file_list_) file_list_->SetCurrentDir(current_dir_);
    emit OnChange(this);
}

void TDirectoryListBox::UserSelected(int) {
    emit OnClick(this);
}

void TDirectoryListBox::mouseDoubleClickEvent(QMouseEvent* event) {
    QListView::mouseDoubleClickEvent(event);
    if (event->button() != Qt::LeftButton) return;
    const int row = indexAt(event->position().toPoint()).row();
    if (row >= 0 && row == ItemIndex()) Guarded([this] { OpenSelected(); });
}

void TDirectoryListBox::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        Guarded([this] { OpenSelected(); });
        return;
    }
    TBrowserList::keyPressEvent(event);
}

void TDirectoryListBox::PaintRow(QPainter* painter, const QStyleOptionViewItem& option,
                                 int row) const {
    const Row& entry = Rows()->at(row);
    const QColor text = PaintRowBackground(painter, option);
    const QPixmap& glyph = entry.glyph == kOpenFolder      ? open_glyph_
                           : entry.glyph == kCurrentFolder ? current_glyph_
                                                           : closed_glyph_;
    DrawGlyph(painter, glyph, entry.indent, option.rect);
    painter->setPen(text);
    painter->setFont(font());
    // A volume that keeps no case shows its names in lower case.
    const QString shown = preserve_case_ || case_sensitive_ ? entry.text : entry.text.toLower();
    painter->drawText(option.rect.adjusted(entry.indent + 16 + 4, 0, 0, 0),
                      Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine, shown);
}

// ---------------------------------------------------------------------------
// TDriveComboBox

namespace {
constexpr int kDriveRole = Qt::UserRole + 1;
constexpr int kGlyphRole = Qt::UserRole + 2;
}  // namespace

TDriveComboBox::TDriveComboBox(QWidget* parent) : QComboBox(parent) {
    setEditable(false);
    setItemDelegate(new DriveDelegate(this));
    // In VolumeType order.
    for (const char* name : {"FLOPPY", "HARD", "NETWORK", "CDROM", "RAM"}) {
        glyphs_.push_back(LoadGlyph(name));
    }
    ResetItemHeight();
    FileSystem& fs = FileSystem::instance();
    drive_letter_ = fs.volumeOf(fs.currentDirectory());
    connect(this, qOverload<int>(&QComboBox::activated), this, &TDriveComboBox::Chosen);
}

TDriveComboBox::~TDriveComboBox() {
    if (dir_list_ && dir_list_->drive_combo_ == this) dir_list_->drive_combo_ = nullptr;
}

void TDriveComboBox::SetDirList(TDirectoryListBox* dir_list) {
    if (dir_list_ && dir_list_->drive_combo_ == this) dir_list_->drive_combo_ = nullptr;
    dir_list_ = dir_list;
    if (dir_list_) dir_list_->drive_combo_ = this;
}

void TDriveComboBox::ResetItemHeight() {
    item_height_ = std::max(CharacterHeight(font()), GlyphHeight(glyphs_[0], 11));
}

std::string TDriveComboBox::ItemDrive(int index) const {
    return itemData(index, kDriveRole).toByteArray().toStdString();
}

void TDriveComboBox::FillDrives() {
    clear();
    for (const ottomix::Volume& volume : FileSystem::instance().volumes()) {
        const QString point = ottomix::DisplayName(volume.mountPoint);
        auto cased = [this](const std::string& text) {
            const QString shown = ottomix::DisplayName(text);
            return text_case_ == tcUpperCase ? shown.toUpper() : shown.toLower();
        };
        QString text;
        switch (volume.type) {
            case ottomix::VolumeType::Removable:
                text = point;
                break;  // the medium is not read
            case ottomix::VolumeType::Remote:
                text = point + ' ' + cased(volume.source);
                break;
            default:
                text = point + QStringLiteral(" [") + cased(volume.label) + ']';
                break;
        }
        addItem(text);
        const int index = count() - 1;
        setItemData(index, QByteArray::fromStdString(volume.mountPoint), kDriveRole);
        setItemData(index, static_cast<int>(volume.type), kGlyphRole);
    }
    setCurrentIndex(-1);  // the combo box would pick the first entry by itself
}

void TDriveComboBox::SelectDrive(const std::string& mountPoint) {
    if (currentIndex() >= 0 && mountPoint == drive_letter_) return;
    if (!mountPoint.empty()) {
        drive_letter_ = mountPoint;
        for (int i = 0; i < count(); ++i) {
            if (ItemDrive(i) == mountPoint) {
                setCurrentIndex(i);
                break;
            }
        }
    } else {
        drive_letter_.clear();
        setCurrentIndex(-1);
    }
    if (dir_list_) dir_list_->SetDriveLetter(drive_letter_);
    emit OnChange(this);
}

void TDriveComboBox::SetTextCase(TTextCase text_case) {
    if (text_case == text_case_) return;
    text_case_ = text_case;
    FillDrives();
    SelectDrive(drive_letter_);
}

void TDriveComboBox::Chosen(int index) {
    Guarded([this, index] {
        emit OnClick(this);
        SelectDrive(ItemDrive(index));
    });
}

void TDriveComboBox::showEvent(QShowEvent* event) {
    QComboBox::showEvent(event);
    if (created_) return;
    created_ = true;
    Guarded([this] {
        FillDrives();
        SelectDrive(drive_letter_);
    });
}

void TDriveComboBox::changeEvent(QEvent* event) {
    QComboBox::changeEvent(event);
    if (event->type() == QEvent::FontChange) ResetItemHeight();
}

void TDriveComboBox::PaintEntry(QPainter* painter, const QRect& rect, int index,
                                bool selected) const {
    const QPalette& colours = palette();
    painter->fillRect(rect, selected ? colours.color(QPalette::Active, QPalette::Highlight)
                                     : colours.color(QPalette::Base));
    if (index < 0 || index >= count()) return;
    const int type = itemData(index, kGlyphRole).toInt();
    if (type >= 0 && type < static_cast<int>(glyphs_.size())) {
        DrawGlyph(painter, glyphs_[static_cast<size_t>(type)], 2, rect);
    }
    painter->setPen(selected ? colours.color(QPalette::Active, QPalette::HighlightedText)
                             : colours.color(QPalette::Text));
    painter->setFont(font());
    // Plain drawText: an "&" in a label stays an "&".
    painter->drawText(rect.adjusted(16 + 6, 0, 0, 0),
                      Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, itemText(index));
}

void TDriveComboBox::paintEvent(QPaintEvent*) {
    QStylePainter painter(this);
    QStyleOptionComboBox option;
    initStyleOption(&option);
    option.currentText.clear();
    option.currentIcon = QIcon();
    painter.drawComplexControl(QStyle::CC_ComboBox, option);
    const QRect field =
        style()->subControlRect(QStyle::CC_ComboBox, &option, QStyle::SC_ComboBoxEditField, this);
    PaintEntry(&painter, field, currentIndex(), hasFocus());
}
