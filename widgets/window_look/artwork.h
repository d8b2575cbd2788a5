// The program's pictures at the screen's density.
#pragma once

#include <QPixmap>
#include <QString>

class QWidget;

namespace ottomix {

// The picture at `path`, or on a screen of device pixel ratio 2 or more its
// "@2x" version, drawn at twice the size, where there is one: shown at the
// same size, but sharp.
QPixmap artworkPixmap(const QString& path, const QWidget* shownOn);

}  // namespace ottomix
