// The About window: logo, thank-you text and the maker's two links.
#pragma once

#include <QDialog>

class QLabel;
class QPushButton;

namespace ottomix {
class HyperlinkLabel;
}

class TForm3 : public QDialog {
    Q_OBJECT
  public:
    // Modal results.
    static constexpr int mrNone = 0;
    static constexpr int mrOk = 1;
    static constexpr int mrCancel = 2;

    explicit TForm3(QWidget* parent = nullptr);

    // Shows the window modally (the application's other windows take no input)
    // and returns its modal result once it has closed: mrOk for the OK button,
    // mrCancel for the close box.
    int ShowModal();

    ottomix::HyperlinkLabel* HyperLink1 = nullptr;
    QLabel* Image1 = nullptr;
    QWidget* Bevel1 = nullptr;
    QLabel* Label1 = nullptr;
    QLabel* Label2 = nullptr;
    QLabel* Label3 = nullptr;
    ottomix::HyperlinkLabel* HyperLink2 = nullptr;
    QPushButton* BitBtn1 = nullptr;

    static const char* const kThankYouText;
    static const char* const kEmailAddress;
    static const char* const kHomePage;

  public slots:
    // The close box: cancel.
    void reject() override;

  protected:
    void keyPressEvent(QKeyEvent* e) override;

  private:
    bool shown_before_ = false;
};
