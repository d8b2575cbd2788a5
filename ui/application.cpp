#include "ui/application.h"

#include <QCoreApplication>
#include <exception>

#include "ui/browser/display_name.h"

namespace ottomix {

Application::Application(int& argc, char** argv) : QApplication(argc, argv) {
    // Not the display name: the X11 platform appends that to every window
    // title, and the windows' captions are fixed.
    setApplicationName(QStringLiteral("ottomix"));
    setDesktopFileName(QStringLiteral("ottomix"));
}

QString currentExceptionMessage() {
    try {
        throw;
    } catch (const std::exception& e) {
        return displayName(e.what());
    } catch (...) {
        return QCoreApplication::translate("ottomix::Application", "Unknown exception");
    }
}

}  // namespace ottomix
