#include "widgets/links/hyperlink_label_accessible.h"

#include <QAccessible>
#include <QLatin1StringView>

#include "widgets/links/hyperlink_label.h"

namespace ottomix {

namespace {

// Asked with the class names of an object from its own class up; answers
// for HyperlinkLabel and so for its subclasses too.
QAccessibleInterface* createAccessible(const QString& className, QObject* object) {
    if (className != QLatin1StringView(HyperlinkLabel::staticMetaObject.className())) {
        return nullptr;
    }
    auto* link = qobject_cast<HyperlinkLabel*>(object);
    return link ? new HyperlinkLabelAccessible(link) : nullptr;
}

}  // namespace

HyperlinkLabelAccessible::HyperlinkLabelAccessible(HyperlinkLabel* link)
    : QAccessibleWidget(link, QAccessible::Link) {}

void HyperlinkLabelAccessible::install() {
    static const bool done = [] {
        QAccessible::installFactory(&createAccessible);
        return true;
    }();
    (void)done;
}

HyperlinkLabel* HyperlinkLabelAccessible::link() const {
    return static_cast<HyperlinkLabel*>(widget());
}

QString HyperlinkLabelAccessible::text(QAccessible::Text t) const {
    const HyperlinkLabel* label = link();
    switch (t) {
        case QAccessible::Name:
            if (!label->accessibleName().isEmpty()) return label->accessibleName();
            // What the label shows: the alias, else prefix and caption.
            return label->alias().isEmpty() ? label->launchTarget() : label->alias();
        case QAccessible::Value:
            return label->launchTarget();
        default:
            // The description is the accessible description, else the hint.
            return QAccessibleWidget::text(t);
    }
}

QAccessible::State HyperlinkLabelAccessible::state() const {
    QAccessible::State state = QAccessibleWidget::state();
    state.linked = true;
    state.traversed = link()->isVisited();
    return state;
}

QStringList HyperlinkLabelAccessible::actionNames() const {
    QStringList names = QAccessibleWidget::actionNames();
    // A disabled label takes no clicks, so it offers no press either.
    if (link()->isEnabled()) names.prepend(pressAction());
    return names;
}

void HyperlinkLabelAccessible::doAction(const QString& actionName) {
    if (actionName == pressAction()) {
        if (link()->isEnabled()) link()->click();
        return;
    }
    QAccessibleWidget::doAction(actionName);
}

}  // namespace ottomix
