// The properties window of a hyperlink label: its service, address, the
// program that opens its type and whether it was visited, on one "Common" tab.
#pragma once

#include <QDialog>
#include <QString>

class QPushButton;

namespace ottomix {

class HyperlinkLabel;

inline constexpr char kLinkPropertiesTitle[] = "HyperLink Properties...";

class LinkProperties : public QDialog {
    Q_OBJECT
  public:
    // Describes link as it is now; program is the one its type opens with
    // (empty: the desktop's handler). Placed just below the link, starting at
    // its middle; not shown.
    LinkProperties(const HyperlinkLabel& link, const QString& program, QWidget* parent = nullptr);

  protected:
    // OK is both the default and the cancel button: Escape presses it too.
    void keyPressEvent(QKeyEvent* e) override;

  private:
    QPushButton* okButton_ = nullptr;
};

}  // namespace ottomix
