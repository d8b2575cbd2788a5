// The main window: the file browser, the mode switch, the cipher buttons, the
// viewer page and the menu.
#pragma once

#include <QMainWindow>
#include <cstdint>
#include <string>

#include "core/cipher_job.h"
#include "core/job_progress.h"

class QAction;
class QGroupBox;
class QLabel;
class QMenu;
class QPushButton;
class QRadioButton;

namespace ottomix {

class AboutWindow;
class DirectoryTree;
class DriveSelector;
class FileList;
class GlyphButton;
class JobStopper;
class ProgressWindow;
class TextViewer;

class MainWindow : public QMainWindow {
    Q_OBJECT

  public:
    static constexpr int kClientWidth = 500;
    static constexpr int kClientHeight = 306;

    explicit MainWindow(QWidget* parent = nullptr);
    ~MainWindow() override;

    // The progress window every job reports to, and the About window; start-up
    // sets both. Without them jobs report nowhere and About does nothing.
    void setProgressWindow(ProgressWindow* progress);
    void setAboutWindow(AboutWindow* about);

    // The client area under the menu bar; the controls' positions count from it.
    QWidget* client() const { return client_; }

    // Text Mode (the start) or Binary Mode.
    bool isTextMode() const { return textMode_; }
    // Byte count + 1 of the last counting pass; a job that counts nothing
    // leaves it as it was.
    double fileSize() const { return fileSize_; }
    void setFileSize(double size) { fileSize_ = size; }

    // The controls of the browser page, in creation order; the viewer and its
    // Ok button take their place on the viewer page.
    QLabel* backgroundImage() const { return backgroundImage_; }
    TextViewer* viewer() const { return viewer_; }
    DirectoryTree* directoryTree() const { return directoryTree_; }
    FileList* fileList() const { return fileList_; }
    DriveSelector* driveSelector() const { return driveSelector_; }
    GlyphButton* exitButton() const { return exitButton_; }
    GlyphButton* encryptButton() const { return encryptButton_; }
    GlyphButton* decryptButton() const { return decryptButton_; }
    QGroupBox* modeGroup() const { return modeGroup_; }
    QRadioButton* textModeButton() const { return textModeButton_; }
    QRadioButton* binaryModeButton() const { return binaryModeButton_; }
    GlyphButton* viewButton() const { return viewButton_; }
    QPushButton* okButton() const { return okButton_; }
    QMenu* systemMenu() const { return systemMenu_; }
    QAction* quitAction() const { return quitAction_; }
    QAction* aboutAction() const { return aboutAction_; }

    // What the user is told after a job (empty text: nothing). Public so the
    // wording can be checked without running a job into a failure.
    struct JobReport {
        QString caption;
        QString text;
    };
    static JobReport describeJob(const JobRequest& request, const JobResult& result,
                                 std::uint64_t lone_cr);

  public slots:
    // The mode switch: the list shows "*.txt" with View, or every file without.
    void selectTextMode();
    void selectBinaryMode();
    // In Text Mode the file the user picks is shown in the viewer.
    void loadSelectedFileIntoViewer();
    // View and the viewer's Ok: the viewer page, or back to the browser.
    void showViewer();
    void showBrowser();
    void encryptSelectedFile();
    void decryptSelectedFile();
    // Exit and System > Quit end the program at once, with status 1.
    void exitProgram();
    void quit();
    void showAbout();

  protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

  private:
    void runJob(Direction direction);
    // The viewer with its Ok button, or the browser page with everything else.
    void showViewerPage(bool viewer);

    QWidget* client_;
    QLabel* backgroundImage_;
    TextViewer* viewer_;
    DirectoryTree* directoryTree_;
    FileList* fileList_;
    DriveSelector* driveSelector_;
    GlyphButton* exitButton_;
    GlyphButton* encryptButton_;
    GlyphButton* decryptButton_;
    QGroupBox* modeGroup_;
    QRadioButton* textModeButton_;
    QRadioButton* binaryModeButton_;
    GlyphButton* viewButton_;
    QPushButton* okButton_;
    QMenu* systemMenu_;
    QAction* quitAction_;
    QAction* aboutAction_;

    bool textMode_ = true;
    double fileSize_ = 0.0;
    JobProgress* progress_;
    NullProgress noProgress_;
    ProgressWindow* progressWindow_ = nullptr;
    JobStopper* stopper_ = nullptr;  // while a job runs
    AboutWindow* about_ = nullptr;
    bool shownBefore_ = false;
};

}  // namespace ottomix
