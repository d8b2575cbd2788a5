#include "ui/browser/file_list.h"

#include <QApplication>
#include <QPainter>
#include <algorithm>
#include <utility>
#include <vector>

#include "ui/browser/browser_error.h"
#include "ui/browser/browser_row_model.h"
#include "ui/browser/busy_pointer.h"
#include "ui/browser/display_name.h"
#include "ui/browser/file_mask.h"
#include "ui/browser/name_order.h"
#include "ui/browser/row_drawing.h"

namespace ottomix {

FileList::FileList(QWidget* parent)
    : BrowserList(parent),
      currentDir_(FileSystem::instance().currentDirectory()),
      executableGlyph_(loadGlyph("EXECUTABLE")),
      unknownGlyph_(loadGlyph("UNKNOWNFILE")),
      folderGlyph_(loadGlyph("CLOSEDFOLDER")) {
    resetItemHeight();
}

FileList::~FileList() = default;

int FileList::naturalItemHeight() const {
    const int text = characterHeight(font());
    return showGlyphs_ ? std::max(text, glyphHeight(executableGlyph_, 15) + 1) : text;
}

void FileList::setMask(const std::string& mask) {
    if (mask == mask_) return;
    mask_ = mask;
    reread();
}

void FileList::setFileTypes(FileTypes types) {
    if (types == fileTypes_) return;
    fileTypes_ = types;
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
    throwIfFailed(fs.changeDirectory(currentDir_), currentDir_);
    rowModel()->clear();
    {
        BusyPointer busy;
        std::vector<DirEntry> entries;
        // A directory that cannot be read lists nothing, like a search that finds nothing.
        fs.readDirectory(".", (search & kAttrReadOnly) != 0 && !normal, &entries,
                         [&busy] { busy.check(); });
        busy.check();
        const unsigned excluded =
            (kAttrHidden | kAttrSystem | kAttrVolumeId | kAttrDirectory) & ~search;

        // Every pattern over the one reading of the directory, left to right:
        // a name that two patterns match is listed twice.
        std::vector<const DirEntry*> found;
        for (const std::string& pattern : maskPatterns(mask_)) {
            for (size_t i = 0; i < entries.size(); ++i) {
                if ((i & 1023) == 1023) busy.check();
                const DirEntry& entry = entries[i];
                if ((entry.attributes & excluded) != 0) continue;
                if (!normal && (entry.attributes & search) == 0) continue;
                if (!maskMatches(pattern, entry.name)) continue;
                found.push_back(&entry);
            }
        }

        std::vector<BrowserRow> rows(found.size());
        NameOrder order;
        order.reserve(found.size());
        for (size_t i = 0; i < found.size(); ++i) {
            if ((i & 1023) == 1023) busy.check();
            const DirEntry& entry = *found[i];
            BrowserRow& row = rows[i];
            QString shown = displayName(entry.name);
            if (entry.attributes & kAttrDirectory) {
                row.name = "[" + entry.name + "]";
                row.glyph = RowGlyph::ClosedFolder;
                // Sorted without the closing bracket: "[ab" before "[ab1", as
                // the tree puts "ab" before "ab1".
                shown.prepend(QLatin1Char('['));
                order.add(shown);
                row.text = shown + QLatin1Char(']');
            } else {
                const size_t dot = entry.name.rfind('.');
                std::string extension = dot == std::string::npos ? "" : entry.name.substr(dot);
                for (char& c : extension) c = static_cast<char>(foldAscii(c));
                const bool program = extension == ".exe" || extension == ".com" ||
                                     extension == ".bat" || extension == ".pif";
                row.name = entry.name;
                row.glyph = program ? RowGlyph::Executable : RowGlyph::UnknownFile;
                order.add(shown);
                row.text = std::move(shown);
            }
        }
        busy.check();
        order.sort(&rows);
        busy.check();
        rowModel()->append(std::move(rows));
    }
    scrollToTop();  // a new reading starts at its first row
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
    if (path.empty() || path[0] != '/') {
        throwIfFailed(fs.changeDirectory(currentDir_), currentDir_);
    }
    throwIfFailed(fs.changeDirectory(path), path);
    currentDir_ = fs.currentDirectory();
    reread();
}

void FileList::showDirectory(const std::string& path) {
    reportingFailure([&] { setCurrentDir(path); });
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
    const BrowserRow& entry = rowModel()->at(row);
    const QColor text = paintRowBackground(painter, option);
    int x = 2;
    if (showGlyphs_) {
        const QPixmap* glyph = entry.glyph == RowGlyph::Executable     ? &executableGlyph_
                               : entry.glyph == RowGlyph::ClosedFolder ? &folderGlyph_
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

}  // namespace ottomix
