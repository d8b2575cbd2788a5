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

// The artwork sits in an archive when this code does; naming its
// registration pulls it into every program that uses the browser.
static bool registerArtwork() {
    Q_INIT_RESOURCE(ottomix);
    return true;
}

namespace ottomix {

// ---------------------------------------------------------------------------
// BrowserError

BrowserError::BrowserError(int code) : std::runtime_error(messageFor(code)), code_(code) {}

std::string BrowserError::messageFor(int code) {
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
int BrowserError::codeFromErrno(int error) {
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

namespace {

void throwIfFailed(int error) {
    if (error != 0) throw BrowserError::fromErrno(error);
}

unsigned char foldAscii(unsigned char c) {
    return (c >= 'A' && c <= 'Z') ? c + ('a' - 'A') : c;
}

bool wildMatch(const char* p, const char* pe, const char* s, const char* se) {
    const char* star_p = nullptr;
    const char* star_s = nullptr;
    while (s < se) {
        if (p < pe && *p == '?') {
            // One character, which in UTF-8 may be several bytes.
            ++s;
            while (s < se && (static_cast<unsigned char>(*s) & 0xC0) == 0x80) ++s;
            ++p;
        } else if (p < pe && *p != '*' &&
                   foldAscii(static_cast<unsigned char>(*p)) ==
                       foldAscii(static_cast<unsigned char>(*s))) {
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
size_t utf8SequenceLength(const unsigned char* s, size_t available) {
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
QPixmap loadGlyph(const char* name) {
    static const bool registered = registerArtwork();
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
int characterHeight(const QFont& font) {
    return qCeil(QFontMetricsF(font).height());
}

// Height of a glyph, or the artwork's nominal height while it is missing,
// so row heights do not depend on whether the images are there.
int glyphHeight(const QPixmap& glyph, int nominal) {
    return glyph.isNull() ? nominal : glyph.height();
}

// A glyph `x` pixels into a row, centred in its height; nothing while the artwork is missing.
void drawGlyph(QPainter* painter, const QPixmap& glyph, int x, const QRect& row) {
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
    void arm() {
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
void runUserAction(F&& action) {
    try {
        action();
    } catch (...) {
        raiseFromEventLoop(std::current_exception());
    }
}

// Paths compared ignoring case. Decoding turns every stray byte into the
// same replacement character, so a path that is not UTF-8 counts only when
// its bytes are equal.
bool sameIgnoringCase(const std::string& a, const std::string& b) {
    if (a == b) return true;
    const QString wide_a = QString::fromStdString(a);
    const QString wide_b = QString::fromStdString(b);
    if (wide_a.toStdString() != a || wide_b.toStdString() != b) return false;
    return wide_a.compare(wide_b, Qt::CaseInsensitive) == 0;
}

}  // namespace

bool maskMatches(const std::string& pattern, const std::string& name) {
    if (pattern.empty()) return false;
    const char* p = pattern.data();
    const char* s = name.data();
    if (wildMatch(p, p + pattern.size(), s, s + name.size())) return true;
    // "*.*", "data.*": the dot and extension may be absent altogether.
    const size_t n = pattern.size();
    return n >= 2 && pattern[n - 2] == '.' && pattern[n - 1] == '*' &&
           wildMatch(p, p + n - 2, s, s + name.size());
}

QString displayName(const std::string& bytes) {
    const auto* data = reinterpret_cast<const unsigned char*>(bytes.data());
    const size_t size = bytes.size();
    size_t i = 0;
    while (i < size) {
        const size_t length = utf8SequenceLength(data + i, size - i);
        if (length == 0) break;
        i += length;
    }
    if (i == size) return QString::fromUtf8(bytes.data(), static_cast<qsizetype>(size));
    QString out = QString::fromUtf8(bytes.data(), static_cast<qsizetype>(i));
    while (i < size) {
        const size_t length = utf8SequenceLength(data + i, size - i);
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

void raiseFromEventLoop(std::exception_ptr error) {
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

    void clear() {
        beginResetModel();
        rows_.clear();
        endResetModel();
    }
    // All rows in one insertion, so views lay out once.
    void append(std::vector<Row>&& rows) {
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

using browser_detail::Row;
using browser_detail::RowModel;

// ---------------------------------------------------------------------------
// Drawing delegates

class RowDelegate : public QStyledItemDelegate {
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

class DriveDelegate : public QStyledItemDelegate {
  public:
    explicit DriveDelegate(DriveSelector* owner) : QStyledItemDelegate(owner), owner_(owner) {}
    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override {
        painter->save();
        owner_->paintEntry(painter, option.rect, index.row(),
                           option.state & (QStyle::State_Selected | QStyle::State_MouseOver));
        painter->restore();
    }
    QSize sizeHint(const QStyleOptionViewItem&, const QModelIndex&) const override {
        return QSize(1, owner_->itemHeight_);
    }

  private:
    DriveSelector* owner_;
};

// ---------------------------------------------------------------------------
// BrowserList

BrowserList::BrowserList(QWidget* parent) : QListView(parent), model_(new RowModel(this)) {
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
    runUserAction([this] { fillOnFirstShow(); });
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
    const bool on_row =
        event->button() == Qt::LeftButton && indexAt(event->position().toPoint()).row() == after;
    if (after != before || on_row) runUserAction([this, after] { handleUserSelection(after); });
}

void BrowserList::mouseMoveEvent(QMouseEvent* event) {
    const int before = selectedRow();
    QListView::mouseMoveEvent(event);
    const int after = selectedRow();
    if (after >= 0 && after != before) runUserAction([this, after] { handleUserSelection(after); });
}

void BrowserList::keyPressEvent(QKeyEvent* event) {
    const int before = selectedRow();
    QListView::keyPressEvent(event);
    const int after = selectedRow();
    if (after >= 0 && after != before) runUserAction([this, after] { handleUserSelection(after); });
}

// The user moves the selection but cannot take it away (Ctrl+click,
// Ctrl+Space, a click below the last row): only reread clears it.
QItemSelectionModel::SelectionFlags BrowserList::selectionCommand(const QModelIndex& index,
                                                                  const QEvent* event) const {
    const QItemSelectionModel::SelectionFlags flags = QListView::selectionCommand(index, event);
    if (!index.isValid() || (flags & QItemSelectionModel::Deselect)) {
        return QItemSelectionModel::NoUpdate;
    }
    return flags;
}

// ---------------------------------------------------------------------------
// FileList

FileList::FileList(QWidget* parent)
    : BrowserList(parent),
      currentDir_(FileSystem::instance().currentDirectory()),
      executableGlyph_(loadGlyph("EXECUTABLE")),
      unknownGlyph_(loadGlyph("UNKNOWNFILE")),
      folderGlyph_(loadGlyph("CLOSEDFOLDER")) {
    resetItemHeight();
}

FileList::~FileList() {
    if (directoryTree_ && directoryTree_->fileList_ == this) directoryTree_->fileList_ = nullptr;
}

int FileList::naturalItemHeight() const {
    const int text = characterHeight(font());
    return showGlyphs_ ? std::max(text, glyphHeight(executableGlyph_, 15) + 1) : text;
}

void FileList::setMask(const std::string& mask) {
    if (mask == mask_) return;
    mask_ = mask;
    reread();
}

void FileList::setFileTypes(FileTypes file_type) {
    if (file_type == fileTypes_) return;
    fileTypes_ = file_type;
    reread();
}

void FileList::setShowGlyphs(bool show) {
    if (show == showGlyphs_) return;
    showGlyphs_ = show;
    resetItemHeight();
    viewport()->update();
}

void FileList::fillOnFirstShow() {
    reread();
}

void FileList::reread() {
    if (!hasBeenShown()) return;
    FileSystem& fs = FileSystem::instance();
    // The attribute flags carry the attribute bits themselves.
    const unsigned search =
        (fileTypes_ & (FileTypeFlag::ReadOnly | FileTypeFlag::Hidden | FileTypeFlag::System |
                       FileTypeFlag::VolumeId | FileTypeFlag::Directory | FileTypeFlag::Archive))
            .toInt();
    const bool normal = fileTypes_.testFlag(FileTypeFlag::Normal);
    throwIfFailed(fs.changeDirectory(currentDir_));
    rowModel()->clear();
    {
        BusyPointer busy;
        std::vector<DirEntry> entries;
        // A directory that cannot be read lists nothing, like a search that finds nothing.
        fs.readDirectory(".", (search & kAttrReadOnly) != 0 && !normal, &entries);
        const unsigned excluded =
            (kAttrHidden | kAttrSystem | kAttrVolumeId | kAttrDirectory) & ~search;

        // Every pattern over the one reading of the directory, left to right:
        // a name that two patterns match is listed twice.
        std::vector<const DirEntry*> found;
        size_t start = 0;
        while (true) {
            const size_t end = std::min(mask_.find(';', start), mask_.size());
            const std::string pattern = mask_.substr(start, end - start);
            if (!pattern.empty()) {
                for (const auto& entry : entries) {
                    if ((entry.attributes & excluded) != 0) continue;
                    if (!normal && (entry.attributes & search) == 0) continue;
                    if (!maskMatches(pattern, entry.name)) continue;
                    found.push_back(&entry);
                    if (found.size() == 101) busy.arm();  // a row now sits at place 100
                }
            }
            if (end == mask_.size()) break;
            start = end + 1;
        }

        std::vector<Row> rows(found.size());
        std::vector<std::string> keys(found.size());
        for (size_t i = 0; i < found.size(); ++i) {
            const DirEntry& entry = *found[i];
            Row& row = rows[i];
            if (entry.attributes & kAttrDirectory) {
                row.name = "[" + entry.name + "]";
                row.glyph = kClosedFolder;
            } else {
                const size_t dot = entry.name.rfind('.');
                std::string extension = dot == std::string::npos ? "" : entry.name.substr(dot);
                for (char& c : extension) c = static_cast<char>(foldAscii(c));
                const bool program = extension == ".exe" || extension == ".com" ||
                                     extension == ".bat" || extension == ".pif";
                row.name = entry.name;
                row.glyph = program ? kExecutable : kUnknownFile;
            }
            row.text = displayName(row.name);
            keys[i] = row.name;
            for (char& c : keys[i]) c = static_cast<char>(foldAscii(c));
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
        rowModel()->append(std::move(sorted));
    }
    notifyChange();
}

std::string FileList::fileName() const {
    const int index = selectedRow();
    return index < 0 ? std::string() : joinPath(currentDir_, itemName(index));
}

void FileList::setCurrentDir(const std::string& path) {
    // Names differ by case here, so the comparison is exact.
    if (path == currentDir_) return;
    FileSystem& fs = FileSystem::instance();
    // A relative path counts from the list's own directory.
    if (path.empty() || path[0] != '/') throwIfFailed(fs.changeDirectory(currentDir_));
    throwIfFailed(fs.changeDirectory(path));
    currentDir_ = fs.currentDirectory();
    reread();
}

void FileList::notifyChange() {
    rowAtLastChange_ = selectedRow();
    emit changed();
}

void FileList::handleUserSelection(int row) {
    emit userSelected();
    if (row != rowAtLastChange_) notifyChange();
}

void FileList::paintRow(QPainter* painter, const QStyleOptionViewItem& option, int row) const {
    const Row& entry = rowModel()->at(row);
    const QColor text = paintRowBackground(painter, option);
    int x = 2;
    if (showGlyphs_) {
        const QPixmap* glyph = entry.glyph == kExecutable     ? &executableGlyph_
                               : entry.glyph == kClosedFolder ? &folderGlyph_
                                                              : &unknownGlyph_;
        if (!glyph->isNull()) {
            drawGlyph(painter, *glyph, 2, option.rect);
            x = glyph->width() + 6;
        }
    }
    painter->setPen(text);
    painter->setFont(font());
    painter->drawText(option.rect.adjusted(x, 0, 0, 0),
                      Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine, entry.text);
}

// ---------------------------------------------------------------------------
// DirectoryTree

DirectoryTree::DirectoryTree(QWidget* parent)
    : BrowserList(parent),
      currentDir_(FileSystem::instance().currentDirectory()),
      openGlyph_(loadGlyph("OPENFOLDER")),
      currentGlyph_(loadGlyph("CURRENTFOLDER")),
      closedGlyph_(loadGlyph("CLOSEDFOLDER")) {
    resetItemHeight();
}

DirectoryTree::~DirectoryTree() {
    if (fileList_ && fileList_->directoryTree_ == this) fileList_->directoryTree_ = nullptr;
    if (driveSelector_ && driveSelector_->directoryTree_ == this)
        driveSelector_->directoryTree_ = nullptr;
}

int DirectoryTree::naturalItemHeight() const {
    return std::max(characterHeight(font()), glyphHeight(openGlyph_, 15) + 1);
}

void DirectoryTree::setFileList(FileList* file_list) {
    if (fileList_ && fileList_->directoryTree_ == this) fileList_->directoryTree_ = nullptr;
    fileList_ = file_list;
    if (fileList_) fileList_->directoryTree_ = this;
}

std::string DirectoryTree::volume() const {
    return FileSystem::instance().volumeOf(currentDir_);
}

void DirectoryTree::fillOnFirstShow() {
    fillTree();
}

void DirectoryTree::fillTree() {
    FileSystem& fs = FileSystem::instance();
    setUpdatesEnabled(false);
    rowModel()->clear();
    const VolumeFlags flags = fs.flagsOf(currentDir_);
    caseSensitive_ = flags.caseSensitive;
    preserveCase_ = flags.caseSensitive || flags.casePreserved;

    // "/", each ancestor, then the current directory.
    std::vector<Row> rows;
    auto add = [&rows](std::string name, int glyph) {
        Row row;
        row.text = displayName(name);
        row.name = std::move(name);
        row.glyph = glyph;
        row.indent = 4 * static_cast<int>(rows.size()) + 2;
        rows.push_back(std::move(row));
    };
    add("/", kOpenFolder);
    size_t start = 1;
    while (start < currentDir_.size()) {
        const size_t end = std::min(currentDir_.find('/', start), currentDir_.size());
        if (end > start) add(currentDir_.substr(start, end - start), kOpenFolder);
        start = end + 1;
    }
    rows.back().glyph = kCurrentFolder;
    currentRow_ = static_cast<int>(rows.size()) - 1;

    // The subdirectories, indented one level below the current directory's depth.
    const int depth =
        std::max<int>(1, static_cast<int>(std::count(currentDir_.begin(), currentDir_.end(), '/')));
    const int indent = 4 * (depth + 1) + 2;
    std::vector<DirEntry> entries;
    fs.readDirectory(currentDir_, false, &entries);
    std::vector<Row> subdirs;
    std::vector<QCollatorSortKey> keys;
    QCollator collator;
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    for (auto& entry : entries) {
        if ((entry.attributes & kAttrDirectory) == 0) continue;
        if (entry.attributes & (kAttrHidden | kAttrSystem)) continue;
        if (entry.name == "." || entry.name == "..") continue;
        Row row;
        row.text = displayName(entry.name);
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
    rowModel()->append(std::move(rows));
    setUpdatesEnabled(true);
    if (hasBeenShown()) setSelectedRow(currentRow_);
    fs.rememberDirectory(currentDir_);
}

std::string DirectoryTree::rowPath(int index) const {
    if (index < 0 || index >= count()) return {};
    if (index == 0) return "/";
    if (index == currentRow_) return currentDir_;
    if (index > currentRow_) return joinPath(currentDir_, itemName(index));
    // An ancestor: the path up to, not including, its (index + 1)-th "/".
    size_t at = 0;
    for (int seen = 0; seen <= index && at != std::string::npos; ++seen) {
        at = currentDir_.find('/', seen == 0 ? 0 : at + 1);
    }
    return at == std::string::npos ? currentDir_ : currentDir_.substr(0, at);
}

DirectoryTree::Resolved DirectoryTree::resolvePath(const std::string& path) const {
    FileSystem& fs = FileSystem::instance();
    // Kept as a handle: the directory shown may have been deleted, and the
    // process must still be put back there, not left half-way.
    int saved = -1;
    throwIfFailed(fs.openCurrentDirectory(&saved));
    const std::string saved_name = fs.currentDirectory();
    Resolved result;
    try {
        // A relative path cannot count from a directory that is gone.
        if (path[0] != '/' && saved_name.empty()) throwIfFailed(ENOENT);
        const std::string full = path[0] == '/' ? path : joinPath(saved_name, path);
        const size_t slash = full.rfind('/');
        std::string dir = slash == 0 ? "/" : full.substr(0, slash);
        const std::string file = full.substr(slash + 1);
        throwIfFailed(fs.changeDirectory(dir));
        // The last part joins the directory unless it names a file or is a
        // pattern; "*" and "?" are legal in names here, so a directory that
        // carries them in its name is still entered.
        if (!file.empty() && !fs.isFile(file)) {
            const int error = fs.changeDirectory(file);
            if (error == 0) {
                dir = joinPath(dir, file);
            } else if (file.find_first_of("*?") == std::string::npos) {
                throwIfFailed(error);
            }
        }
        result.dir = dir;
        result.volume = fs.volumeOf(fs.currentDirectory());
    } catch (...) {
        throwIfFailed(fs.returnToDirectory(saved));
        throw;
    }
    throwIfFailed(fs.returnToDirectory(saved));
    return result;
}

void DirectoryTree::changeDir(const std::string& path) {
    if (path.empty()) return;
    const bool same = caseSensitive_ ? path == currentDir_ : sameIgnoringCase(path, currentDir_);
    if (same) return;
    const Resolved target = resolvePath(path);
    if (target.volume != volume()) {
        switchingVolume_ = true;
        try {
            if (driveSelector_) {
                driveSelector_->selectVolume(target.volume);
            } else {
                setVolume(target.volume);
            }
        } catch (...) {
            switchingVolume_ = false;
            throw;
        }
        switchingVolume_ = false;
    }
    FileSystem& fs = FileSystem::instance();
    fs.changeDirectory(currentDir_);  // may fail: the next change decides
    throwIfFailed(fs.changeDirectory(target.dir));
    currentDir_ = fs.currentDirectory();
    fillTree();
    notifyChange();
}

void DirectoryTree::setVolume(const std::string& mountPoint) {
    if (mountPoint == volume()) return;
    if (!mountPoint.empty()) {
        FileSystem& fs = FileSystem::instance();
        throwIfFailed(fs.changeToVolume(mountPoint));
        currentDir_ = fs.currentDirectory();
    }
    if (switchingVolume_) return;
    fillTree();
    notifyChange();
}

void DirectoryTree::openSelected() {
    changeDir(rowPath(selectedRow()));
}

void DirectoryTree::notifyChange() {
    if (fileList_) fileList_->setCurrentDir(currentDir_);
    emit changed();
}

void DirectoryTree::handleUserSelection(int) {
    emit userSelected();
}

void DirectoryTree::mouseDoubleClickEvent(QMouseEvent* event) {
    QListView::mouseDoubleClickEvent(event);
    if (event->button() != Qt::LeftButton) return;
    const int row = indexAt(event->position().toPoint()).row();
    if (row >= 0 && row == selectedRow()) runUserAction([this] { openSelected(); });
}

void DirectoryTree::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        runUserAction([this] { openSelected(); });
        return;
    }
    BrowserList::keyPressEvent(event);
}

void DirectoryTree::paintRow(QPainter* painter, const QStyleOptionViewItem& option, int row) const {
    const Row& entry = rowModel()->at(row);
    const QColor text = paintRowBackground(painter, option);
    const QPixmap& glyph = entry.glyph == kOpenFolder      ? openGlyph_
                           : entry.glyph == kCurrentFolder ? currentGlyph_
                                                           : closedGlyph_;
    drawGlyph(painter, glyph, entry.indent, option.rect);
    painter->setPen(text);
    painter->setFont(font());
    // A volume that keeps no case shows its names in lower case.
    const QString shown = preserveCase_ || caseSensitive_ ? entry.text : entry.text.toLower();
    painter->drawText(option.rect.adjusted(entry.indent + 16 + 4, 0, 0, 0),
                      Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine, shown);
}

// ---------------------------------------------------------------------------
// DriveSelector

namespace {
constexpr int kDriveRole = Qt::UserRole + 1;
constexpr int kGlyphRole = Qt::UserRole + 2;
}  // namespace

DriveSelector::DriveSelector(QWidget* parent) : QComboBox(parent) {
    setEditable(false);
    setItemDelegate(new DriveDelegate(this));
    // In VolumeType order.
    for (const char* name : {"FLOPPY", "HARD", "NETWORK", "CDROM", "RAM"}) {
        glyphs_.push_back(loadGlyph(name));
    }
    resetItemHeight();
    FileSystem& fs = FileSystem::instance();
    volume_ = fs.volumeOf(fs.currentDirectory());
    connect(this, qOverload<int>(&QComboBox::activated), this,
            &DriveSelector::selectActivatedEntry);
}

DriveSelector::~DriveSelector() {
    if (directoryTree_ && directoryTree_->driveSelector_ == this)
        directoryTree_->driveSelector_ = nullptr;
}

void DriveSelector::setDirectoryTree(DirectoryTree* dir_list) {
    if (directoryTree_ && directoryTree_->driveSelector_ == this)
        directoryTree_->driveSelector_ = nullptr;
    directoryTree_ = dir_list;
    if (directoryTree_) directoryTree_->driveSelector_ = this;
}

void DriveSelector::resetItemHeight() {
    itemHeight_ = std::max(characterHeight(font()), glyphHeight(glyphs_[0], 11));
}

std::string DriveSelector::itemVolume(int index) const {
    return itemData(index, kDriveRole).toByteArray().toStdString();
}

void DriveSelector::fillVolumes() {
    clear();
    for (const Volume& volume : FileSystem::instance().volumes()) {
        const QString point = displayName(volume.mountPoint);
        auto cased = [this](const std::string& text) {
            const QString shown = displayName(text);
            return textCase_ == TextCase::Upper ? shown.toUpper() : shown.toLower();
        };
        QString text;
        switch (volume.type) {
            case VolumeType::Removable:
                text = point;
                break;  // the medium is not read
            case VolumeType::Remote:
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

void DriveSelector::selectVolume(const std::string& mountPoint) {
    if (currentIndex() >= 0 && mountPoint == volume_) return;
    if (!mountPoint.empty()) {
        volume_ = mountPoint;
        for (int i = 0; i < count(); ++i) {
            if (itemVolume(i) == mountPoint) {
                setCurrentIndex(i);
                break;
            }
        }
    } else {
        volume_.clear();
        setCurrentIndex(-1);
    }
    if (directoryTree_) directoryTree_->setVolume(volume_);
    emit changed();
}

void DriveSelector::setTextCase(TextCase text_case) {
    if (text_case == textCase_) return;
    textCase_ = text_case;
    fillVolumes();
    selectVolume(volume_);
}

void DriveSelector::selectActivatedEntry(int index) {
    runUserAction([this, index] {
        emit userSelected();
        selectVolume(itemVolume(index));
    });
}

void DriveSelector::showEvent(QShowEvent* event) {
    QComboBox::showEvent(event);
    if (shown_) return;
    shown_ = true;
    runUserAction([this] {
        fillVolumes();
        selectVolume(volume_);
    });
}

void DriveSelector::changeEvent(QEvent* event) {
    QComboBox::changeEvent(event);
    if (event->type() == QEvent::FontChange) resetItemHeight();
}

void DriveSelector::paintEntry(QPainter* painter, const QRect& rect, int index,
                               bool selected) const {
    const QPalette& colours = palette();
    painter->fillRect(rect, selected ? colours.color(QPalette::Active, QPalette::Highlight)
                                     : colours.color(QPalette::Base));
    if (index < 0 || index >= count()) return;
    const int type = itemData(index, kGlyphRole).toInt();
    if (type >= 0 && type < static_cast<int>(glyphs_.size())) {
        drawGlyph(painter, glyphs_[static_cast<size_t>(type)], 2, rect);
    }
    painter->setPen(selected ? colours.color(QPalette::Active, QPalette::HighlightedText)
                             : colours.color(QPalette::Text));
    painter->setFont(font());
    // Plain drawText: an "&" in a label stays an "&".
    painter->drawText(rect.adjusted(16 + 6, 0, 0, 0),
                      Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, itemText(index));
}

void DriveSelector::paintEvent(QPaintEvent*) {
    QStylePainter painter(this);
    QStyleOptionComboBox option;
    initStyleOption(&option);
    option.currentText.clear();
    option.currentIcon = QIcon();
    painter.drawComplexControl(QStyle::CC_ComboBox, option);
    const QRect field =
        style()->subControlRect(QStyle::CC_ComboBox, &option, QStyle::SC_ComboBoxEditField, this);
    paintEntry(&painter, field, currentIndex(), hasFocus());
}

}  // namespace ottomix
