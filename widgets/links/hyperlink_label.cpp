#include "widgets/links/hyperlink_label.h"

#include <QAccessible>
#include <QAction>
#include <QBitmap>
#include <QClipboard>
#include <QGuiApplication>
#include <QHelpEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QPixmap>
#include <QTextDocument>
#include <QToolTip>
#include <utility>

#include "widgets/links/hyperlink_label_accessible.h"
#include "widgets/links/link_registry.h"
#include "widgets/links/screen_cursor.h"
#include "widgets/links/widget_resources.h"
#include "widgets/window_look/user_message.h"

namespace ottomix {

namespace {

// The header's English texts, for the translation tools.
[[maybe_unused]] constexpr const char* kTranslatedTexts[] = {
    QT_TRANSLATE_NOOP("ottomix::HyperlinkLabel", "&Open"),
    QT_TRANSLATE_NOOP("ottomix::HyperlinkLabel", "Open with..."),
    QT_TRANSLATE_NOOP("ottomix::HyperlinkLabel", "Copy Url to clipboard"),
    QT_TRANSLATE_NOOP("ottomix::HyperlinkLabel", "&Properties"),
    QT_TRANSLATE_NOOP("ottomix::HyperlinkLabel", "Could not write to clipboard"),
};

// Places one axis of the link, [start, start + length), in the parent's area
// on that axis: between both edges, against one, or left where it is.
void dockAxis(int& start, int& length, int areaStart, int areaLength, bool atStart, bool atEnd) {
    if (atStart && atEnd) {
        start = areaStart;
        length = areaLength;
    } else if (atStart) {
        start = areaStart;
    } else if (atEnd) {
        start = areaStart + areaLength - length;
    }
}

bool spans(Qt::Edges edges, Qt::Edges opposite) {
    return (edges & opposite) == opposite;
}

}  // namespace

HyperlinkLabel::HyperlinkLabel(QWidget* parent) : QWidget(parent) {
    // Resources, cursor, registry and what assistive technology learns of
    // links exist before any link uses them.
    loadWidgetResources();
    handPointCursor();
    LinkRegistry::instance();
    HyperlinkLabelAccessible::install();
    setCustomLinkPrefix(QString());

    popup_ = new QMenu(this);
    setGeometry(20, 20, 100, 13);
    setFocusPolicy(Qt::NoFocus);
    setContextMenuPolicy(Qt::PreventContextMenu);
    setMouseTracking(true);
    setCursor(handPointCursor());
    buildPopupMenu();
}

HyperlinkLabel::~HyperlinkLabel() {
    // A link that never registered has nothing to detach; a destructor must not throw.
    LinkRegistry& registry = LinkRegistry::instance();
    if (registry.isRegistered(this)) registry.unregisterLink(this);
}

template <typename T>
void HyperlinkLabel::storeAndRefresh(T& field, const T& value) {
    if (value == field) return;
    field = value;
    refresh();
}

void HyperlinkLabel::setCaption(const QString& value) {
    LinkRegistry::instance().captionChanging(this, value);
    caption_ = value;
    refresh();
}

void HyperlinkLabel::setAlias(const QString& value) {
    storeAndRefresh(alias_, value);
}

void HyperlinkLabel::setAutoSize(bool value) {
    if (value == autoSize_) return;
    autoSize_ = value;
    if (value && linkLayout_ == LinkLayout::Bitmap && bitmap_.width() > 0) resize(bitmap_.size());
    refresh();
}

void HyperlinkLabel::setLinkType(LinkType value) {
    storeAndRefresh(linkType_, value);
}

void HyperlinkLabel::setTransparent(bool value) {
    storeAndRefresh(transparent_, value);
}

void HyperlinkLabel::setLinkColor(const QColor& value) {
    storeAndRefresh(linkColor_, value);
}

void HyperlinkLabel::setVisitedColor(const QColor& value) {
    storeAndRefresh(visitedColor_, value);
}

void HyperlinkLabel::setVisited(bool value) {
    if (value == visited_) return;
    visited_ = value;
    QAccessible::State traversed;
    traversed.traversed = true;
    QAccessibleStateChangeEvent changed(this, traversed);
    QAccessible::updateAccessibility(&changed);
    LinkRegistry::instance().visitedChanged(this);
}

QString HyperlinkLabel::customPrefix() const {
    return customLinkPrefix();
}

void HyperlinkLabel::setCustomPrefix(const QString& value) {
    if (value == customLinkPrefix()) return;
    setCustomLinkPrefix(value.left(kMaxCustomPrefix));
    // Other Custom links pick the new prefix up at their next paint.
    if (linkType_ == LinkType::Custom) refresh();
}

void HyperlinkLabel::setMenuItems(LinkMenuItems value) {
    if (value == menuItems_) return;
    menuItems_ = value;
    buildPopupMenu();
}

void HyperlinkLabel::setLinkLayout(LinkLayout value) {
    if (value == linkLayout_) return;
    linkLayout_ = value;
    refresh();
}

void HyperlinkLabel::setBitmap(const QImage& value) {
    bitmap_ = value.copy();
    linkLayout_ = LinkLayout::Bitmap;
    QSize size = this->size();
    if (bitmap_.width() > 0) size.setWidth(bitmap_.width());
    if (bitmap_.height() > 0) size.setHeight(bitmap_.height());
    resize(size);
    if (!bitmap_.isNull()) {
        // Opaque, so only opaque pixels of that colour are left out.
        const QColor corner = bitmap_.pixelColor(0, 0);
        setTransparentColor(QColor(corner.red(), corner.green(), corner.blue()));
    }
    refresh();
}

void HyperlinkLabel::setTransparentColor(const QColor& value) {
    if (value == transparentColor_) return;
    transparentColor_ = value;
    if (bitmap_.width() > 0) refresh();
}

void HyperlinkLabel::setDockEdges(Qt::Edges value) {
    if (value == dockEdges_) return;
    dockEdges_ = value;
    if (parentWidget() && watchedParent_ != parentWidget()) {
        parentWidget()->installEventFilter(this);
        watchedParent_ = parentWidget();
    }
    refresh();
    realignInParent();
}

void HyperlinkLabel::setColor(const QColor& value) {
    parentColor_ = false;
    storeAndRefresh(color_, value);
}

void HyperlinkLabel::setParentColor(bool value) {
    storeAndRefresh(parentColor_, value);
}

void HyperlinkLabel::setHint(const QString& value) {
    ownHint_ = value;
    refresh();
}

void HyperlinkLabel::setShowHint(bool value) {
    showHint_ = value;
}

QString HyperlinkLabel::launchTarget() const {
    return linkPrefix(linkType_) + caption_;
}

void HyperlinkLabel::click() {
    LinkRegistry::instance().openLink(this);
    LinkRegistry::instance().registerLink(this);
}

void HyperlinkLabel::copyUrlToClipboard() {
    const QString target = launchTarget();
    QClipboard* clipboard = QGuiApplication::clipboard();
    clipboard->setText(target);
    // The clipboard gives no error of its own; reading back tells whether it took the text.
    if (clipboard->text() != target) showMessage(tr(kClipboardFailedMessage));
}

void HyperlinkLabel::setBeforeOpenHandler(OpenRequestHandler handler) {
    beforeOpen_ = std::move(handler);
}

void HyperlinkLabel::setOpeningHandler(OpenRequestHandler handler) {
    opening_ = std::move(handler);
}

void HyperlinkLabel::setAfterOpenHandler(OpenResultHandler handler) {
    afterOpen_ = std::move(handler);
}

void HyperlinkLabel::buildPopupMenu() {
    popup_->clear();
    if (!menuItems_) return;
    if (menuItems_.testFlag(LinkMenuItem::Open)) {
        QAction* open = popup_->addAction(tr(kOpenEntry), this, [this] { click(); });
        QFont bold = open->font();
        bold.setBold(true);
        open->setFont(bold);
        popup_->setDefaultAction(open);
    }
    if (menuItems_.testFlag(LinkMenuItem::OpenWith)) {
        popup_->addAction(tr(kOpenWithEntry), this,
                          [this] { LinkRegistry::instance().chooseApplication(this); });
    }
    if (menuItems_.testFlag(LinkMenuItem::CopyUrl)) {
        popup_->addAction(tr(kCopyUrlEntry), this, [this] { copyUrlToClipboard(); });
    }
    if (menuItems_.testFlag(LinkMenuItem::Properties)) {
        popup_->addSeparator();
        popup_->addAction(tr(kPropertiesEntry), this,
                          [this] { LinkRegistry::instance().showLinkProperties(this); });
    }
}

QFont HyperlinkLabel::linkFont() const {
    QFont underlined = font();
    underlined.setUnderline(true);
    return underlined;
}

int HyperlinkLabel::applyTextLayout() {
    const QFontMetrics metrics(linkFont());
    const int textHeight = metrics.height() + 4;
    const int textWidth = alias_.isEmpty()
                              ? metrics.horizontalAdvance(caption_ + linkPrefix(linkType_)) + 10
                              : metrics.horizontalAdvance(alias_) + 8;
    if (autoSize_) {
        // A side spanning the parent follows the parent, not the text.
        QSize wanted = size();
        if (!spans(dockEdges_, Qt::LeftEdge | Qt::RightEdge)) wanted.setWidth(textWidth);
        if (!spans(dockEdges_, Qt::TopEdge | Qt::BottomEdge)) wanted.setHeight(textHeight);
        if (wanted != size()) {
            resize(wanted);
            realignInParent();
        }
    }
    return textWidth;
}

void HyperlinkLabel::updateHint(int textWidth) {
    if (textWidth <= width() && !ownHint_.isEmpty()) {
        setToolTip(ownHint_);
    } else {
        setToolTip(launchTarget());
    }
}

void HyperlinkLabel::refresh() {
    // Sizing and the hint follow at once, so they hold before the next paint too.
    updateHint(linkLayout_ == LinkLayout::Text ? applyTextLayout() : bitmap_.width());
    update();
    // Whatever changed may be part of the accessible name (alias, caption, prefix).
    QAccessibleEvent changed(this, QAccessible::NameChanged);
    QAccessible::updateAccessibility(&changed);
}

void HyperlinkLabel::realignInParent() {
    QWidget* parent = parentWidget();
    if (!dockEdges_ || !parent) return;
    const QRect area = parent->contentsRect();
    int x = this->x();
    int y = this->y();
    int w = width();
    int h = height();
    dockAxis(x, w, area.x(), area.width(), dockEdges_.testFlag(Qt::LeftEdge),
             dockEdges_.testFlag(Qt::RightEdge));
    dockAxis(y, h, area.y(), area.height(), dockEdges_.testFlag(Qt::TopEdge),
             dockEdges_.testFlag(Qt::BottomEdge));
    const QRect bounds(x, y, w, h);
    if (bounds != geometry()) setGeometry(bounds);
}

void HyperlinkLabel::paintText(QPainter& painter) {
    const int textWidth = applyTextLayout();
    const QFont underlined = linkFont();
    const QFontMetrics metrics(underlined);
    painter.setFont(underlined);
    painter.setPen(visited_ ? visitedColor_ : linkColor_);

    QRect bounds = rect();
    if (!transparent_) {
        QColor background = color_.isValid() ? color_ : palette().color(QPalette::Base);
        if (parentColor_ && parentWidget()) {
            background = parentWidget()->palette().color(QPalette::Window);
        }
        painter.fillRect(bounds, background);
    }
    bounds.setLeft(bounds.left() + 4);
    constexpr int kFlags = Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine;
    painter.setClipRect(bounds);
    if (!alias_.isEmpty()) {
        painter.drawText(bounds, kFlags, alias_);
    } else {
        const QString prefix = linkPrefix(linkType_);
        painter.drawText(bounds, kFlags, prefix);
        bounds.setLeft(bounds.left() + metrics.horizontalAdvance(prefix) + 2);
        if (bounds.width() > 0) {
            painter.setClipRect(bounds);
            painter.drawText(bounds, kFlags,
                             metrics.elidedText(caption_, Qt::ElideRight, bounds.width()));
        }
    }
    updateHint(textWidth);
}

void HyperlinkLabel::paintBitmap(QPainter& painter) {
    if (!bitmap_.isNull()) {
        QPixmap picture = QPixmap::fromImage(bitmap_);
        if (transparent_ && transparentColor_.isValid()) {
            // Pixels of the transparent colour are masked out; the surface below shows.
            picture.setMask(picture.createMaskFromColor(transparentColor_, Qt::MaskInColor));
        }
        painter.drawPixmap(0, 0, picture);
    }
    updateHint(bitmap_.width());
}

void HyperlinkLabel::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    if (linkLayout_ == LinkLayout::Text) {
        paintText(painter);
    } else {
        paintBitmap(painter);
    }
}

bool HyperlinkLabel::event(QEvent* e) {
    if (e->type() == QEvent::ToolTip) {
        if (!showHint_) {
            e->ignore();
            return true;
        }
        // The hint is an address, plain text: markup in a caption is shown, not applied.
        if (Qt::mightBeRichText(toolTip())) {
            const auto* help = static_cast<QHelpEvent*>(e);
            QToolTip::showText(help->globalPos(),
                               Qt::convertFromPlainText(toolTip(), Qt::WhiteSpaceNoWrap), this,
                               QRect(), toolTipDuration());
            return true;
        }
    }
    return QWidget::event(e);
}

void HyperlinkLabel::mousePressEvent(QMouseEvent* e) {
    if (e->button() == Qt::RightButton) {
        // An empty menu would open unseen and take the next click for itself.
        if (!popup_->isEmpty()) popup_->popup(mapToGlobal(e->position().toPoint()));
    } else if (e->button() == Qt::LeftButton) {
        leftPressed_ = true;
    }
    e->accept();
}

void HyperlinkLabel::mouseReleaseEvent(QMouseEvent* e) {
    const QPoint at = e->position().toPoint();
    if (e->button() == Qt::LeftButton && leftPressed_) {
        leftPressed_ = false;
        if (rect().contains(at)) click();
    }
    emit mouseReleased(e->button(), e->modifiers(), at);
    e->accept();
}

void HyperlinkLabel::mouseDoubleClickEvent(QMouseEvent* e) {
    if (e->button() == Qt::LeftButton) emit doubleClicked();
    e->accept();
}

void HyperlinkLabel::mouseMoveEvent(QMouseEvent* e) {
    emit mouseMoved(e->modifiers(), e->position().toPoint());
    e->accept();
}

void HyperlinkLabel::changeEvent(QEvent* e) {
    if (e->type() == QEvent::FontChange) {
        refresh();
    } else if (e->type() == QEvent::ParentChange) {
        if (watchedParent_) watchedParent_->removeEventFilter(this);
        watchedParent_ = nullptr;
        if (dockEdges_ && parentWidget()) {
            parentWidget()->installEventFilter(this);
            watchedParent_ = parentWidget();
            realignInParent();
        }
    }
    QWidget::changeEvent(e);
}

bool HyperlinkLabel::eventFilter(QObject* watched, QEvent* e) {
    if (watched == parentWidget() && e->type() == QEvent::Resize) realignInParent();
    return QWidget::eventFilter(watched, e);
}

}  // namespace ottomix
