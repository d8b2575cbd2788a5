// What any of the program's fixed layouts must hold, whatever its numbers:
// every shown control inside its parent, no two shown siblings overlapping
// unless meant to, and every caption fitting its control.
#pragma once

#include <QAbstractButton>
#include <QFontMetrics>
#include <QGroupBox>
#include <QLabel>
#include <QRadioButton>
#include <QSet>
#include <QStringList>
#include <QStyle>
#include <QStyleOptionButton>
#include <QWidget>

namespace ottomix::test {

inline QString nameOf(const QWidget* w) {
    return w->objectName().isEmpty() ? QString::fromLatin1(w->metaObject()->className())
                                     : w->objectName();
}

// Width the control needs for its caption in its own font and style.
inline int captionWidth(const QWidget* w) {
    if (const auto* radio = qobject_cast<const QRadioButton*>(w)) {
        const QStyle* style = radio->style();
        return style->pixelMetric(QStyle::PM_ExclusiveIndicatorWidth, nullptr, radio) +
               style->pixelMetric(QStyle::PM_RadioButtonLabelSpacing, nullptr, radio) +
               radio->fontMetrics().horizontalAdvance(radio->text());
    }
    if (const auto* button = qobject_cast<const QAbstractButton*>(w))
        return button->fontMetrics().horizontalAdvance(button->text());
    if (const auto* label = qobject_cast<const QLabel*>(w))
        return label->wordWrap() || label->text().isEmpty()
                   ? 0
                   : label->fontMetrics().horizontalAdvance(label->text());
    if (const auto* box = qobject_cast<const QGroupBox*>(w))
        return box->fontMetrics().horizontalAdvance(box->title());
    return 0;
}

// The faults of the layout under `root`, one line each; empty when sound.
// `overlapping` holds the controls allowed to overlap their siblings (a
// background picture, a page that replaces others).
inline QStringList layoutFaults(const QWidget* root, const QSet<const QWidget*>& overlapping = {}) {
    QStringList faults;
    QList<const QWidget*> shown;
    for (const QObject* child : root->children()) {
        const auto* w = qobject_cast<const QWidget*>(child);
        if (w == nullptr || w->isWindow() || w->isHidden()) continue;
        shown << w;
        if (!overlapping.contains(w) && !root->rect().contains(w->geometry()))
            faults << nameOf(w) + QStringLiteral(" reaches outside ") + nameOf(root);
        if (captionWidth(w) > w->width())
            faults << nameOf(w) + QStringLiteral(" cuts its caption short");
        faults << layoutFaults(w, overlapping);
    }
    for (int i = 0; i < shown.size(); ++i)
        for (int j = i + 1; j < shown.size(); ++j)
            if (!overlapping.contains(shown[i]) && !overlapping.contains(shown[j]) &&
                shown[i]->geometry().intersects(shown[j]->geometry()))
                faults << nameOf(shown[i]) + QStringLiteral(" overlaps ") + nameOf(shown[j]);
    return faults;
}

}  // namespace ottomix::test
