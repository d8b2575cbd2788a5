#include "ui/browser/directory_tree.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <algorithm>
#include <cerrno>
#include <utility>
#include <vector>

#include "ui/browser/browser_error.h"
#include "ui/browser/browser_row_model.h"
#include "ui/browser/busy_pointer.h"
#include "ui/browser/display_name.h"
#include "ui/browser/file_system.h"
#include "ui/browser/name_order.h"
#include "ui/browser/row_drawing.h"

namespace ottomix {

namespace {

// Paths compared ignoring case. Decoding turns every stray byte into the
// same replacement character, so a path that is not UTF-8 counts only when
// its bytes are equal.
bool sameIgnoringCase(const std::string& a, const std::string& b) {
    if (a == b) return true;
    const QString wideA = QString::fromStdString(a);
    const QString wideB = QString::fromStdString(b);
    if (wideA.toStdString() != a || wideB.toStdString() != b) return false;
    return wideA.compare(wideB, Qt::CaseInsensitive) == 0;
}

std::string parentOf(const std::string& path) {
    const size_t slash = path.rfind('/');
    return slash == 0 || slash == std::string::npos ? "/" : path.substr(0, slash);
}

}  // namespace

DirectoryTree::DirectoryTree(QWidget* parent)
    : BrowserList(parent),
      currentDir_(FileSystem::instance().currentDirectory()),
      openGlyph_(loadGlyph("OPENFOLDER")),
      currentGlyph_(loadGlyph("CURRENTFOLDER")),
      closedGlyph_(loadGlyph("CLOSEDFOLDER")) {
    resetItemHeight();
}

DirectoryTree::~DirectoryTree() = default;

int DirectoryTree::naturalItemHeight() const {
    return std::max(characterHeight(font()), glyphHeight(openGlyph_, 15) + 1);
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
    std::vector<BrowserRow> rows;
    auto add = [&rows](std::string name, RowGlyph glyph) {
        BrowserRow row;
        row.text = displayName(name);
        row.name = std::move(name);
        row.glyph = glyph;
        row.indent = 4 * static_cast<int>(rows.size()) + 2;
        rows.push_back(std::move(row));
    };
    add("/", RowGlyph::OpenFolder);
    size_t start = 1;
    while (start < currentDir_.size()) {
        const size_t end = std::min(currentDir_.find('/', start), currentDir_.size());
        if (end > start) add(currentDir_.substr(start, end - start), RowGlyph::OpenFolder);
        start = end + 1;
    }
    rows.back().glyph = RowGlyph::CurrentFolder;
    currentRow_ = static_cast<int>(rows.size()) - 1;

    // The subdirectories, indented one level below the current directory's depth.
    const int depth =
        std::max<int>(1, static_cast<int>(std::count(currentDir_.begin(), currentDir_.end(), '/')));
    const int indent = 4 * (depth + 1) + 2;
    BusyPointer busy;
    std::vector<DirEntry> entries;
    fs.readDirectory(currentDir_, false, &entries, [&busy] { busy.check(); });
    busy.check();
    std::vector<BrowserRow> subdirs;
    NameOrder order;
    for (auto& entry : entries) {
        if ((entry.attributes & kAttrDirectory) == 0) continue;
        if (entry.attributes & (kAttrHidden | kAttrSystem)) continue;
        if (entry.name == "." || entry.name == "..") continue;
        BrowserRow row;
        row.text = displayName(entry.name);
        row.name = std::move(entry.name);
        row.glyph = RowGlyph::ClosedFolder;
        row.indent = indent;
        order.add(row.text);
        subdirs.push_back(std::move(row));
    }
    order.sort(&subdirs);
    for (auto& row : subdirs) rows.push_back(std::move(row));
    busy.check();
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
    const std::string here = fs.currentDirectory();
    // A relative path cannot count from a directory that is gone.
    if (path[0] != '/' && here.empty()) throwIfFailed(ENOENT);
    const std::string full = path[0] == '/' ? path : joinPath(here, path);
    Resolved result;
    std::string real;
    throwIfFailed(fs.resolveDirectory(full, &result.dir, &real), full);
    result.volume = fs.volumeOf(real);
    return result;
}

void DirectoryTree::changeDir(const std::string& path) {
    if (path.empty()) return;
    const bool same = caseSensitive_ ? path == currentDir_ : sameIgnoringCase(path, currentDir_);
    if (same) return;
    const Resolved target = resolvePath(path);
    if (target.volume != volume()) {
        enterVolume(target.volume);
        // The drive selector follows before the rows are read again.
        emit volumeChanged(target.volume);
    }
    FileSystem& fs = FileSystem::instance();
    // Back where the tree is should the change fail; that may fail too (the
    // next change decides), but a directory the process is in is not asked.
    if (fs.currentDirectory() != currentDir_) fs.changeDirectory(currentDir_);
    throwIfFailed(fs.changeDirectory(target.dir), target.dir);
    currentDir_ = fs.currentDirectory();
    fillTree();
    notifyChange();
}

void DirectoryTree::enterVolume(const std::string& mountPoint) {
    FileSystem& fs = FileSystem::instance();
    throwIfFailed(fs.changeToVolume(mountPoint), mountPoint);
    currentDir_ = fs.currentDirectory();
}

void DirectoryTree::setVolume(const std::string& mountPoint) {
    if (mountPoint.empty() || mountPoint == volume()) return;
    if (!reportingFailure([&] { enterVolume(mountPoint); })) return;
    fillTree();
    notifyChange();
    emit volumeChanged(mountPoint);
}

void DirectoryTree::leaveVolume(const std::string& mountPoint) {
    // Failures on the way up are not reported; only the last one counts.
    std::string dir = mountPoint;
    bool left = false;
    do {
        dir = parentOf(dir);
        try {
            changeDir(dir);
            left = true;
        } catch (const BrowserError& error) {
            if (dir == "/") emit failed(error.text());
        }
    } while (!left && dir != "/");
}

void DirectoryTree::openSelected() {
    changeDir(rowPath(selectedRow()));
}

void DirectoryTree::notifyChange() {
    emit currentDirectoryChanged(currentDir_);
    emit changed();
}

void DirectoryTree::handleUserSelection(int) {
    emit userSelected();
}

void DirectoryTree::mouseDoubleClickEvent(QMouseEvent* event) {
    QListView::mouseDoubleClickEvent(event);
    if (event->button() != Qt::LeftButton) return;
    const int row = indexAt(event->position().toPoint()).row();
    if (row >= 0 && row == selectedRow()) reportingFailure([this] { openSelected(); });
}

void DirectoryTree::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        reportingFailure([this] { openSelected(); });
        return;
    }
    BrowserList::keyPressEvent(event);
}

void DirectoryTree::paintRow(QPainter* painter, const QStyleOptionViewItem& option, int row) const {
    const BrowserRow& entry = rowModel()->at(row);
    const QColor text = paintRowBackground(painter, option);
    const QPixmap& glyph = entry.glyph == RowGlyph::OpenFolder      ? openGlyph_
                           : entry.glyph == RowGlyph::CurrentFolder ? currentGlyph_
                                                                    : closedGlyph_;
    drawGlyph(painter, glyph, entry.indent, option.rect);
    painter->setPen(text);
    painter->setFont(font());
    // A volume that keeps no case shows its names in lower case.
    const QString shown = preserveCase_ || caseSensitive_ ? entry.text : entry.text.toLower();
    painter->drawText(option.rect.adjusted(entry.indent + 16 + 4, 0, 0, 0),
                      Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine, shown);
}

}  // namespace ottomix
