// The main window: the file browser, the mode switch, the cipher buttons, the
// viewer page and the menu.
#pragma once

#include <QMainWindow>
#include <QPointer>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "core/cipher_job.h"
#include "core/job_progress.h"

class QAction;
class QDragEnterEvent;
class QDragMoveEvent;
class QDropEvent;
class QGroupBox;
class QLabel;
class QMenu;
class QPushButton;
class QRadioButton;
class QShortcut;

namespace ottomix {

class AboutWindow;
class DirectoryTree;
class DriveSelector;
class FileList;
class GlyphButton;
class JobRunner;
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
    // Any receiver will do; the program's own progress window can also cancel.
    void setProgressWindow(JobProgress* progress);
    void setAboutWindow(AboutWindow* about);

    // The client area under the menu bar; the controls' positions count from it.
    QWidget* client() const { return client_; }

    // Text Mode (the start) or Binary Mode.
    bool isTextMode() const { return textMode_; }
    // Byte count + 1 of the last counting pass; a job that counts nothing
    // leaves it as it was.
    std::int64_t progressTotal() const { return progressTotal_; }
    void setProgressTotal(std::int64_t total) { progressTotal_ = total; }

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

    // Opens `path` as a file manager's "Open with" means it. A directory
    // becomes the browser's current directory. A file's directory does, with
    // the file selected, so Encrypt, Decrypt and View act on it; in Text Mode
    // the viewer loads it, as a click on it does. A file Text Mode does not
    // list switches to Binary Mode, which has no viewer page: the browser page
    // comes back then; otherwise the mode stays as it is. A relative path
    // counts from the process's current directory, which is the browser's.
    // Throws std::runtime_error "Cannot open <path>: <reason>" when the path
    // is missing or cannot be entered, names something the file list never
    // shows (hidden files, pipes, devices), or a job is running; nothing
    // changes then. The browser's and the viewer's own errors pass through.
    // Call it once the window has been shown: the lists fill then.
    void openPath(const std::string& path);
    // True from Encrypt or Decrypt until the job's report. Meanwhile the
    // window stays live, but a second job, the mode switch, browsing, drops
    // and openPath() are refused; Escape cancels the job.
    bool isJobRunning() const { return stopper_ != nullptr; }

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
    // Escape, the progress window's Escape and its close box: the running
    // job stops and leaves the earlier output as it was.
    void cancelJob();
    // Exit and System > Quit end the program at once, with status 1.
    void exitProgram();
    void quit();
    void showAbout();

  protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    // A file or directory dropped from a file manager is opened as openPath()
    // opens it; with several, the first counts. Only local files are taken.
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;

  private:
    // Starts a job on the file selected now, into the directory shown now.
    void runJob(Direction direction);
    // The job has returned: the list is read again and the user told.
    void jobFinished(const JobResult& result, std::int64_t progressTotal);
    // What may not change while a job runs is disabled, the pointer shows
    // that a job runs, and the focus goes back where it was afterwards.
    void lockWhileJobRuns(bool locked);
    // Stops a running job, waits for it and reports its end (closing, exiting).
    void stopJobAndWait();
    // The viewer with its Ok button, or the browser page with everything else.
    void showViewerPage(bool viewer);
    // Accepts a drag or drop that offers a local path while no job runs, as
    // a copy or a link (never a move: the source must keep its file); else
    // refuses it. Returns the path when accepted.
    std::optional<std::string> acceptDrop(QDropEvent* event) const;

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
    bool modeToggledInClick_ = false;  // a mode button became checked since its press
    std::int64_t progressTotal_ = 0;
    JobProgress* progress_;
    NullProgress noProgress_;
    std::unique_ptr<JobProgress> jobProgress_;  // the running job's way to progress_
    ProgressWindow* progressWindow_ = nullptr;
    JobRunner* runner_;
    std::unique_ptr<JobStopper> stopper_;  // while a job runs
    JobRequest runningJob_;
    QShortcut* cancelShortcut_;
    QPointer<QWidget> focusBeforeJob_;
    AboutWindow* about_ = nullptr;
    bool shownBefore_ = false;
};

}  // namespace ottomix
