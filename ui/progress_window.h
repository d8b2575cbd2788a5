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
// Started() only and hidden (never destroyed) by OK or the close box, so what
// it shows carries over from one job to the next.
class TForm4 : public QWidget, public JobProgress {
    Q_OBJECT

  public:
    explicit TForm4(QWidget* parent = nullptr);
    ~TForm4() override;

    // JobProgress
    void Reset() override;
    void Started(const std::string& caption, std::int64_t total) override;
    void Finished() override;
    void Failed(const std::string& caption, const std::string& message) override;
    void Cancelled(const std::string& caption) override;

    // The bar's state in job terms (bytes), independent of how it is drawn.
    std::int64_t Maximum() const { return maximum_; }
    std::int64_t Position() const;
    // How often the bar has been painted since the window was made.
    int BarPaintCount() const;

    QLabel* Label1;
    QLabel* Label2;
    QLabel* Label3;
    QProgressBar* ProgressBar1;
    QPushButton* Button1;
    // The reason of a failed job, under the bar; hidden otherwise.
    QLabel* Label4;

  protected:
    // Hears of a step only when the drawn bar is due to change.
    void StepReached() override;
    void keyPressEvent(QKeyEvent* event) override;

  private:
    void Button1Click();
    // Draws the bar at `steps` now, without the event loop.
    void ShowBar(std::uint64_t steps);
    // The step at which the bar's fill reaches its next pixel.
    std::uint64_t NextTarget(std::uint64_t steps) const;
    void ShowFailure();
    void ExposeNow();

    CountingProgressBar* bar_;
    std::int64_t maximum_ = 100;
    std::uint64_t total_ = 1;  // maximum_, at least 1, for the arithmetic
    int shift_ = 0;            // total_ >> shift_ fits the bar's int range
    std::uint64_t width_ = 1;  // pixels the fill can take
    bool running_ = false;
    QString status_;  // what Label3 reads while no failure is shown
    QString failure_;
};

}  // namespace ottomix
