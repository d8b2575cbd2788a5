// The link properties window, built in code for one link.
#include <QDialog>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QTabWidget>

#include "widgets/hyperlink_label.h"
#include "widgets/window_font.h"

namespace {

// A bevel showing only its bottom line, lowered: shadow above highlight.
class BottomLineBevel : public QWidget {
  public:
    BottomLineBevel(QWidget* parent, const QRect& bounds) : QWidget(parent) {
        setGeometry(bounds);
        setAttribute(Qt::WA_TransparentForMouseEvents);
    }

  protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.setPen(palette().color(QPalette::Dark));
        painter.drawLine(0, height() - 2, width(), height() - 2);
        painter.setPen(palette().color(QPalette::Light));
        painter.drawLine(0, height() - 1, width(), height() - 1);
    }
};

// OK is both the default and the cancel button: Escape presses it too.
class LinkPropertiesWindow : public QDialog {
  public:
    explicit LinkPropertiesWindow(QWidget* parent) : QDialog(parent) {}
    QPushButton* ok = nullptr;

  protected:
    void keyPressEvent(QKeyEvent* e) override {
        if (e->key() == Qt::Key_Escape && e->modifiers() == Qt::NoModifier && ok) {
            ok->click();
            return;
        }
        QDialog::keyPressEvent(e);
    }
};

QLabel* AddLabel(QWidget* parent, const QRect& bounds, const QString& text,
                 const QString& object_name, const QString& hint = {}) {
    auto* label = new QLabel(text, parent);
    label->setObjectName(object_name);
    label->setGeometry(bounds);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    label->setTextFormat(Qt::PlainText);
    if (!hint.isEmpty()) label->setToolTip(hint);
    return label;
}

// A caption label sizes itself to its text, so no font cuts it short.
QLabel* AddCaption(QWidget* parent, QPoint at, const QString& text, const QString& object_name) {
    QLabel* label = AddLabel(parent, QRect(at, QSize(0, 13)), text, object_name);
    label->resize(label->sizeHint().width(), 13);
    return label;
}

}  // namespace

std::unique_ptr<QDialog> TUrlBase::CreateLinkProperties(THyperLink* link) const {
    auto window = std::make_unique<LinkPropertiesWindow>(nullptr);
    window->setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                           Qt::WindowSystemMenuHint | Qt::WindowContextHelpButtonHint |
                           Qt::WindowCloseButtonHint);
    window->setWindowTitle(QStringLiteral("THyperLink Properties..."));
    window->setFont(ottomix::windowFont());
    window->setFixedSize(390, 250);

    auto* outer = new QWidget(window.get());
    outer->setGeometry(0, 0, 390, 250);

    auto* pages = new QTabWidget(outer);
    pages->setObjectName(QStringLiteral("PageControl"));
    pages->setGeometry(5, 5, 380, 207);
    auto* sheet = new QWidget;
    pages->addTab(sheet, QStringLiteral("Common"));
    pages->setCurrentWidget(sheet);

    new BottomLineBevel(sheet, QRect(10, 40, 350, 18));
    auto* picture = new QLabel(sheet);
    picture->setObjectName(QStringLiteral("Picture"));
    picture->setGeometry(10, 13, 32, 32);
    picture->setPixmap(QPixmap(QStringLiteral(":/ottomix/PROPBMP.png")));

    const QString target = link->LaunchTarget();
    const QString shown = link->Alias().isEmpty() ? link->Caption() : link->Alias();
    AddLabel(sheet, {76, 24, 280, 13}, shown + QStringLiteral(" (") + target + QStringLiteral(")"),
             QStringLiteral("TitleLabel"));
    AddCaption(sheet, {10, 68}, QStringLiteral("Service:"), QStringLiteral("ServiceCaption"));
    AddCaption(sheet, {10, 91}, QStringLiteral("Address:"), QStringLiteral("AddressCaption"));
    AddCaption(sheet, {10, 152}, QStringLiteral("Visited:"), QStringLiteral("VisitedCaption"));
    AddCaption(sheet, {10, 113}, QStringLiteral("Open with:"), QStringLiteral("ProgramCaption"));
    new BottomLineBevel(sheet, QRect(10, 128, 350, 18));

    const QString program = GetTypeApplication(link->LinkType());
    AddLabel(sheet, {76, 68, 280, 13}, LinkServiceName(link->LinkType()),
             QStringLiteral("ServiceLabel"), QStringLiteral("The service of the THyperLink"));
    AddLabel(sheet, {76, 91, 280, 13}, link->Caption(), QStringLiteral("AddressLabel"),
             QStringLiteral("The address the HyperLink points to"));
    AddLabel(sheet, {76, 113, 280, 13},
             program.isEmpty() ? QStringLiteral("Associated Application (Registry)") : program,
             QStringLiteral("ProgramLabel"),
             QStringLiteral("The application will be used to open the HyperLink"));
    AddLabel(sheet, {76, 153, 280, 13},
             link->Visited() ? QStringLiteral("Yes") : QStringLiteral("No"),
             QStringLiteral("VisitedLabel"));

    auto* strip = new QWidget(outer);
    strip->setGeometry(5, 212, 380, 33);
    auto* ok = new QPushButton(QStringLiteral("OK"), strip);
    ok->setObjectName(QStringLiteral("OkButton"));
    ok->setGeometry(156, 7, 75, 23);
    ok->setDefault(true);
    QObject::connect(ok, &QPushButton::clicked, window.get(), &QDialog::accept);
    window->ok = ok;
    ok->setFocus();

    // Opens just below the link, starting at its middle.
    const QPoint corner = link->mapToGlobal(QPoint(0, 0));
    window->move(corner.x() + link->width() / 2, corner.y() + link->height());
    return window;
}
