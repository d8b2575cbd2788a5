// Shared set-up of the browser tests: a temporary directory tree, a private
// file-system layer (optionally with a mount table given as text), the three
// controls laid out and connected as the main window does it, and a record
// of the failure boxes shown.
#pragma once

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QApplication>
#include <QCoreApplication>
#include <QWidget>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "ui/browser/browser_error.h"
#include "ui/browser/browser_wiring.h"
#include "ui/browser/directory_tree.h"
#include "ui/browser/drive_selector.h"
#include "ui/browser/file_list.h"
#include "ui/browser/file_system.h"

namespace ottomix {

// The text of every failure box shown, full stop and all.
std::vector<std::string>& ShownFailures();

inline std::string Cwd() {
    return FileSystem().currentDirectory();
}

// Lets queued calls run: a failure box waits for the event loop.
inline void RunPostedEvents() {
    QCoreApplication::processEvents();
}

// A parent with the main window's font: 8-point sans at 96 dpi.
inline std::unique_ptr<QWidget> MainWindowLike() {
    auto window = std::make_unique<QWidget>();
    QFont font(QStringLiteral("Liberation Sans"));
    font.setPixelSize(11);
    window->setFont(font);
    return window;
}

class BrowserTest : public ::testing::Test {
  protected:
    void SetUp() override {
        saved_cwd_ = Cwd();
        char pattern[] = "/tmp/ottomix-browser-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        char real[PATH_MAX];
        ASSERT_NE(realpath(pattern, real), nullptr);
        root_ = real;
        ShownFailures().clear();
        UseFileSystem(FileSystem::Options{});
    }
    void TearDown() override {
        window_.reset();
        FileSystem::install(previous_fs_);
        ASSERT_EQ(chdir(saved_cwd_.c_str()), 0);
        std::filesystem::remove_all(root_);
    }

    void UseFileSystem(FileSystem::Options options) {
        fs_ = std::make_unique<FileSystem>(std::move(options));
        FileSystem* previous = FileSystem::install(fs_.get());
        if (!installed_) previous_fs_ = previous;
        installed_ = true;
    }

    std::string Path(const std::string& relative) const { return root_ + "/" + relative; }
    void MakeDir(const std::string& relative) const {
        std::filesystem::create_directories(Path(relative));
    }
    void MakeFile(const std::string& relative, const std::string& content = "x") const {
        std::ofstream(Path(relative), std::ios::binary) << content;
    }
    void Enter(const std::string& relative) const { ASSERT_EQ(chdir(Path(relative).c_str()), 0); }

    // The main window's browser: tree, list and selector created in that
    // order at their layout positions, connected, then shown.
    void CreateBrowser(const std::string& mask = "*.txt", bool show = true) {
        window_ = MainWindowLike();
        window_->resize(500, 306);
        tree = new DirectoryTree(window_.get());
        tree->setGeometry(40, 24, 201, 129);
        list = new FileList(window_.get());
        list->setGeometry(256, 24, 185, 129);
        list->setMask(mask);
        drives = new DriveSelector(window_.get());
        drives->setGeometry(40, 168, 201, 19);
        connectBrowser(drives, tree, list);
        if (show) window_->show();
    }

    std::vector<std::string> ListRows() const {
        std::vector<std::string> rows;
        for (int i = 0; i < list->count(); ++i) rows.push_back(list->itemName(i));
        return rows;
    }
    std::vector<std::string> TreeRows() const {
        std::vector<std::string> rows;
        for (int i = 0; i < tree->count(); ++i) rows.push_back(tree->itemName(i));
        return rows;
    }

    // The contract with the cipher job: the process sits where the list looks.
    void ExpectCwdMatchesList() const {
        EXPECT_EQ(Cwd(), list->currentDir());
        if (tree != nullptr) {
            EXPECT_EQ(tree->currentDir(), list->currentDir());
        }
    }

    std::string root_;
    std::unique_ptr<QWidget> window_;
    DirectoryTree* tree = nullptr;
    FileList* list = nullptr;
    DriveSelector* drives = nullptr;

  private:
    std::string saved_cwd_;
    std::unique_ptr<FileSystem> fs_;
    FileSystem* previous_fs_ = nullptr;
    bool installed_ = false;
};

}  // namespace ottomix
