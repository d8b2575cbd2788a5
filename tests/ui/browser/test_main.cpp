// Runs the browser tests inside a QApplication, with the message boxes
// recorded instead of shown.
#include <gtest/gtest.h>

#include <QApplication>

#include "browser_test_support.h"
#include "widgets/window_look/user_message.h"

namespace ottomix {

std::vector<std::string>& shownFailures() {
    static std::vector<std::string> failures;
    return failures;
}

}  // namespace ottomix

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    // The browser shows nothing but failures: the stop icon and the title.
    ottomix::setMessageHook(
        [](QMessageBox::Icon icon, const QString& caption, const QString& text) {
            EXPECT_EQ(icon, QMessageBox::Critical);
            EXPECT_EQ(caption.toStdString(), ottomix::kApplicationTitle);
            ottomix::shownFailures().push_back(text.toStdString());
        });
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
