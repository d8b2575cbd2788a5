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
#include "widgets/window_look/user_message.h"
#include "widgets/links/widget_resources.h"

namespace ottomix {

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
    setShowHint(true);
    setCursorId(kHandPointCursor);
    // Links made in code (not read from a layout) get their menu at once.
    buildPopupMenu();
}

HyperlinkLabel::~HyperlinkLabel() {
    // A link that never registered has nothing to detach; a destructor must not throw.
    LinkRegistry& registry = LinkRegistry::instance();
    if (!designing_ && registry.isRegistered(this)) registry.unregisterLink(this);
}

void HyperlinkLabel::beginLoad() {
    loading_ = true;
}

void HyperlinkLabel::loaded() {
    loading_ = false;
    buildPopupMenu();
    if (savedHint_.isEmpty()) savedHint_ = hint();
    if (!designing_) LinkRegistry::instance().registerLink(this);
    // Files the caption under the link's visited state.
    setCaption(caption_);
}

template <typename T>
void HyperlinkLabel::storeAndRefresh(T& field, const T& value) {
    if (value == field) return;
    field = value;
    if (!loading_) refresh();
}

void HyperlinkLabel::setCaption(const QString& value) {
    if (!loading_ && !designing_) LinkRegistry::instance().captionChanging(this, value);
    caption_ = value;
    if (!loading_) refresh();
}

void HyperlinkLabel::setAlias(const QString& value) {
    storeAndRefresh(alias_, value);
}

void HyperlinkLabel::setAutoSize(bool value) {
    if (value == autoSize_) return;
    autoSize_ = value;
    if (value && linkLayout_ == LinkLayout::Bitmap && bitmap_.width() > 0) resize(bitmap_.size());
    if (!loading_) refresh();
}

void HyperlinkLabel::setLinkType(LinkType value) {
    storeAndRefresh(linkType_, value);
}

void HyperlinkLabel::setTransparent(bool value) {
    storeAndRefresh(transparent_, value);
}

void HyperlinkLabel::setLinkColor(ColorRef value) {
    storeAndRefresh(linkColor_, value);
}

void HyperlinkLabel::setVisitedColor(ColorRef value) {
    storeAndRefresh(visitedColor_, value);
}

void HyperlinkLabel::setVisited(bool value) {
    if (value == visited_) return;
    visited_ = value;
    QAccessible::State traversed;
    traversed.traversed = true;
    QAccessibleStateChangeEvent changed(this, traversed);
    QAccessible::updateAccessibility(&changed);
    if (!loading_ && !designing_) {
        LinkRegistry::instance().visitedChanged(this);
    } else if (!loading_) {
        refresh();
    }
}

QString HyperlinkLabel::customPrefix() const {
    return customLinkPrefix();
}

void HyperlinkLabel::setCustomPrefix(const QString& value) {
    if (value == customLinkPrefix()) return;
    setCustomLinkPrefix(value.left(kMaxCustomPrefix));
    // Other Custom links pick the new prefix up at their next paint.
    if (!loading_ && linkType_ == LinkType::Custom) refresh();
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
    if (!bitmap_.isNull()) setTransparentColor(toColorRef(bitmap_.pixelColor(0, 0)));
    refresh();
}

void HyperlinkLabel::setTransparentColor(ColorRef value) {
    if (value == transparentColor_) return;
    transparentColor_ = value;
    if (bitmap_.width() > 0) refresh();
}

void HyperlinkLabel::setAlign(LinkAlign value) {
    if (value == align_) return;
    align_ = value;
    if (parentWidget() && watchedParent_ != parentWidget()) {
        parentWidget()->installEventFilter(this);
        watchedParent_ = parentWidget();
    }
    if (!loading_) refresh();
    realignInParent();
}

void HyperlinkLabel::setColor(ColorRef value) {
    parentColor_ = false;
    storeAndRefresh(color_, value);
}

void HyperlinkLabel::setParentColor(bool value) {
    storeAndRefresh(parentColor_, value);
}

void HyperlinkLabel::setHint(const QString& value) {
    setToolTip(value);
}

void HyperlinkLabel::setShowHint(bool value) {
    showHint_ = value;
    parentShowHint_ = false;
}

void HyperlinkLabel::setParentShowHint(bool value) {
    parentShowHint_ = value;
}

void HyperlinkLabel::setCursorId(int id) {
    cursorId_ = id;
    if (id == kDefaultCursor) {
        unsetCursor();
    } else {
        setCursor(screenCursor(id));
    }
}

QString HyperlinkLabel::launchTarget() const {
    return linkPrefix(linkType_) + caption_;
}

void HyperlinkLabel::click() {
    if (designing_) return;
    LinkRegistry::instance().openLink(this);
    LinkRegistry::instance().registerLink(this);
}

void HyperlinkLabel::copyUrlToClipboard() {
    const QString target = launchTarget();
    QClipboard* clipboard = QGuiApplication::clipboard();
    clipboard->setText(target);
    // The clipboard gives no error of its own; reading back tells whether it took the text.
    if (clipboard->text() != target) showMessage(QStringLiteral("Could not write to clipboard"));
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
        QAction* open = popup_->addAction(QStringLiteral("&Open"), this, [this] { click(); });
        QFont bold = open->font();
        bold.setBold(true);
        open->setFont(bold);
        popup_->setDefaultAction(open);
    }
    if (menuItems_.testFlag(LinkMenuItem::OpenWith)) {
        popup_->addAction(QStringLiteral("Open with..."), this,
                          [this] { LinkRegistry::instance().chooseApplication(this); });
    }
    if (menuItems_.testFlag(LinkMenuItem::CopyUrl)) {
        popup_->addAction(QStringLiteral("Copy Url to clipboard"), this,
                          [this] { copyUrlToClipboard(); });
    }
    if (menuItems_.testFlag(LinkMenuItem::Properties)) {
        popup_->addSeparator();
        popup_->addAction(QStringLiteral("&Properties"), this,
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
        QSize wanted = size();
        if (align_ == LinkAlign::None || align_ == LinkAlign::Left || align_ == LinkAlign::Right) {
            wanted.setWidth(textWidth);
        }
        if (align_ == LinkAlign::None || align_ == LinkAlign::Top || align_ == LinkAlign::Bottom) {
            wanted.setHeight(textHeight);
        }
        if (wanted != size()) {
            resize(wanted);
            realignInParent();
        }
    }
    return textWidth;
}

void HyperlinkLabel::updateHint(int textWidth) {
    if (designing_) return;
    if (textWidth <= width() && !savedHint_.isEmpty()) {
        setToolTip(savedHint_);
    } else {
        setToolTip(launchTarget());
    }
}

void HyperlinkLabel::refresh() {
    // Sizing and the hint follow at once, so they hold before the next paint too.
    // Not while loading: loaded() saves the link's own hint, not one set here.
    if (!loading_) {
        updateHint(linkLayout_ == LinkLayout::Text ? applyTextLayout() : bitmap_.width());
    }
    update();
    // Whatever changed may be part of the accessible name (alias, caption, prefix).
    QAccessibleEvent changed(this, QAccessible::NameChanged);
    QAccessible::updateAccessibility(&changed);
}

void HyperlinkLabel::realignInParent() {
    QWidget* parent = parentWidget();
    if (align_ == LinkAlign::None || !parent) return;
    const QRect area = parent->contentsRect();
    QRect bounds = geometry();
    switch (align_) {
        case LinkAlign::Top:
            bounds = QRect(area.left(), area.top(), area.width(), height());
            break;
        case LinkAlign::Bottom:
            bounds = QRect(area.left(), area.bottom() + 1 - height(), area.width(), height());
            break;
        case LinkAlign::Left:
            bounds = QRect(area.left(), area.top(), width(), area.height());
            break;
        case LinkAlign::Right:
            bounds = QRect(area.right() + 1 - width(), area.top(), width(), area.height());
            break;
        case LinkAlign::Client:
            bounds = area;
            break;
        case LinkAlign::None:
            break;
    }
    if (bounds != geometry()) setGeometry(bounds);
}

void HyperlinkLabel::paintText(QPainter& painter) {
    if (loading_) return;
    const int textWidth = applyTextLayout();
    const QFont underlined = linkFont();
    const QFontMetrics metrics(underlined);
    painter.setFont(underlined);
    painter.setPen(toQColor(visited_ ? visitedColor_ : linkColor_, palette()));

    QRect bounds = rect();
    if (!transparent_) {
        const QColor background = parentColor_ && parentWidget()
                                      ? parentWidget()->palette().color(QPalette::Window)
                                      : toQColor(color_, palette());
        painter.fillRect(bounds, background);
    }
    bounds.setLeft(bounds.left() + 4);
    constexpr int flags = Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine;
    painter.setClipRect(bounds);
    if (!alias_.isEmpty()) {
        painter.drawText(bounds, flags, alias_);
    } else {
        const QString prefix = linkPrefix(linkType_);
        painter.drawText(bounds, flags, prefix);
        bounds.setLeft(bounds.left() + metrics.horizontalAdvance(prefix) + 2);
        if (bounds.width() > 0) {
            painter.setClipRect(bounds);
            painter.drawText(bounds, flags,
                             metrics.elidedText(caption_, Qt::ElideRight, bounds.width()));
        }
    }
    updateHint(textWidth);
}

void HyperlinkLabel::paintBitmap(QPainter& painter) {
    if (!bitmap_.isNull()) {
        QPixmap picture = QPixmap::fromImage(bitmap_);
        if (transparent_ && transparentColor_ != kNoColor) {
            // Pixels of the transparent colour are masked out; the surface below shows.
            const QColor key = toQColor(transparentColor_, palette());
            picture.setMask(picture.createMaskFromColor(key, Qt::MaskInColor));
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
        bool show = showHint_;
        if (parentShowHint_ && parentWidget()) {
            const QVariant inherited = parentWidget()->property("showHint");
            if (inherited.isValid()) show = inherited.toBool();
        }
        if (!show) {
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
    if (e->type() == QEvent::FontChange && !loading_) {
        refresh();
    } else if (e->type() == QEvent::ParentChange) {
        if (watchedParent_) watchedParent_->removeEventFilter(this);
        watchedParent_ = nullptr;
        if (align_ != LinkAlign::None && parentWidget()) {
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
