// The progress window: the receiver of every cipher job's course.
#pragma once

#include <QWidget>
#include <cstdint>
#include <string>

#include "core/job_progress.h"

class QLabel;
class QProgressBar;
class QPushButton;

namespace ottomix {

class CountingProgressBar;

// Created hidden once at start-up and kept for the whole run: it is shown by
// started() only and hidden (never destroyed) by OK or the close box, so what
// it shows carries over from one job to the next.
//
// While a job runs, Escape and the close box ask for it to be cancelled.
class ProgressWindow : public QWidget, public JobProgress {
    Q_OBJECT

  public:
    explicit ProgressWindow(QWidget* parent = nullptr);
    ~ProgressWindow() override;

    // JobProgress
    void reset() override;
    void started(const std::string& caption, std::int64_t total) override;
    void finished() override;
    void failed(const std::string& caption, const std::string& message) override;
    void cancelled(const std::string& caption) override;
    void progressed(std::uint64_t done) override;

    // The job that reset() began is over: its end notification came, or it
    // returned without one (nothing selected, an input that cannot be read).
    void jobEnded();
    bool isJobRunning() const { return jobRunning_; }

    // The bar's state in job terms (bytes), independent of how it is drawn.
    // The bar shows the job's progress as it was last told.
    std::int64_t maximum() const { return maximum_; }
    std::int64_t position() const;
    // How often the bar has been painted since the window was made.
    int barPaintCount() const;

    // The job's caption ("File Successfully Encrypted!"), large, at the top.
    QLabel* captionLabel() const { return captionLabel_; }
    // "Status:" and the status beside it ("Processing", "Complete", "Failed"...).
    QLabel* statusCaption() const { return statusCaption_; }
    QLabel* statusLabel() const { return statusLabel_; }
    QProgressBar* progressBar() const;
    // Hides the window; shown from the first job's end on.
    QPushButton* okButton() const { return okButton_; }
    // The reason of a failed job, under the bar; hidden otherwise.
    QLabel* failureLabel() const { return failureLabel_; }

  signals:
    // Escape or the close box while a job runs.
    void cancelRequested();

  protected:
    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

  private:
    // Sets the bar to `done` bytes of the total.
    void showBar(std::uint64_t done);
    void showFailure();
    // OK: hides the window, or, during a job, once the job has ended.
    void okClicked();

    QLabel* captionLabel_;
    QLabel* statusCaption_;
    QLabel* statusLabel_;
    CountingProgressBar* progressBar_;
    QPushButton* okButton_;
    QLabel* failureLabel_;
    std::int64_t maximum_ = 100;
    std::uint64_t total_ = 1;  // maximum_, at least 1, for the arithmetic
    int shift_ = 0;            // total_ >> shift_ fits the bar's int range
    std::uint64_t done_ = 0;   // bytes done, as last told
    bool running_ = false;     // between started() and the job's end notification
    bool jobRunning_ = false;  // between reset() and jobEnded()
    bool hideWhenJobEnds_ = false;
    QString status_;  // what statusLabel_ reads while no failure is shown
    QString failure_;
};

}  // namespace ottomix
