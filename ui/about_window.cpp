#include "ui/about_window.h"

#include <QApplication>
#include <QGuiApplication>
#include <QIcon>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QPixmap>
#include <QPointer>
#include <QPushButton>
#include <QScreen>
#include <algorithm>

#include "widgets/hyperlink_label.h"
#include "widgets/window_font.h"

const char* const TForm3::kThankYouText =
    "Thank you for trying Ottomix 2.  We hope you are happy with this product and we would "
    "appreciate and feedback from you whether it is positive or negative.  Please either e-mail "
    "us or fill in the form on our homepage, there are links below.";
const char* const TForm3::kEmailAddress = "feedback@mirrowen.example";
const char* const TForm3::kHomePage = "www.mirrowen.example";

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

QLabel* BoldLabel(QWidget* parent, const QString& text, const QRect& bounds) {
    auto* label = new QLabel(text, parent);
    label->setFont(ottomix::windowFont(true));
    label->setGeometry(bounds);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    // Labels size themselves to their text: never clip it.
    if (label->sizeHint().width() > bounds.width()) label->resize(label->sizeHint().width(), 13);
    return label;
}

ottomix::HyperlinkLabel* MakeLink(QWidget* parent, const QRect& bounds, ottomix::LinkType type,
                                  const QString& caption, const QString& alias) {
    using ottomix::LinkMenuItem;
    auto* link = new ottomix::HyperlinkLabel(parent);
    link->beginLoad();
    link->setGeometry(bounds);
    link->setCaption(caption);
    link->setAlias(alias);
    link->setLinkType(type);
    link->setMenuItems(LinkMenuItem::Open | LinkMenuItem::CopyUrl | LinkMenuItem::OpenWith |
                       LinkMenuItem::Properties);
    link->setCursorId(ottomix::kHandPointCursor);
    link->setShowHint(true);
    link->setParentShowHint(false);
    link->loaded();
    return link;
}

}  // namespace

TForm3::TForm3(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("Form3"));
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                   Qt::WindowCloseButtonHint);
    setWindowTitle(QStringLiteral("About Mirrowen Software..."));
    setFont(ottomix::windowFont());
    setFixedSize(359, 175);
    move(292, 214);

    const QString address = QString::fromLatin1(kEmailAddress);
    HyperLink1 = MakeLink(this, {56, 136, 118, 17}, ottomix::LinkType::Email, address, address);
    HyperLink1->setObjectName(QStringLiteral("HyperLink1"));

    Image1 = new QLabel(this);
    Image1->setObjectName(QStringLiteral("Image1"));
    const QPixmap logo(QStringLiteral(":/ottomix/logo.png"));
    Image1->setGeometry(8, 8, 73, 66);
    if (!logo.isNull()) {
        Image1->setPixmap(logo);
        Image1->resize(logo.size());
    }

    Bevel1 = new LoweredBox(this);
    Bevel1->setObjectName(QStringLiteral("Bevel1"));
    Bevel1->setGeometry(8, 8, 73, 67);
    Bevel1->setAttribute(Qt::WA_TransparentForMouseEvents);

    Label1 = new QLabel(QString::fromLatin1(kThankYouText), this);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setFont(ottomix::windowFont(true));
    Label1->setGeometry(96, 8, 257, 113);
    Label1->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    Label1->setWordWrap(true);
    Label1->setTextFormat(Qt::PlainText);

    Label2 = BoldLabel(this, QStringLiteral("E-Mail:"), {16, 136, 40, 13});
    Label2->setObjectName(QStringLiteral("Label2"));
    Label3 = BoldLabel(this, QStringLiteral("Homepage:"), {16, 152, 65, 13});
    Label3->setObjectName(QStringLiteral("Label3"));

    HyperLink2 = MakeLink(this, {80, 152, 253, 17}, ottomix::LinkType::Http,
                          QString::fromLatin1(kHomePage), QString());
    HyperLink2->setObjectName(QStringLiteral("HyperLink2"));

    BitBtn1 = new QPushButton(QStringLiteral("OK"), this);
    BitBtn1->setObjectName(QStringLiteral("BitBtn1"));
    BitBtn1->setGeometry(152, 104, 75, 25);
    // Neither default nor cancel: Enter presses it only because it holds the focus.
    BitBtn1->setDefault(false);
    BitBtn1->setAutoDefault(true);
    const QPixmap glyph(QStringLiteral(":/ottomix/glyph_view.png"));
    if (!glyph.isNull()) {
        QIcon icon;
        icon.addPixmap(glyph.copy(0, 0, 16, 16), QIcon::Normal);
        icon.addPixmap(glyph.copy(16, 0, 16, 16), QIcon::Disabled);
        BitBtn1->setIcon(icon);
        BitBtn1->setIconSize(QSize(16, 16));
    }
    connect(BitBtn1, &QPushButton::clicked, this, [this] { done(mrOk); });
    BitBtn1->setFocus();
}

int TForm3::ShowModal() {
    if (QWidget* grabber = QWidget::mouseGrabber()) grabber->releaseMouse();
    QPointer<QWidget> previously_active = QApplication::activeWindow();
    if (!shown_before_) {
        shown_before_ = true;
        const QScreen* screen = QGuiApplication::primaryScreen();
        if (screen) {
            const QRect area = screen->geometry();
            move(area.left() + std::max(0, (area.width() - width()) / 2),
                 area.top() + std::max(0, (area.height() - height()) / 2));
        }
    }
    setWindowModality(Qt::ApplicationModal);
    BitBtn1->setFocus();
    setResult(mrNone);
    const int result = exec();
    if (previously_active) previously_active->activateWindow();
    // Leaving without OK or the close box (the application ending) counts as cancel.
    return result == mrNone ? mrCancel : result;
}

void TForm3::reject() {
    done(mrCancel);
}

void TForm3::keyPressEvent(QKeyEvent* e) {
    // No cancel button: Escape does nothing.
    if (e->key() == Qt::Key_Escape) {
        e->accept();
        return;
    }
    QDialog::keyPressEvent(e);
}
