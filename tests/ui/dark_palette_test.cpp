// Every text of every window stays legible whatever the desktop's theme:
// each is drawn with at least the contrast of 4.5 : 1 against what lies
// under it. The text's colour and its background are read from the window
// as drawn: once as it is, once with that one text made transparent.
// OTTOMIX_TEST_THEME picks the theme: "breeze-dark" (the default: Fusion with
// a Breeze-like dark palette), "light" (Fusion's own), or "platform" (what
// the platform theme gives, e.g. GTK's Adwaita dark under Xvfb; the test
// then checks that the theme's palette is dark indeed).
#include <QAbstractButton>
#include <QAbstractItemView>
#include <QAbstractScrollArea>
#include <QComboBox>
#include <QGroupBox>
#include <QImage>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPalette>
#include <QStyleFactory>
#include <QTabBar>
#include <QTextEdit>
#include <QtTest>
#include <cmath>
#include <functional>
#include <map>

#include "tests/ui/window_test_support.h"
#include "widgets/links/link_types.h"

namespace ottomix {

namespace {

constexpr double kLegible = 4.5;

// Relative luminance and contrast ratio as the web's accessibility
// guidelines define them.
double luminance(QRgb rgb) {
    const auto channel = [](int v) {
        const double c = v / 255.0;
        return c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * channel(qRed(rgb)) + 0.7152 * channel(qGreen(rgb)) +
           0.0722 * channel(qBlue(rgb));
}

double contrast(QRgb a, QRgb b) {
    const double la = luminance(a);
    const double lb = luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

// KDE Breeze Dark's colours.
QPalette darkPalette() {
    QPalette p;
    const QColor window(49, 54, 59), base(35, 38, 41), text(239, 240, 241);
    p.setColor(QPalette::Window, window);
    p.setColor(QPalette::WindowText, text);
    p.setColor(QPalette::Base, base);
    p.setColor(QPalette::AlternateBase, window);
    p.setColor(QPalette::ToolTipBase, window);
    p.setColor(QPalette::ToolTipText, text);
    p.setColor(QPalette::PlaceholderText, QColor(161, 169, 177));
    p.setColor(QPalette::Text, text);
    p.setColor(QPalette::Button, window);
    p.setColor(QPalette::ButtonText, text);
    p.setColor(QPalette::BrightText, QColor(255, 255, 255));
    p.setColor(QPalette::Link, QColor(41, 128, 185));
    p.setColor(QPalette::LinkVisited, QColor(127, 140, 141));
    p.setColor(QPalette::Highlight, QColor(61, 174, 233));
    p.setColor(QPalette::HighlightedText, QColor(252, 252, 252));
    p.setColor(QPalette::Light, QColor(64, 70, 76));
    p.setColor(QPalette::Midlight, QColor(54, 59, 64));
    p.setColor(QPalette::Mid, QColor(43, 47, 52));
    p.setColor(QPalette::Dark, QColor(29, 32, 35));
    p.setColor(QPalette::Shadow, QColor(18, 20, 21));
    p.setColor(QPalette::Disabled, QPalette::WindowText, QColor(101, 101, 101));
    p.setColor(QPalette::Disabled, QPalette::Text, QColor(101, 101, 101));
    p.setColor(QPalette::Disabled, QPalette::ButtonText, QColor(101, 101, 101));
    return p;
}

// Makes one widget's text transparent for as long as it lives.
class TextHidden {
  public:
    explicit TextHidden(QWidget* widget) : widget_(widget), saved_(widget->palette()) {
        if (auto* link = qobject_cast<HyperlinkLabel*>(widget)) {
            link_ = link;
            linkColor_ = link->linkColor();
            visitedColor_ = link->visitedColor();
            link->setLinkColor(Qt::transparent);
            link->setVisitedColor(Qt::transparent);
            return;
        }
        QPalette hidden = saved_;
        for (const auto group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
            for (const auto role :
                 {QPalette::WindowText, QPalette::Text, QPalette::ButtonText,
                  QPalette::HighlightedText, QPalette::BrightText, QPalette::PlaceholderText})
                hidden.setColor(group, role, Qt::transparent);
        }
        widget->setPalette(hidden);
    }
    ~TextHidden() {
        if (link_ != nullptr) {
            link_->setLinkColor(linkColor_);
            link_->setVisitedColor(visitedColor_);
        } else {
            widget_->setPalette(saved_);
        }
    }

  private:
    QWidget* widget_;
    QPalette saved_;
    HyperlinkLabel* link_ = nullptr;
    QColor linkColor_;
    QColor visitedColor_;
};

QImage render(QWidget* window) {
    return window->grab().toImage().convertToFormat(QImage::Format_RGB32);
}

struct Legibility {
    int textPixels = 0;   // pixels the text changes
    QRgb ink = 0;         // the colour the text is drawn in
    double worst = 0;     // its lowest contrast with what lies under it
    QRgb background = 0;  // what lies under it there
    QPoint where;         // where that is, in the window
};

// Compares `window` drawn with and without `target`'s text, inside `area`.
Legibility measure(QWidget* window, QWidget* target, const QRegion& area) {
    const QImage withText = render(window);
    QImage without;
    {
        TextHidden hidden(target);
        without = render(window);
    }
    Legibility result;
    // The text's own colour: where it covers a pixel fully it differs most
    // from what lies under it.
    double strongest = 0;
    for (const QRect& r : area) {
        for (int y = r.top(); y <= r.bottom(); ++y) {
            for (int x = r.left(); x <= r.right(); ++x) {
                const QRgb a = withText.pixel(x, y);
                const QRgb b = without.pixel(x, y);
                if (a == b) continue;
                ++result.textPixels;
                if (contrast(a, b) > strongest) {
                    strongest = contrast(a, b);
                    result.ink = a;
                    result.background = b;
                    result.where = QPoint(x, y);
                }
            }
        }
    }
    result.worst = strongest;
    for (const QRect& r : area) {
        for (int y = r.top(); y <= r.bottom(); ++y) {
            for (int x = r.left(); x <= r.right(); ++x) {
                const QRgb b = without.pixel(x, y);
                if (withText.pixel(x, y) == b) continue;
                const double c = contrast(result.ink, b);
                if (c < result.worst) {
                    result.worst = c;
                    result.background = b;
                    result.where = QPoint(x, y);
                }
            }
        }
    }
    return result;
}

QString describe(const QWidget* w) {
    QString name = w->objectName();
    if (name.isEmpty()) name = QString::fromLatin1(w->metaObject()->className());
    return w->window()->objectName() + u'/' + name;
}

// The region of `w` in `window`, less its own child widgets (they are
// measured on their own).
QRegion ownArea(QWidget* window, QWidget* w, const QRect& rect) {
    QRegion area(QRect(w->mapTo(window, rect.topLeft()), rect.size()));
    for (QWidget* child : w->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
        if (child->isVisible() && !child->isWindow())
            area -= QRect(child->mapTo(window, QPoint(0, 0)), child->size());
    }
    return area & QRect(QPoint(0, 0), window->size());
}

// Every text-bearing widget of the window with the parts of it to measure on
// their own (a list's rows one by one, as a selected row has colours of its
// own).
std::vector<std::pair<QWidget*, QRegion>> textAreas(QWidget* window) {
    std::vector<std::pair<QWidget*, QRegion>> areas;
    const auto add = [&](QWidget* w) { areas.emplace_back(w, ownArea(window, w, w->rect())); };
    for (QWidget* w : window->findChildren<QWidget*>()) {
        if (!w->isVisible() || w->isWindow()) continue;
        if (qobject_cast<HyperlinkLabel*>(w) != nullptr || qobject_cast<QMenuBar*>(w) != nullptr ||
            qobject_cast<QTabBar*>(w) != nullptr || qobject_cast<QComboBox*>(w) != nullptr) {
            add(w);
        } else if (auto* label = qobject_cast<QLabel*>(w)) {
            if (!label->text().isEmpty()) add(w);
        } else if (auto* button = qobject_cast<QAbstractButton*>(w)) {
            if (!button->text().isEmpty()) add(w);
        } else if (auto* group = qobject_cast<QGroupBox*>(w)) {
            if (!group->title().isEmpty()) add(w);
        } else if (auto* view = qobject_cast<QAbstractItemView*>(w)) {
            QAbstractItemModel* model = view->model();
            for (int row = 0; model != nullptr && row < model->rowCount(); ++row) {
                const QRect rect =
                    view->visualRect(model->index(row, 0)) & view->viewport()->rect();
                if (!rect.isEmpty())
                    areas.emplace_back(view, ownArea(window, view->viewport(), rect));
            }
        } else if (auto* edit = qobject_cast<QTextEdit*>(w)) {
            areas.emplace_back(edit, ownArea(window, edit->viewport(), edit->viewport()->rect()));
        }
    }
    return areas;
}

}  // namespace

class DarkPaletteTest : public QObject {
    Q_OBJECT

  private slots:
    void initTestCase() {
        const QString theme = qEnvironmentVariable("OTTOMIX_TEST_THEME", "breeze-dark");
        if (theme == u"platform") {
            // Else the test would pass without the theme it is meant for.
            QVERIFY2(QApplication::palette().color(QPalette::Window).lightness() < 128,
                     "the platform theme's palette is not dark");
        } else {
            QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
            if (theme == u"breeze-dark") QApplication::setPalette(darkPalette());
        }
        QVERIFY(folder_.ok());
        windows_ = std::make_unique<testing::ProgramWindows>(folder_);
    }
    void cleanupTestCase() { windows_.reset(); }

    void everyTextIsLegible_data() {
        QTest::addColumn<QWidget*>("window");
        int n = 0;
        for (QWidget* w : windows_->all())
            QTest::addRow("%d %s", ++n, qPrintable(w->windowTitle())) << w;
    }
    void everyTextIsLegible() {
        QFETCH(QWidget*, window);
        QVERIFY(window->isVisible());
        // For a look at the windows as drawn: OTTOMIX_TEST_SHOTS=folder.
        if (const QString shots = qEnvironmentVariable("OTTOMIX_TEST_SHOTS"); !shots.isEmpty())
            render(window).save(shots + u'/' + QString::fromLatin1(QTest::currentDataTag()) +
                                QStringLiteral(".png"));
        const auto areas = textAreas(window);
        QVERIFY(areas.size() >= 3);
        std::map<QWidget*, int> measured;
        for (const auto& [widget, area] : areas) {
            const Legibility l = measure(window, widget, area);
            // Text that is not drawn (or drawn where nothing shows it) would
            // pass unseen.
            QVERIFY2(l.textPixels > 0,
                     qPrintable(describe(widget) + QStringLiteral(": no text drawn")));
            QVERIFY2(l.worst >= kLegible,
                     qPrintable(QStringLiteral("%1: text %2 on %3 at %4,%5: contrast %6")
                                    .arg(describe(widget), QColor(l.ink).name(),
                                         QColor(l.background).name())
                                    .arg(l.where.x())
                                    .arg(l.where.y())
                                    .arg(l.worst, 0, 'f', 2)));
            ++measured[widget];
        }
        qInfo("%s: %d texts in %d widgets", qPrintable(window->windowTitle()),
              static_cast<int>(areas.size()), static_cast<int>(measured.size()));
    }

    // Popups are windows of their own; the main window's menu goes with it.
    void menusAreLegible() {
        QMenu* menu = windows_->main.systemMenu();
        menu->adjustSize();
        const Legibility l = measure(menu, menu, QRegion(menu->rect()));
        QVERIFY(l.textPixels > 0);
        QVERIFY2(l.worst >= kLegible, qPrintable(QString::number(l.worst)));
    }

  private:
    testing::SampleFolder folder_;
    std::unique_ptr<testing::ProgramWindows> windows_;
};

}  // namespace ottomix

QTEST_MAIN(ottomix::DarkPaletteTest)
#include "dark_palette_test.moc"
