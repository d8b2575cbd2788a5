#include "widgets/links/link_properties.h"

#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QPixmap>
#include <QPushButton>
#include <QTabWidget>

#include "widgets/links/hyperlink_label.h"
#include "widgets/window_look/fixed_frame.h"
#include "widgets/window_look/light_palette.h"
#include "widgets/window_look/window_font.h"

namespace ottomix {

namespace {

// The header's title, for the translation tools.
[[maybe_unused]] constexpr const char* kTranslatedTitle =
    QT_TRANSLATE_NOOP("ottomix::LinkProperties", "HyperLink Properties...");

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

QLabel* addLabel(QWidget* parent, const QRect& bounds, const QString& text,
                 const QString& objectName, const QString& hint = {}) {
    auto* label = new QLabel(text, parent);
    label->setObjectName(objectName);
    label->setGeometry(bounds);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    label->setTextFormat(Qt::PlainText);
    if (!hint.isEmpty()) label->setToolTip(hint);
    return label;
}

// A caption label sizes itself to its text, so no font cuts it short.
QLabel* addCaption(QWidget* parent, QPoint at, const QString& text, const QString& objectName) {
    QLabel* label = addLabel(parent, QRect(at, QSize(0, 13)), text, objectName);
    label->resize(label->sizeHint().width(), 13);
    return label;
}

}  // namespace

LinkProperties::LinkProperties(const HyperlinkLabel& link, const QString& program, QWidget* parent)
    : QDialog(parent) {
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowContextHelpButtonHint |
                   Qt::WindowCloseButtonHint);
    setWindowTitle(tr(kLinkPropertiesTitle));
    setFont(windowFont());
    useLightPalette(this);
    setFixedSize(390, 250);
    giveFixedFrame(this);

    auto* outer = new QWidget(this);
    outer->setGeometry(0, 0, 390, 250);

    auto* pages = new QTabWidget(outer);
    pages->setObjectName(QStringLiteral("pages"));
    pages->setGeometry(5, 5, 380, 207);
    auto* sheet = new QWidget;
    // Controls without text of their own are named for assistive technology.
    sheet->setAccessibleName(tr("Common"));
    pages->addTab(sheet, tr("Common"));
    pages->setCurrentWidget(sheet);

    new BottomLineBevel(sheet, QRect(10, 40, 350, 18));
    auto* picture = new QLabel(sheet);
    picture->setObjectName(QStringLiteral("picture"));
    picture->setGeometry(10, 13, 32, 32);
    picture->setPixmap(QPixmap(QStringLiteral(":/ottomix/PROPBMP.png")));
    picture->setAccessibleName(tr("Hyperlink"));

    const QString target = link.launchTarget();
    const QString shown = link.alias().isEmpty() ? link.caption() : link.alias();
    addLabel(sheet, {76, 24, 280, 13}, shown + QStringLiteral(" (") + target + QStringLiteral(")"),
             QStringLiteral("titleLabel"));
    addCaption(sheet, {10, 68}, tr("Service:"), QStringLiteral("serviceCaption"));
    addCaption(sheet, {10, 91}, tr("Address:"), QStringLiteral("addressCaption"));
    addCaption(sheet, {10, 152}, tr("Visited:"), QStringLiteral("visitedCaption"));
    addCaption(sheet, {10, 113}, tr("Open with:"), QStringLiteral("programCaption"));
    new BottomLineBevel(sheet, QRect(10, 128, 350, 18));

    addLabel(sheet, {76, 68, 280, 13}, linkServiceName(link.linkType()),
             QStringLiteral("serviceLabel"), tr("The service of the THyperLink"));
    addLabel(sheet, {76, 91, 280, 13}, link.caption(), QStringLiteral("addressLabel"),
             tr("The address the HyperLink points to"));
    addLabel(sheet, {76, 113, 280, 13},
             program.isEmpty() ? tr("Associated Application (Registry)") : program,
             QStringLiteral("programLabel"),
             tr("The application will be used to open the HyperLink"));
    addLabel(sheet, {76, 153, 280, 13}, link.isVisited() ? tr("Yes") : tr("No"),
             QStringLiteral("visitedLabel"));

    auto* strip = new QWidget(outer);
    strip->setGeometry(5, 212, 380, 33);
    okButton_ = new QPushButton(tr("OK"), strip);
    okButton_->setObjectName(QStringLiteral("okButton"));
    okButton_->setGeometry(156, 7, 75, 23);
    okButton_->setDefault(true);
    connect(okButton_, &QPushButton::clicked, this, &QDialog::accept);
    okButton_->setFocus();

    const QPoint corner = link.mapToGlobal(QPoint(0, 0));
    move(corner.x() + link.width() / 2, corner.y() + link.height());
}

void LinkProperties::keyPressEvent(QKeyEvent* e) {
    if (e->key() == Qt::Key_Escape && e->modifiers() == Qt::NoModifier && okButton_) {
        okButton_->click();
        return;
    }
    QDialog::keyPressEvent(e);
}

}  // namespace ottomix
