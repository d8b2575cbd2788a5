// What assistive technology learns of a hyperlink label: a link named for
// what it shows (its alias, else prefix and caption), with its address as
// value and a press action that opens it like a click.
#pragma once

#include <QAccessibleWidget>

namespace ottomix {

class HyperlinkLabel;

class HyperlinkLabelAccessible : public QAccessibleWidget {
  public:
    explicit HyperlinkLabelAccessible(HyperlinkLabel* link);

    // Makes every hyperlink label answer through this class; safe to call any
    // number of times. The first label made calls it.
    static void install();

    // An accessible name or description set on the label takes precedence.
    QString text(QAccessible::Text t) const override;
    // Linked, and traversed once visited.
    QAccessible::State state() const override;
    QStringList actionNames() const override;
    void doAction(const QString& actionName) override;

  private:
    HyperlinkLabel* link() const;
};

}  // namespace ottomix
