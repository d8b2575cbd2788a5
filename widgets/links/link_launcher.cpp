#include "widgets/links/link_launcher.h"

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

namespace {

bool looksLikeOption(const QString& target) {
    return target.startsWith(u'-');
}

}  // namespace

bool isValidLaunchTarget(const QString& target) {
    return target.size() <= kMaxLaunchTarget && !looksLikeOption(target);
}

int defaultLaunch(const QString& program, const QString& target) {
    if (looksLikeOption(target)) return kLaunchInvalidTarget;
    if (program.isEmpty()) {
        const QUrl url(target, QUrl::TolerantMode);
        // The desktop's opener gets the encoded address, where "%2D" is a '-' again.
        if (url.toEncoded().startsWith('-')) return kLaunchInvalidTarget;
        return QDesktopServices::openUrl(url) ? kLaunchSucceeded : kLaunchFailed;
    }
    return QProcess::startDetached(program, {target}, QDir::currentPath()) ? kLaunchSucceeded
                                                                           : kLaunchFailed;
}

int launch(const QString& program, const QString& target) {
    const LaunchFunction& launcher = currentLauncher();
    return launcher ? launcher(program, target) : defaultLaunch(program, target);
}

}  // namespace ottomix
