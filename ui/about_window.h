// The About window: logo, thank-you text and the maker's two links.
#pragma once

#include <QDialog>

class QLabel;
class QPushButton;

namespace ottomix {

class HyperlinkLabel;

class AboutWindow : public QDialog {
    Q_OBJECT

  public:
    // How the window was closed: Ok for the OK button, Cancel for the close box.
    enum class ModalResult { None = 0, Ok = 1, Cancel = 2 };
    Q_ENUM(ModalResult)

    explicit AboutWindow(QWidget* parent = nullptr);

    // Shows the window modally (the application's other windows take no input)
    // and returns its modal result once it has closed.
    ModalResult showModally();
    // Closes the window with `result`.
    using QDialog::done;
    void done(ModalResult result) { QDialog::done(static_cast<int>(result)); }

    HyperlinkLabel* emailLink() const { return emailLink_; }
    HyperlinkLabel* homePageLink() const { return homePageLink_; }
    QLabel* logo() const { return logo_; }
    QWidget* logoBevel() const { return logoBevel_; }
    QLabel* thanksLabel() const { return thanksLabel_; }
    QLabel* emailCaption() const { return emailCaption_; }
    QLabel* homePageCaption() const { return homePageCaption_; }
    QPushButton* okButton() const { return okButton_; }

    static const char* const kThankYouText;
    static const char* const kEmailAddress;
    static const char* const kHomePage;

  public slots:
    // The close box: cancel.
    void reject() override;

  protected:
    void keyPressEvent(QKeyEvent* e) override;

  private:
    HyperlinkLabel* emailLink_;
    QLabel* logo_;
    QWidget* logoBevel_;
    QLabel* thanksLabel_;
    QLabel* emailCaption_;
    QLabel* homePageCaption_;
    HyperlinkLabel* homePageLink_;
    QPushButton* okButton_;
    bool shownBefore_ = false;
};

}  // namespace ottomix
