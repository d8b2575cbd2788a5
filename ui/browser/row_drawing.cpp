#include "ui/browser/row_drawing.h"

#include <QFontMetricsF>
#include <QImage>
#include <QPainter>
#include <QtMath>

// The artwork sits in an archive when this code does; naming its
// registration pulls it into every program that uses the browser.
static bool registerArtwork() {
    Q_INIT_RESOURCE(ottomix);
    return true;
}

namespace ottomix {

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

int characterHeight(const QFont& font) {
    return qCeil(QFontMetricsF(font).height());
}

int glyphHeight(const QPixmap& glyph, int nominal) {
    return glyph.isNull() ? nominal : glyph.height();
}

void drawGlyph(QPainter* painter, const QPixmap& glyph, int x, const QRect& row) {
    if (glyph.isNull()) return;
    painter->drawPixmap(row.left() + x, row.top() + (row.height() - glyph.height()) / 2, glyph);
}

}  // namespace ottomix
