#include "ui/browser/drive_selector.h"

#include <unistd.h>

#include <QAbstractItemView>
#include <QEvent>
#include <QPainter>
#include <QSocketNotifier>
#include <QStyleOptionComboBox>
#include <QStylePainter>
#include <QStyledItemDelegate>
#include <algorithm>

#include "ui/browser/display_name.h"
#include "ui/browser/file_system.h"
#include "ui/browser/mount_table.h"
#include "ui/browser/row_drawing.h"

namespace ottomix {

// Sizes every entry of the pop-up list to the item height and lets the
// selector draw it.
class DriveSelector::EntryDelegate : public QStyledItemDelegate {
  public:
    explicit EntryDelegate(DriveSelector* owner) : QStyledItemDelegate(owner), owner_(owner) {}
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

namespace {
constexpr int kMountPointRole = Qt::UserRole + 1;
constexpr int kGlyphRole = Qt::UserRole + 2;
// The entry's text in two parts: the mount point, then " [label]" or " server".
constexpr int kPointTextRole = Qt::UserRole + 3;
constexpr int kSuffixRole = Qt::UserRole + 4;
// Space between the glyph's left edge and the text.
constexpr int kTextIndent = 16 + 6;
// How long after a change of the mount table the entries are read again:
// mounting one volume may change the table several times.
constexpr int kRefreshDelayMs = 200;
}  // namespace

DriveSelector::DriveSelector(QWidget* parent) : QComboBox(parent) {
    setEditable(false);
    setItemDelegate(new EntryDelegate(this));
    // In VolumeType order.
    for (const char* name : {"FLOPPY", "HARD", "NETWORK", "CDROM", "RAM"}) {
        glyphs_.push_back(loadGlyph(name));
    }
    resetItemHeight();
    FileSystem& fs = FileSystem::instance();
    treeDir_ = fs.currentDirectory();
    volume_ = fs.volumeOf(treeDir_);
    connect(this, qOverload<int>(&QComboBox::activated), this,
            &DriveSelector::selectActivatedEntry);
    refreshTimer_.setSingleShot(true);
    refreshTimer_.setInterval(kRefreshDelayMs);
    connect(&refreshTimer_, &QTimer::timeout, this, [this] {
        // Not under the user's hands: an open list waits until it closes.
        if (view() != nullptr && view()->isVisible()) {
            refreshTimer_.start();
            return;
        }
        refreshVolumes();
    });
}

DriveSelector::~DriveSelector() {
    delete mountTableWatch_;
    if (mountTable_ >= 0) ::close(mountTable_);
}

void DriveSelector::resetItemHeight() {
    itemHeight_ = std::max(characterHeight(font()), glyphHeight(glyphs_[0], 11));
}

std::string DriveSelector::itemVolume(int index) const {
    return itemData(index, kMountPointRole).toByteArray().toStdString();
}

void DriveSelector::fillVolumes() {
    clear();
    for (const Volume& volume : FileSystem::instance().volumes()) {
        const QString point = displayName(volume.mountPoint);
        auto cased = [this](const std::string& text) {
            const QString shown = displayName(text);
            return textCase_ == TextCase::Upper ? shown.toUpper() : shown.toLower();
        };
        QString suffix;
        switch (volume.type) {
            case VolumeType::Removable:
                break;  // the medium is not read
            case VolumeType::Remote:
                suffix = ' ' + cased(volume.source);
                break;
            default:
                suffix = QStringLiteral(" [") + cased(volume.label) + ']';
                break;
        }
        addItem(point + suffix);
        const int index = count() - 1;
        setItemData(index, QByteArray::fromStdString(volume.mountPoint), kMountPointRole);
        setItemData(index, static_cast<int>(volume.type), kGlyphRole);
        setItemData(index, point, kPointTextRole);
        setItemData(index, suffix, kSuffixRole);
    }
    setCurrentIndex(-1);  // the combo box would pick the first entry by itself
}

int DriveSelector::entryOf(const std::string& mountPoint) const {
    for (int i = 0; i < count(); ++i) {
        if (itemVolume(i) == mountPoint) return i;
    }
    return -1;
}

void DriveSelector::refreshVolumes() {
    // The volume the tree was on: the longest listed mount point holding its
    // directory, before the table changed.
    std::string treeVolume;
    for (int i = 0; i < count(); ++i) {
        const std::string point = itemVolume(i);
        if (isUnder(treeDir_, point) && point.size() > treeVolume.size()) treeVolume = point;
    }
    fillVolumes();
    setCurrentIndex(entryOf(volume_));
    FileSystem& fs = FileSystem::instance();
    if (!treeVolume.empty() && entryOf(treeVolume) < 0) {
        emit volumeLost(treeVolume);
        // Wherever the tree went, its volume is the one to show.
        volume_.clear();
        selectVolume(fs.volumeOf(treeDir_));
    } else if (currentIndex() < 0 && !volume_.empty()) {
        // The chosen entry is gone; the tree's volume takes its place.
        selectVolume(fs.volumeOf(treeDir_));
    }
}

void DriveSelector::watchMountTable() {
    mountTable_ = FileSystem::instance().openMountTableWatch();
    if (mountTable_ < 0) return;
    // The kernel marks the table "exceptional" (POLLPRI) after every change.
    mountTableWatch_ = new QSocketNotifier(mountTable_, QSocketNotifier::Exception, this);
    connect(mountTableWatch_, &QSocketNotifier::activated, this, [this] {
        if (!refreshTimer_.isActive()) refreshTimer_.start();
    });
}

bool DriveSelector::treeIsOn(const std::string& mountPoint) const {
    return FileSystem::instance().volumeOf(treeDir_) == mountPoint;
}

void DriveSelector::selectVolume(const std::string& mountPoint) {
    if (currentIndex() >= 0 && mountPoint == volume_) return;
    volume_ = mountPoint;
    if (mountPoint.empty()) {
        setCurrentIndex(-1);
    } else if (const int entry = entryOf(mountPoint); entry >= 0) {
        setCurrentIndex(entry);
    }
    // The tree answers a move it could make with volumeChanged(), which
    // comes back here as setCurrentVolume().
    if (mountPoint.empty() || treeIsOn(mountPoint)) {
        emit changed();
    } else {
        emit volumeChosen(mountPoint);
    }
}

void DriveSelector::setCurrentVolume(const std::string& mountPoint) {
    volume_ = mountPoint;
    if (const int entry = entryOf(mountPoint); entry >= 0) setCurrentIndex(entry);
    emit changed();
}

void DriveSelector::followDirectory(const std::string& path) {
    treeDir_ = path;
}

void DriveSelector::setTextCase(TextCase textCase) {
    if (textCase == textCase_) return;
    textCase_ = textCase;
    fillVolumes();
    selectVolume(volume_);
}

void DriveSelector::selectActivatedEntry(int index) {
    emit userSelected();
    selectVolume(itemVolume(index));
}

void DriveSelector::showEvent(QShowEvent* event) {
    QComboBox::showEvent(event);
    if (shown_) return;
    shown_ = true;
    watchMountTable();
    fillVolumes();
    selectVolume(volume_);
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
    const QRect textRect = rect.adjusted(kTextIndent, 0, 0, 0);
    painter->drawText(textRect, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine,
                      fittedText(index, textRect.width()));
}

QString DriveSelector::fittedText(int index, int width) const {
    QString full = itemText(index);
    const QFontMetrics metrics(font());
    if (metrics.horizontalAdvance(full) <= width) return full;
    const QString point = itemData(index, kPointTextRole).toString();
    QString suffix = itemData(index, kSuffixRole).toString();
    // The mount point gives way first, shortened in the middle where its
    // least telling directories are; a label too long to leave it a third
    // of the room is shortened as well.
    int room = width - metrics.horizontalAdvance(suffix);
    if (room < width / 3) {
        room = width / 3;
        suffix = metrics.elidedText(suffix, Qt::ElideRight, width - room);
    }
    return metrics.elidedText(point, Qt::ElideMiddle, room) + suffix;
}

QString DriveSelector::closedText() const {
    if (currentIndex() < 0) return {};
    QStyleOptionComboBox option;
    initStyleOption(&option);
    const QRect field =
        style()->subControlRect(QStyle::CC_ComboBox, &option, QStyle::SC_ComboBoxEditField, this);
    return fittedText(currentIndex(), field.width() - kTextIndent);
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
