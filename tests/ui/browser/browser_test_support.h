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
std::vector<std::string>& shownFailures();

inline std::string cwd() {
    return FileSystem().currentDirectory();
}

// Lets queued calls run: a failure box waits for the event loop.
inline void runPostedEvents() {
    QCoreApplication::processEvents();
}

// A parent with the main window's font: 8-point sans at 96 dpi.
inline std::unique_ptr<QWidget> mainWindowLike() {
    auto window = std::make_unique<QWidget>();
    QFont font(QStringLiteral("Liberation Sans"));
    font.setPixelSize(11);
    window->setFont(font);
    return window;
}

class BrowserTest : public ::testing::Test {
  protected:
    void SetUp() override {
        savedCwd_ = cwd();
        char pattern[] = "/tmp/ottomix-browser-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        char real[PATH_MAX];
        ASSERT_NE(realpath(pattern, real), nullptr);
        root_ = real;
        shownFailures().clear();
        useFileSystem(FileSystem::Options{});
    }
    void TearDown() override {
        window_.reset();
        FileSystem::install(previousFs_);
        ASSERT_EQ(chdir(savedCwd_.c_str()), 0);
        std::filesystem::remove_all(root_);
    }

    void useFileSystem(FileSystem::Options options) {
        fs_ = std::make_unique<FileSystem>(std::move(options));
        FileSystem* previous = FileSystem::install(fs_.get());
        if (!installed_) previousFs_ = previous;
        installed_ = true;
    }

    std::string path(const std::string& relative) const { return root_ + "/" + relative; }
    void makeDir(const std::string& relative) const {
        std::filesystem::create_directories(path(relative));
    }
    void makeFile(const std::string& relative, const std::string& content = "x") const {
        std::ofstream(path(relative), std::ios::binary) << content;
    }
    void enter(const std::string& relative) const { ASSERT_EQ(chdir(path(relative).c_str()), 0); }

    // The main window's browser: tree, list and selector created in that
    // order at their layout positions, connected, then shown.
    void createBrowser(const std::string& mask = "*.txt", bool show = true) {
        window_ = mainWindowLike();
        window_->resize(500, 306);
        tree_ = new DirectoryTree(window_.get());
        tree_->setGeometry(40, 24, 201, 129);
        list_ = new FileList(window_.get());
        list_->setGeometry(256, 24, 185, 129);
        list_->setMask(mask);
        drives_ = new DriveSelector(window_.get());
        drives_->setGeometry(40, 168, 201, 19);
        connectBrowser(drives_, tree_, list_);
        if (show) window_->show();
    }

    std::vector<std::string> listRows() const {
        std::vector<std::string> rows;
        for (int i = 0; i < list_->count(); ++i) rows.push_back(list_->itemName(i));
        return rows;
    }
    std::vector<std::string> treeRows() const {
        std::vector<std::string> rows;
        for (int i = 0; i < tree_->count(); ++i) rows.push_back(tree_->itemName(i));
        return rows;
    }

    // The contract with the cipher job: the process sits where the list looks.
    void expectCwdMatchesList() const {
        EXPECT_EQ(cwd(), list_->currentDir());
        if (tree_ != nullptr) {
            EXPECT_EQ(tree_->currentDir(), list_->currentDir());
        }
    }

    std::string root_;
    std::unique_ptr<QWidget> window_;
    DirectoryTree* tree_ = nullptr;
    FileList* list_ = nullptr;
    DriveSelector* drives_ = nullptr;

  private:
    std::string savedCwd_;
    std::unique_ptr<FileSystem> fs_;
    FileSystem* previousFs_ = nullptr;
    bool installed_ = false;
};

}  // namespace ottomix
