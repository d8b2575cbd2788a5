#include "widgets/links/link_registry.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileSystemModel>
#include <QSettings>
#include <QSortFilterProxyModel>
#include <algorithm>
#include <stdexcept>

#include "widgets/links/hyperlink_label.h"
#include "widgets/links/link_launcher.h"
#include "widgets/links/link_properties.h"
#include "widgets/window_look/user_message.h"

namespace ottomix {

namespace {

// The context of the registry's texts.
struct Text {
    Q_DECLARE_TR_FUNCTIONS(ottomix::LinkRegistry)
};

// The header's English texts, for the translation tools.
[[maybe_unused]] constexpr const char* kTranslatedTexts[] = {
    QT_TRANSLATE_NOOP("ottomix::LinkRegistry", "Detaching Control that is not registered?"),
    QT_TRANSLATE_NOOP("ottomix::LinkRegistry", "Could not save to file:"),
    QT_TRANSLATE_NOOP("ottomix::LinkRegistry", "SaveFileError"),
    QT_TRANSLATE_NOOP("ottomix::LinkRegistry", "Select application for ..."),
};

int indexOfCaption(const QStringList& list, const QString& caption) {
    for (int i = 0; i < list.size(); ++i) {
        if (QString::compare(list[i], caption, Qt::CaseInsensitive) == 0) return i;
    }
    return -1;
}

bool containsCaption(const QStringList& list, const QString& caption) {
    return list.contains(caption, Qt::CaseInsensitive);
}

void addCaption(QStringList& list, const QString& caption) {
    if (!containsCaption(list, caption)) list.append(caption);
}

void removeCaption(QStringList& list, const QString& caption) {
    const int i = indexOfCaption(list, caption);
    if (i >= 0) list.removeAt(i);
}

// What the chooser's views show: with programsOnly, folders (to go through)
// and files the user may execute; otherwise everything the file model lists.
class ProgramFilter : public QSortFilterProxyModel {
  public:
    using QSortFilterProxyModel::QSortFilterProxyModel;

    void setProgramsOnly(bool programsOnly) {
        if (programsOnly == programsOnly_) return;
        programsOnly_ = programsOnly;
        invalidateFilter();
    }

  protected:
    bool filterAcceptsRow(int sourceRow, const QModelIndex& sourceParent) const override {
        if (!programsOnly_) return true;
        const auto* files = qobject_cast<const QFileSystemModel*>(sourceModel());
        if (!files) return true;
        const QModelIndex index = files->index(sourceRow, 0, sourceParent);
        return files->isDir(index) || files->permissions(index).testFlag(QFileDevice::ExeUser);
    }

  private:
    bool programsOnly_ = true;
};

}  // namespace

LinkRegistry& LinkRegistry::instance() {
    // Created on first use, which is the first link's construction at the latest;
    // destroyed when the process ends.
    static LinkRegistry registry;
    return registry;
}

LinkRegistry::LinkRegistry() {
    // Qt's own file dialog stores its history and view state in the user's
    // settings when it is destroyed. The program keeps no state, so user
    // settings go to a place that cannot be created (/dev/null is no
    // directory, even for root). Set here, before any chooser exists.
    const QString nowhere = QStringLiteral("/dev/null/ottomix");
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, nowhere);
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, nowhere);
}
LinkRegistry::~LinkRegistry() = default;

bool LinkRegistry::isRegistered(const HyperlinkLabel* link) const {
    return std::find(links_.begin(), links_.end(), link) != links_.end();
}

void LinkRegistry::registerLink(HyperlinkLabel* link) {
    const QString caption = link->caption_;
    if (containsCaption(visited_, caption)) {
        link->setVisited(true);
    } else if (containsCaption(notVisited_, caption)) {
        // A visited link makes its caption visited for every link sharing it.
        if (link->visited_) {
            removeCaption(notVisited_, caption);
            visited_.append(caption);
            syncLinks();
        }
    } else {
        (link->visited_ ? visited_ : notVisited_).append(caption);
    }
    if (!isRegistered(link)) links_.push_back(link);
}

void LinkRegistry::unregisterLink(HyperlinkLabel* link) {
    const auto at = std::find(links_.begin(), links_.end(), link);
    if (at == links_.end()) throw std::runtime_error(Text::tr(kNotRegisteredError).toStdString());
    links_.erase(at);
    const QString& caption = link->caption_;
    const bool shared = std::any_of(links_.begin(), links_.end(), [&](const HyperlinkLabel* other) {
        return other->caption_ == caption;
    });
    if (shared) return;
    if (containsCaption(notVisited_, caption)) {
        removeCaption(notVisited_, caption);
    } else {
        removeCaption(visited_, caption);
    }
}

void LinkRegistry::visitedChanged(HyperlinkLabel* link) {
    const QString caption = link->caption_;
    const bool visited = link->visited_;
    if (caption.isEmpty()) return;
    if (!isRegistered(link)) registerLink(link);
    link->visited_ = visited;
    if (visited) {
        addCaption(visited_, caption);
        removeCaption(notVisited_, caption);
    } else {
        addCaption(notVisited_, caption);
        removeCaption(visited_, caption);
    }
    link->refresh();
    syncLinks();
}

void LinkRegistry::captionChanging(HyperlinkLabel* link, const QString& newCaption) {
    const QString oldCaption = link->caption_;
    const bool visited = link->visited_;
    if (!isRegistered(link)) registerLink(link);
    link->visited_ = visited;
    if (!oldCaption.isEmpty()) {
        const bool shared =
            std::any_of(links_.begin(), links_.end(), [&](const HyperlinkLabel* other) {
                return other != link && other->caption_ == oldCaption;
            });
        if (!shared) {
            removeCaption(visited_, oldCaption);
            removeCaption(notVisited_, oldCaption);
        }
    }
    if (visited) {
        addCaption(visited_, newCaption);
        removeCaption(notVisited_, newCaption);
    } else {
        removeCaption(visited_, newCaption);
        addCaption(notVisited_, newCaption);
    }
    link->refresh();
    syncLinks();
}

void LinkRegistry::syncLinks() {
    // By index: the setters re-enter here and may register links.
    for (std::size_t i = 0; i < links_.size(); ++i) {
        HyperlinkLabel* link = links_[i];
        const QString caption = link->caption_;
        if (caption.isEmpty()) continue;
        if (containsCaption(visited_, caption)) {
            if (!link->visited_) link->setVisited(true);
        } else if (containsCaption(notVisited_, caption)) {
            if (link->visited_) link->setVisited(false);
        } else {
            registerLink(link);
        }
    }
}

void LinkRegistry::openLink(HyperlinkLabel* link) {
    bool proceed = true;
    if (link->beforeOpen_) {
        link->beforeOpen_(link, proceed);
        if (!proceed) return;
    }
    if (link->opening_) {
        link->opening_(link, proceed);
        if (!proceed) return;
    }
    const QString target = link->launchTarget();
    const QString program = typeApplication(link->linkType_);
    int result = kLaunchInvalidTarget;
    if (isValidLaunchTarget(target)) result = launch(program, target);
    if (result > 32) {
        link->setVisited(true);
        link->refresh();
    }
    if (link->afterOpen_) link->afterOpen_(link, result);
}

std::unique_ptr<QFileDialog> LinkRegistry::createChooser() const {
    auto chooser = std::make_unique<QFileDialog>(nullptr);
    chooser->setOption(QFileDialog::DontUseNativeDialog);
    chooser->setWindowTitle(Text::tr(kChooserTitle));
    chooser->setAcceptMode(QFileDialog::AcceptOpen);
    chooser->setFileMode(QFileDialog::ExistingFile);
    // Programs carry no extension here: the first filter lists folders and
    // executable files. The file model would read QDir::Executable alone as
    // "hide whatever is readable or writable"; with all three permission
    // flags it hides nothing, and the proxy picks the programs.
    const QString programs = Text::tr("Applications (*)");
    chooser->setNameFilters({programs, Text::tr("All files (*)")});
    chooser->selectNameFilter(programs);
    const QDir::Filters anyFile = QDir::AllDirs | QDir::Files | QDir::NoDot;
    const QDir::Filters anyProgram = anyFile | QDir::PermissionMask;
    chooser->setFilter(anyProgram);
    QFileDialog* dialog = chooser.get();
    auto* filter = new ProgramFilter(dialog);
    chooser->setProxyModel(filter);
    QObject::connect(dialog, &QFileDialog::filterSelected, dialog,
                     [dialog, filter, programs, anyFile, anyProgram](const QString& chosen) {
                         const bool programsOnly = chosen == programs;
                         dialog->setFilter(programsOnly ? anyProgram : anyFile);
                         filter->setProgramsOnly(programsOnly);
                     });
    const QString bin = QStringLiteral("/usr/bin");
    chooser->setDirectory(QDir(bin).exists() ? bin : QDir::currentPath());
    return chooser;
}

void LinkRegistry::chooseApplication(HyperlinkLabel* link) {
    const LinkType type = link->linkType_;
    auto chooser = createChooser();
    if (chooser->exec() != QDialog::Accepted) return;
    const QStringList chosen = chooser->selectedFiles();
    if (!chosen.isEmpty() && !chosen.first().isEmpty()) setTypeApplication(type, chosen.first());
}

std::unique_ptr<QDialog> LinkRegistry::createLinkProperties(HyperlinkLabel* link) const {
    return std::make_unique<LinkProperties>(*link, typeApplication(link->linkType()));
}

void LinkRegistry::showLinkProperties(HyperlinkLabel* link) {
    auto window = createLinkProperties(link);
    window->exec();
}

QString LinkRegistry::typeApplication(LinkType type) const {
    return typeApplications_[static_cast<std::size_t>(type)];
}

QString LinkRegistry::setTypeApplication(LinkType type, const QString& path) {
    QString& program = typeApplications_[static_cast<std::size_t>(type)];
    QString previous = program;
    program = path;
    return previous;
}

void LinkRegistry::saveCaptionList(bool notVisited, const QString& fileName) {
    const QStringList& captions = notVisited ? notVisited_ : visited_;
    QFile file(fileName);
    bool ok = file.open(QIODevice::WriteOnly | QIODevice::Truncate);
    for (const QString& caption : captions) {
        if (!ok) break;
        ok = file.write(caption.toLocal8Bit() + "\r\n") >= 0;
    }
    if (ok) ok = file.flush();
    file.close();
    if (!ok) {
        showMessage(Text::tr(kSaveFailedMessage) + fileName);
        throw std::runtime_error(Text::tr(kSaveFileError).toStdString());
    }
}

void LinkRegistry::resetVisited() {
    while (!visited_.isEmpty()) {
        const QString caption = visited_.first();
        notVisited_.append(caption);
        visited_.removeFirst();
        syncLinks();
    }
}

}  // namespace ottomix
