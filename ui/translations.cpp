#include "ui/translations.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>

// Outside any namespace: the resource lives in a static library, and this
// reference is what links it in.
static void initTranslationResources() {
    Q_INIT_RESOURCE(ottomix_translations);
}

namespace ottomix {

Translations::Translations() {
    initTranslationResources();
    const QLocale locale = QLocale::system();
    loaded_ = program_.load(locale, QStringLiteral("ottomix"), QStringLiteral("_"),
                            QStringLiteral(":/ottomix/translations"));
    // Qt's texts only beside the program's own, so no box mixes two languages.
    if (loaded_)
        (void)qt_.load(locale, QStringLiteral("qtbase"), QStringLiteral("_"),
                       QLibraryInfo::path(QLibraryInfo::TranslationsPath));
}

void Translations::install() {
    if (!loaded_) return;
    QCoreApplication::installTranslator(&qt_);
    QCoreApplication::installTranslator(&program_);
}

QString Translations::translate(const char* context, const char* source) const {
    const QString shown = loaded_ ? program_.translate(context, source) : QString();
    return shown.isEmpty() ? QString::fromUtf8(source) : shown;
}

}  // namespace ottomix
