#include "widgets/link_launcher.h"

#include <QDesktopServices>
#include <QDir>
#include <QProcess>
#include <QUrl>
#include <utility>

namespace ottomix {

namespace {

LaunchFunction& currentLauncher() {
    static LaunchFunction launcher;
    return launcher;
}

}  // namespace

LaunchFunction setLaunchFunction(LaunchFunction launcher) {
    LaunchFunction previous = std::move(currentLauncher());
    currentLauncher() = std::move(launcher);
    return previous;
}

int defaultLaunch(const QString& program, const QString& target) {
    if (program.isEmpty()) {
        return QDesktopServices::openUrl(QUrl(target, QUrl::TolerantMode)) ? kLaunchSucceeded
                                                                           : kLaunchFailed;
    }
    return QProcess::startDetached(program, {target}, QDir::currentPath()) ? kLaunchSucceeded
                                                                           : kLaunchFailed;
}

int launch(const QString& program, const QString& target) {
    const LaunchFunction& launcher = currentLauncher();
    return launcher ? launcher(program, target) : defaultLaunch(program, target);
}

}  // namespace ottomix
