#include "ui/about_window.h"

#include <QApplication>
#include <QIcon>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QPixmap>
#include <QPointer>
#include <QPushButton>

#include "widgets/links/hyperlink_label.h"
#include "widgets/window_look/artwork.h"
#include "widgets/window_look/fixed_frame.h"
#include "widgets/window_look/frame_placement.h"
#include "widgets/window_look/light_palette.h"
#include "widgets/window_look/window_font.h"

namespace ottomix {

const char* const AboutWindow::kThankYouText = QT_TRANSLATE_NOOP(
    "ottomix::AboutWindow",
    "Thank you for trying Ottomix 2.  We hope you are happy with this product and we would "
    "appreciate and feedback from you whether it is positive or negative.  Please either e-mail "
    "us or fill in the form on our homepage, there are links below.");
const char* const AboutWindow::kEmailAddress = "feedback@mirrowen.example";
const char* const AboutWindow::kHomePage = "www.mirrowen.example";

namespace {

// A lowered box: shadow on the top and left edges, highlight on the bottom and right.
class LoweredBox : public QWidget {
  public:
    using QWidget::QWidget;

  protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        const int right = width() - 1;
        const int bottom = height() - 1;
        painter.setPen(palette().color(QPalette::Dark));
        painter.drawLine(0, 0, right, 0);
        painter.drawLine(0, 0, 0, bottom);
        painter.setPen(palette().color(QPalette::Light));
        painter.drawLine(0, bottom, right, bottom);
        painter.drawLine(right, 0, right, bottom);
    }
};

QLabel* boldLabel(QWidget* parent, const QString& text, const QRect& bounds) {
    auto* label = new QLabel(text, parent);
    label->setFont(windowFont(true));
    label->setGeometry(bounds);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    // Labels size themselves to their text: never clip it.
    if (label->sizeHint().width() > bounds.width()) label->resize(label->sizeHint().width(), 13);
    return label;
}

HyperlinkLabel* makeLink(QWidget* parent, const QRect& bounds, LinkType type,
                         const QString& caption, const QString& alias) {
    auto* link = new HyperlinkLabel(parent);
    link->setGeometry(bounds);
    link->setCaption(caption);
    link->setAlias(alias);
    link->setLinkType(type);
    link->setMenuItems(kAllLinkMenuItems);
    return link;
}

}  // namespace

AboutWindow::AboutWindow(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("aboutWindow"));
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                   Qt::WindowCloseButtonHint);
    setWindowTitle(tr("About Mirrowen Software..."));
    setFont(windowFont());
    useLightPalette(this);
    setFixedSize(359, 175);
    giveFixedFrame(this);
    move(292, 214);

    const QString address = QString::fromLatin1(kEmailAddress);
    emailLink_ = makeLink(this, {56, 136, 118, 17}, LinkType::Email, address, address);
    emailLink_->setObjectName(QStringLiteral("emailLink"));

    logo_ = new QLabel(this);
    logo_->setObjectName(QStringLiteral("logo"));
    logo_->setAccessibleName(tr("Ottomix logo"));
    const QPixmap logo = artworkPixmap(QStringLiteral(":/ottomix/logo.png"), this);
    logo_->setGeometry(8, 8, 73, 66);
    if (!logo.isNull()) {
        logo_->setPixmap(logo);
        logo_->resize(logo.deviceIndependentSize().toSize());
    }

    logoBevel_ = new LoweredBox(this);
    logoBevel_->setObjectName(QStringLiteral("logoBevel"));
    logoBevel_->setGeometry(8, 8, 73, 67);
    logoBevel_->setAttribute(Qt::WA_TransparentForMouseEvents);

    thanksLabel_ = new QLabel(tr(kThankYouText), this);
    thanksLabel_->setObjectName(QStringLiteral("thanksLabel"));
    thanksLabel_->setFont(windowFont(true));
    thanksLabel_->setGeometry(96, 8, 257, 113);
    thanksLabel_->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    thanksLabel_->setWordWrap(true);
    thanksLabel_->setTextFormat(Qt::PlainText);

    emailCaption_ = boldLabel(this, tr("E-Mail:"), {16, 136, 40, 13});
    emailCaption_->setObjectName(QStringLiteral("emailCaption"));
    homePageCaption_ = boldLabel(this, tr("Homepage:"), {16, 152, 65, 13});
    homePageCaption_->setObjectName(QStringLiteral("homePageCaption"));

    homePageLink_ = makeLink(this, {80, 152, 253, 17}, LinkType::Http,
                             QString::fromLatin1(kHomePage), QString());
    homePageLink_->setObjectName(QStringLiteral("homePageLink"));

    okButton_ = new QPushButton(tr("OK"), this);
    okButton_->setObjectName(QStringLiteral("okButton"));
    okButton_->setGeometry(152, 104, 75, 25);
    // Neither default nor cancel: Enter presses it only because it holds the focus.
    okButton_->setDefault(false);
    okButton_->setAutoDefault(true);
    const QPixmap glyph(QStringLiteral(":/ottomix/glyph_view.png"));
    if (!glyph.isNull()) {
        QIcon icon;
        icon.addPixmap(glyph.copy(0, 0, 16, 16), QIcon::Normal);
        icon.addPixmap(glyph.copy(16, 0, 16, 16), QIcon::Disabled);
        okButton_->setIcon(icon);
        okButton_->setIconSize(QSize(16, 16));
    }
    connect(okButton_, &QPushButton::clicked, this, [this] { done(ModalResult::Ok); });
    okButton_->setFocus();
}

AboutWindow::ModalResult AboutWindow::showModally() {
    if (QWidget* grabber = QWidget::mouseGrabber()) grabber->releaseMouse();
    QPointer<QWidget> previouslyActive = QApplication::activeWindow();
    if (!shownBefore_) {
        shownBefore_ = true;
        centreFrameOnScreen(this);
    }
    setWindowModality(Qt::ApplicationModal);
    okButton_->setFocus();
    setResult(static_cast<int>(ModalResult::None));
    const auto result = static_cast<ModalResult>(exec());
    if (previouslyActive) previouslyActive->activateWindow();
    // Leaving without OK or the close box (the application ending) counts as cancel.
    return result == ModalResult::None ? ModalResult::Cancel : result;
}

void AboutWindow::reject() {
    done(ModalResult::Cancel);
}

void AboutWindow::keyPressEvent(QKeyEvent* e) {
    // No cancel button: Escape does nothing.
    if (e->key() == Qt::Key_Escape) {
        e->accept();
        return;
    }
    QDialog::keyPressEvent(e);
}

}  // namespace ottomix
