// Runs the browser tests inside a QApplication whose notify() catches what
// event handlers throw, the way the application shows it in a message box.
#include <gtest/gtest.h>

#include <QApplication>
#include <exception>

#include "browser_test_support.h"

namespace ottomix {

std::vector<std::string>& CaughtErrors() {
    static std::vector<std::string> errors;
    return errors;
}

}  // namespace ottomix

namespace {

class CatchingApplication : public QApplication {
  public:
    using QApplication::QApplication;
    bool notify(QObject* receiver, QEvent* event) override {
        try {
            return QApplication::notify(receiver, event);
        } catch (const std::exception& error) {
            ottomix::CaughtErrors().push_back(error.what());
            return false;
        }
    }
};

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    CatchingApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
