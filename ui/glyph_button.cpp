#include "ui/glyph_button.h"

#include <QStyleOptionButton>
#include <QStylePainter>

namespace ottomix {

QIcon glyphIcon(const QPixmap& strip) {
    QIcon icon;
    if (strip.isNull()) return icon;
    const int h = strip.height();
    if (strip.width() == 2 * h) {
        icon.addPixmap(strip.copy(0, 0, h, h), QIcon::Normal);
        icon.addPixmap(strip.copy(h, 0, h, h), QIcon::Disabled);
    } else {
        icon.addPixmap(strip, QIcon::Normal);
        icon.addPixmap(strip, QIcon::Disabled);
    }
    return icon;
}

GlyphButton::GlyphButton(const QString& caption, GlyphLayout layout, QWidget* parent)
    : QPushButton(caption, parent), layout_(layout) {}

void GlyphButton::setGlyph(const QPixmap& strip) {
    glyph_ = glyphIcon(strip);
    glyphSize_ = glyph_.isNull() ? QSize() : QSize(strip.height(), strip.height());
    update();
}

QSize GlyphButton::contentSize() const {
    const QSize caption = fontMetrics().size(Qt::TextShowMnemonic, text());
    if (glyph_.isNull()) return caption;
    if (layout_ == GlyphLayout::Left)
        return {glyphSize_.width() + kSpacing + caption.width(),
                std::max(glyphSize_.height(), caption.height())};
    return {std::max(glyphSize_.width(), caption.width()),
            caption.height() + kSpacing + glyphSize_.height()};
}

void GlyphButton::contentRects(const QRect& contents, QRect* glyph, QRect* caption) const {
    const QSize textSize = fontMetrics().size(Qt::TextShowMnemonic, text());
    const QSize all = contentSize();
    const QPoint origin(contents.x() + (contents.width() - all.width()) / 2,
                        contents.y() + (contents.height() - all.height()) / 2);
    if (glyph_.isNull()) {
        *glyph = QRect();
        *caption = QRect(origin, textSize);
    } else if (layout_ == GlyphLayout::Left) {
        *glyph = QRect(QPoint(origin.x(), origin.y() + (all.height() - glyphSize_.height()) / 2),
                       glyphSize_);
        *caption = QRect(QPoint(glyph->right() + 1 + kSpacing,
                                origin.y() + (all.height() - textSize.height()) / 2),
                         textSize);
    } else {  // caption on top, glyph below
        *caption =
            QRect(QPoint(origin.x() + (all.width() - textSize.width()) / 2, origin.y()), textSize);
        *glyph = QRect(QPoint(origin.x() + (all.width() - glyphSize_.width()) / 2,
                              caption->bottom() + 1 + kSpacing),
                       glyphSize_);
    }
}

void GlyphButton::paintEvent(QPaintEvent*) {
    QStylePainter p(this);
    QStyleOptionButton option;
    initStyleOption(&option);
    // The style draws the frame and the focus; glyph and caption are ours.
    option.text.clear();
    option.icon = QIcon();
    p.drawControl(QStyle::CE_PushButton, option);

    QRect contents = style()->subElementRect(QStyle::SE_PushButtonContents, &option, this);
    if (isDown() || isChecked())
        contents.translate(style()->pixelMetric(QStyle::PM_ButtonShiftHorizontal, &option, this),
                           style()->pixelMetric(QStyle::PM_ButtonShiftVertical, &option, this));
    QRect glyphRect, captionRect;
    contentRects(contents, &glyphRect, &captionRect);
    if (!glyph_.isNull()) {
        const QPixmap pm = glyph_.pixmap(glyphSize_, devicePixelRatio(),
                                         isEnabled() ? QIcon::Normal : QIcon::Disabled);
        p.drawPixmap(glyphRect, pm);
    }
    p.drawItemText(captionRect, Qt::AlignCenter | Qt::TextShowMnemonic, palette(), isEnabled(),
                   text(), QPalette::ButtonText);
    // The focused button shows a dotted frame around glyph and caption,
    // after a click as after Tab, so Enter and Space have a visible target.
    if (hasFocus()) {
        QPen pen(palette().color(QPalette::ButtonText), 1, Qt::DotLine);
        p.setPen(pen);
        p.setBrush(Qt::NoBrush);
        p.drawRect(focusFrame(glyphRect, captionRect));
    }
}

QRect GlyphButton::focusFrame(const QRect& glyph, const QRect& caption) const {
    // The glyphs come within four pixels of the button's edges (Exit is 25
    // pixels high, the others have a glyph under the caption): the frame may
    // go up to the third pixel from the edge so its line does not run along
    // the glyph.
    return (glyph | caption).adjusted(-3, -2, 2, 1) & rect().adjusted(2, 2, -3, -3);
}

}  // namespace ottomix
