// What assistive technology learns of every window: walking each window's
// accessible tree, every control a user can operate (buttons, radio buttons,
// lists and their rows, the drive selector, the viewer, links, tabs, menu
// items) has a name and the role of what it is, links carry their address,
// and pictures are never presented as something to operate.
#include <QAbstractButton>
#include <QAbstractItemView>
#include <QAccessible>
#include <QComboBox>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QProgressBar>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTabBar>
#include <QTextEdit>
#include <QtTest>
#include <set>

#include "tests/ui/window_test_support.h"
#include "ui/glyph_button.h"

namespace ottomix {

namespace {

// Roles of what a user operates; each needs a name to be told apart.
const std::set<QAccessible::Role> kInteractive = {
    QAccessible::PushButton,   QAccessible::RadioButton, QAccessible::CheckBox,
    QAccessible::ComboBox,     QAccessible::List,        QAccessible::ListItem,
    QAccessible::EditableText, QAccessible::Link,        QAccessible::MenuItem,
    QAccessible::PageTab,      QAccessible::ButtonMenu,  QAccessible::ButtonDropDown,
    QAccessible::Tree,         QAccessible::TreeItem,    QAccessible::Table,
    QAccessible::Cell,         QAccessible::SpinBox,     QAccessible::Slider,
    QAccessible::HotkeyField};

// The role a widget of this kind must have, or NoRole where any will do.
QAccessible::Role expectedRole(const QObject* object) {
    if (qobject_cast<const HyperlinkLabel*>(object)) return QAccessible::Link;
    if (qobject_cast<const QRadioButton*>(object)) return QAccessible::RadioButton;
    if (qobject_cast<const QAbstractButton*>(object)) return QAccessible::PushButton;
    if (qobject_cast<const QComboBox*>(object)) return QAccessible::ComboBox;
    if (qobject_cast<const QAbstractItemView*>(object)) return QAccessible::List;
    if (qobject_cast<const QTextEdit*>(object)) return QAccessible::EditableText;
    if (qobject_cast<const QProgressBar*>(object)) return QAccessible::ProgressBar;
    if (qobject_cast<const QMenuBar*>(object)) return QAccessible::MenuBar;
    if (qobject_cast<const QTabBar*>(object)) return QAccessible::PageTabList;
    if (const auto* label = qobject_cast<const QLabel*>(object)) {
        return label->pixmap().isNull() ? QAccessible::StaticText : QAccessible::Graphic;
    }
    return QAccessible::NoRole;
}

QString where(QAccessibleInterface* node, const QString& path) {
    const QObject* object = node->object();
    QString what = QString::number(node->role(), 16);
    if (object != nullptr) {
        what += u' ' + QString::fromLatin1(object->metaObject()->className());
        if (!object->objectName().isEmpty()) what += u' ' + object->objectName();
    }
    return path + QStringLiteral(" > [") + what + QStringLiteral("] '") +
           node->text(QAccessible::Name) + u'\'';
}

struct Census {
    int interactive = 0;
    int rows = 0;
    int links = 0;
    QStringList problems;
};

void walk(QAccessibleInterface* node, const QString& path, Census* census, int depth = 0) {
    if (node == nullptr || depth > 30) return;
    const QString here = where(node, path);
    const QAccessible::Role role = node->role();
    const QString name = node->text(QAccessible::Name).trimmed();

    if (kInteractive.count(role) != 0) {
        ++census->interactive;
        if (name.isEmpty()) census->problems << here + QStringLiteral(": no name");
    }
    if (role == QAccessible::ListItem) ++census->rows;
    // On Linux Qt names a selector by its choice; what it selects must come
    // from a label or its description.
    if (role == QAccessible::ComboBox && node->relations(QAccessible::Labelled).isEmpty() &&
        node->text(QAccessible::Description).trimmed().isEmpty())
        census->problems << here + QStringLiteral(": nothing tells what it selects");
    if (const QObject* object = node->object()) {
        const QAccessible::Role expected = expectedRole(object);
        if (expected != QAccessible::NoRole && role != expected)
            census->problems << here + QStringLiteral(": role %1, expected %2")
                                           .arg(role, 0, 16)
                                           .arg(expected, 0, 16);
        // A control the keyboard reaches is one a user operates.
        if (const auto* w = qobject_cast<const QWidget*>(object);
            w != nullptr && w->focusPolicy() != Qt::NoFocus && !w->isWindow() &&
            w->focusProxy() == nullptr && kInteractive.count(role) == 0 &&
            role != QAccessible::ScrollBar && role != QAccessible::PageTabList)
            census->problems << here + QStringLiteral(": takes the focus but is no control");
    }
    if (role == QAccessible::Link) {
        ++census->links;
        const QString address = node->text(QAccessible::Value);
        if (!address.contains(u':'))
            census->problems << here + QStringLiteral(": no address but '%1'").arg(address);
        if (node->actionInterface() == nullptr || !node->actionInterface()->actionNames().contains(
                                                      QAccessibleActionInterface::pressAction()))
            census->problems << here + QStringLiteral(": cannot be pressed");
    }
    if (role == QAccessible::Graphic && node->state().focusable)
        census->problems << here + QStringLiteral(": a picture that takes the focus");
    if (role == QAccessible::Graphic && !node->state().invisible && name.isEmpty())
        census->problems << here + QStringLiteral(": a picture without a name");

    for (int i = 0; i < node->childCount(); ++i) {
        QAccessibleInterface* child = node->child(i);
        if (child != nullptr && child->parent() != nullptr &&
            child->parent()->object() != node->object() && child->object() != nullptr &&
            child->object() == node->object())
            continue;  // guards against a cycle
        walk(child, here, census, depth + 1);
    }
}

Census walkWindow(QObject* window) {
    Census census;
    QAccessibleInterface* root = QAccessible::queryAccessibleInterface(window);
    if (root == nullptr) {
        census.problems << QStringLiteral("no accessible interface");
        return census;
    }
    if (root->text(QAccessible::Name).isEmpty()) census.problems << QStringLiteral("no title");
    walk(root, QString(), &census);
    return census;
}

}  // namespace

class AccessibilityTest : public QObject {
    Q_OBJECT

  private slots:
    void initTestCase() {
        QVERIFY(folder_.ok());
        windows_ = std::make_unique<testing::ProgramWindows>(folder_);
    }
    void cleanupTestCase() { windows_.reset(); }

    void everyControlHasANameAndRole_data() {
        QTest::addColumn<QWidget*>("window");
        QTest::addColumn<int>("minimumControls");
        QTest::addColumn<int>("minimumRows");
        QTest::addColumn<int>("links");
        // Main window: 3 lists, 4 glyph buttons, 2 radio buttons, Ok, the
        // viewer, the selector and the menu's 3 items.
        QTest::newRow("main window") << static_cast<QWidget*>(&windows_->main) << 16 << 7 << 0;
        QTest::newRow("About window") << static_cast<QWidget*>(&windows_->about) << 3 << 0 << 2;
        QTest::newRow("progress window")
            << static_cast<QWidget*>(&windows_->progress) << 1 << 0 << 0;
        QTest::newRow("link properties")
            << static_cast<QWidget*>(windows_->properties.get()) << 2 << 0 << 0;
    }
    void everyControlHasANameAndRole() {
        QFETCH(QWidget*, window);
        QFETCH(int, minimumControls);
        QFETCH(int, minimumRows);
        QFETCH(int, links);
        const Census census = walkWindow(window);
        QVERIFY2(census.problems.isEmpty(), qPrintable(census.problems.join(u'\n')));
        // The walk reached the controls, rather than stopping short.
        QVERIFY2(census.interactive >= minimumControls,
                 qPrintable(QString::number(census.interactive)));
        QVERIFY2(census.rows >= minimumRows, qPrintable(QString::number(census.rows)));
        QCOMPARE(census.links, links);
    }

    // A screen reader announces a window by its role and title; a window
    // presented as anything else (a "filler") is not announced at all.
    void everyWindowIsAWindowWithItsTitle_data() {
        QTest::addColumn<QWidget*>("window");
        QTest::addColumn<int>("role");
        QTest::addColumn<QString>("title");
        QTest::newRow("main window")
            << static_cast<QWidget*>(&windows_->main) << int(QAccessible::Window)
            << QStringLiteral("Ottomix V2.1b - Mirrowen Software");
        QTest::newRow("About window")
            << static_cast<QWidget*>(&windows_->about) << int(QAccessible::Dialog)
            << QStringLiteral("About Mirrowen Software...");
        QTest::newRow("progress window")
            << static_cast<QWidget*>(&windows_->progress) << int(QAccessible::Window)
            << QStringLiteral("Working...");
        QTest::newRow("link properties")
            << static_cast<QWidget*>(windows_->properties.get()) << int(QAccessible::Dialog)
            << windows_->properties->windowTitle();
    }
    void everyWindowIsAWindowWithItsTitle() {
        QFETCH(QWidget*, window);
        QFETCH(int, role);
        QFETCH(QString, title);
        QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(window);
        QVERIFY(accessible != nullptr);
        QCOMPARE(int(accessible->role()), role);
        QVERIFY(!title.isEmpty());
        QCOMPARE(accessible->text(QAccessible::Name), title);
    }

    // Pictures are named, so a screen reader says what they show.
    void picturesHaveNames_data() {
        QTest::addColumn<QWidget*>("picture");
        QTest::addColumn<QString>("name");
        QTest::newRow("main window background")
            << static_cast<QWidget*>(windows_->main.backgroundImage())
            << QStringLiteral("Ottomix background picture");
        QTest::newRow("About logo")
            << static_cast<QWidget*>(windows_->about.logo()) << QStringLiteral("Ottomix logo");
    }
    void picturesHaveNames() {
        QFETCH(QWidget*, picture);
        QFETCH(QString, name);
        QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(picture);
        QVERIFY(accessible != nullptr);
        QCOMPARE(accessible->role(), QAccessible::Graphic);
        QCOMPARE(accessible->text(QAccessible::Name), name);
    }

    // A screen reader's Toggle action checks a mode button without a click;
    // the mode must follow it as it follows the mouse and the keys, and each
    // way must read the list as often as one switch does, not twice.
    void everyWayOfCheckingAModeButtonSwitchesTheModeOnce_data() {
        QTest::addColumn<QString>("way");
        QTest::addColumn<bool>("toText");
        for (const char* way : {"mouse", "space", "arrow", "toggle action", "setChecked"}) {
            for (const bool toText : {false, true}) {
                const QString row =
                    QStringLiteral("%1 to %2")
                        .arg(QLatin1String(way), QLatin1String(toText ? "Text" : "Binary"));
                QTest::newRow(qPrintable(row)) << QString::fromLatin1(way) << toText;
            }
        }
    }
    void everyWayOfCheckingAModeButtonSwitchesTheModeOnce() {
        QFETCH(QString, way);
        QFETCH(bool, toText);
        int oneSwitch = 0;
        {
            MainWindow reference;
            reference.show();
            QVERIFY(QTest::qWaitForWindowExposed(&reference));
            if (toText) reference.selectBinaryMode();
            QSignalSpy reads(reference.fileList(), &FileList::changed);
            toText ? reference.selectTextMode() : reference.selectBinaryMode();
            oneSwitch = static_cast<int>(reads.count());
            QVERIFY(oneSwitch > 0);
        }

        MainWindow window;
        window.show();
        window.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&window));
        QRadioButton* from = toText ? window.binaryModeButton() : window.textModeButton();
        QRadioButton* to = toText ? window.textModeButton() : window.binaryModeButton();
        if (toText) QTest::mouseClick(from, Qt::LeftButton);
        QCOMPARE(window.isTextMode(), !toText);
        QSignalSpy reads(window.fileList(), &FileList::changed);

        if (way == QLatin1String("mouse")) {
            QTest::mouseClick(to, Qt::LeftButton);
        } else if (way == QLatin1String("space")) {
            to->setFocus();
            QTest::keyClick(to, Qt::Key_Space);
        } else if (way == QLatin1String("arrow")) {
            from->setFocus();
            QTest::keyClick(from, toText ? Qt::Key_Up : Qt::Key_Down);
        } else if (way == QLatin1String("toggle action")) {
            QAccessibleActionInterface* actions =
                QAccessible::queryAccessibleInterface(to)->actionInterface();
            QVERIFY(actions != nullptr);
            QVERIFY(actions->actionNames().contains(QAccessibleActionInterface::toggleAction()));
            actions->doAction(QAccessibleActionInterface::toggleAction());
        } else {
            to->setChecked(true);
        }
        QCoreApplication::processEvents();

        QVERIFY(to->isChecked());
        QCOMPARE(window.isTextMode(), toText);
        QCOMPARE(window.fileList()->mask(), std::string(toText ? "*.txt" : "*.*"));
        QCOMPARE(window.viewButton()->isHidden(), !toText);
        QCOMPARE(static_cast<int>(reads.count()), oneSwitch);

        // A click on the button already checked keeps the mode and reads the
        // list once more, as it always has.
        reads.clear();
        QTest::mouseClick(to, Qt::LeftButton);
        QCOMPARE(window.isTextMode(), toText);
        QCOMPARE(static_cast<int>(reads.count()), 1);
    }

    void listsNameTheirRowsAsShown() {
        for (QAbstractItemView* list : windows_->main.findChildren<QAbstractItemView*>()) {
            if (!list->isVisible()) continue;
            QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(list);
            QVERIFY(accessible != nullptr);
            QAccessibleTableInterface* table = accessible->tableInterface();
            QVERIFY(table != nullptr);
            QVERIFY(table->rowCount() > 0);
            for (int row = 0; row < table->rowCount(); ++row) {
                QAccessibleInterface* cell = table->cellAt(row, 0);
                QVERIFY(cell != nullptr);
                QCOMPARE(cell->role(), QAccessible::ListItem);
                QCOMPARE(cell->text(QAccessible::Name),
                         list->model()->index(row, 0).data().toString());
            }
        }
    }

    void menuItemsAreNamed() {
        const Census census = walkWindow(windows_->main.systemMenu());
        QVERIFY2(census.problems.isEmpty(), qPrintable(census.problems.join(u'\n')));
        QCOMPARE(census.interactive, 1);  // Quit
    }

  private:
    testing::SampleFolder folder_;
    std::unique_ptr<testing::ProgramWindows> windows_;
};

}  // namespace ottomix

QTEST_MAIN(ottomix::AccessibilityTest)
#include "accessibility_test.moc"
