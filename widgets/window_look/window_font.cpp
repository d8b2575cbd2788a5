#include "widgets/window_look/window_font.h"

namespace ottomix {

QFont windowFont(bool bold) {
    QFont font(QStringLiteral("Liberation Sans"));
    font.setStyleHint(QFont::SansSerif);
    font.setPixelSize(11);
    font.setBold(bold);
    return font;
}

}  // namespace ottomix
