#include "widgets/window_look/light_palette.h"

#include <QStyle>
#include <QStyleFactory>
#include <memory>

namespace ottomix {

QPalette lightPalette() {
    static const QPalette palette = [] {
        const std::unique_ptr<QStyle> fusion(QStyleFactory::create(QStringLiteral("Fusion")));
        const QPalette source = fusion ? fusion->standardPalette() : QPalette(Qt::lightGray);
        // A palette only overrides the roles set on it; copying each one marks
        // them all as set.
        QPalette all;
        for (const auto group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
            for (int role = 0; role < QPalette::NColorRoles; ++role) {
                const auto r = static_cast<QPalette::ColorRole>(role);
                if (r == QPalette::NoRole) continue;
                all.setBrush(group, r, source.brush(group, r));
            }
        }
        // Fusion's blue gives white text on a selected row a contrast of
        // only 3.7 : 1; a darker shade of it 5.3 : 1.
        for (const auto group : {QPalette::Active, QPalette::Inactive})
            all.setColor(group, QPalette::Highlight, QColor(0x26, 0x70, 0xa8));
        return all;
    }();
    return palette;
}

}  // namespace ottomix
