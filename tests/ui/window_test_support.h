// What the tests of the windows as a whole share: each of the program's
// windows built as the user meets it, in a folder of sample files.
#pragma once

#include <sys/stat.h>
#include <unistd.h>

#include <QApplication>
#include <QCoreApplication>
#include <QTemporaryDir>
#include <QWidget>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "ui/about_window.h"
#include "ui/browser/file_list.h"
#include "ui/main_window.h"
#include "ui/progress_window.h"
#include "ui/viewer/text_viewer.h"
#include "widgets/links/hyperlink_label.h"
#include "widgets/links/link_registry.h"

namespace ottomix::testing {

// A folder with a few text files and a subfolder, made the process's current
// directory (where the browser starts) for as long as it lives.
class SampleFolder {
  public:
    SampleFolder() {
        char cwd[4096];
        if (::getcwd(cwd, sizeof cwd) != nullptr) oldCwd_ = cwd;
        const std::string root = dir_.path().toStdString();
        for (const char* name : {"ideas.txt", "letter.txt", "notes.txt"})
            std::ofstream(root + "/" + name) << "Dear Anna,\nthe plums were sweet.\n";
        ::mkdir((root + "/Letters").c_str(), 0755);
        if (::chdir(root.c_str()) != 0) ok_ = false;
    }
    ~SampleFolder() {
        if (!oldCwd_.empty()) [[maybe_unused]]
            const int back = ::chdir(oldCwd_.c_str());
    }
    bool ok() const { return ok_ && dir_.isValid(); }
    std::string path(const char* name) const { return dir_.path().toStdString() + "/" + name; }

  private:
    QTemporaryDir dir_;
    std::string oldCwd_;
    bool ok_ = true;
};

// Every window of the program, shown in each state that shows other text:
// the main window's browser and viewer pages, the About window, the progress
// window after a job and after a failed one, and a link's properties.
struct ProgramWindows {
    explicit ProgramWindows(const SampleFolder& folder) {
        main.show();
        QCoreApplication::processEvents();
        main.fileList()->setSelectedRow(1);  // a selected row as well as plain ones

        mainViewer.show();
        QCoreApplication::processEvents();
        mainViewer.viewer()->loadFromFile(folder.path("letter.txt"));
        mainViewer.showViewer();

        about.show();
        progress.reset();
        progress.started("File Successfully Encrypted!", 10);
        progress.finished();
        failed.reset();
        failed.started("File Successfully Encrypted!", 10);
        failed.failed("Encryption Failed!", "Cannot create file encrypt.txt");
        properties = LinkRegistry::instance().createLinkProperties(about.homePageLink());
        properties->show();
        QCoreApplication::processEvents();
    }

    std::vector<QWidget*> all() {
        return {&main, &mainViewer, &about, &progress, &failed, properties.get()};
    }

    MainWindow main;
    MainWindow mainViewer;
    AboutWindow about;
    ProgressWindow progress;
    ProgressWindow failed;
    std::unique_ptr<QDialog> properties;
};

}  // namespace ottomix::testing
