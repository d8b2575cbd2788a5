// The progress window as a cipher job and its user meet it.
#include "ui/progress_window.h"

#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QLabel>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTextDocument>
#include <QThread>
#include <QTimer>
#include <cmath>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <vector>

#include "core/cipher_job.h"
#include "tests/ui/layout_check.h"
#include "ui/job_runner.h"

using ottomix::ProgressWindow;

namespace {

const std::string kEncrypted = "File Successfully Encrypted!";
const std::string kDecrypted = "File Successfully Decrypted!";

// Records what the window shows at the moment the job reports its end, and
// that every notification came on the window's own thread.
class WatchedWindow : public ProgressWindow {
  public:
    std::int64_t positionAtEnd = -1;
    std::int64_t maximumAtEnd = -1;
    int barValueAtEnd = -1;
    int progressCalls = 0;

    void reset() override {
        QCOMPARE(QThread::currentThread(), thread());
        ProgressWindow::reset();
    }
    void progressed(std::uint64_t done) override {
        QCOMPARE(QThread::currentThread(), thread());
        ++progressCalls;
        ProgressWindow::progressed(done);
    }
    void finished() override {
        QCOMPARE(QThread::currentThread(), thread());
        positionAtEnd = position();
        maximumAtEnd = maximum();
        barValueAtEnd = progressBar()->value();
        ProgressWindow::finished();
    }
};

// Runs `request` as the program does, on a worker thread reporting to
// `window`, and returns once the job has ended.
ottomix::JobResult runJob(const ottomix::JobRequest& request, ottomix::JobProgress& window) {
    ottomix::JobRunner runner;
    ottomix::JobResult result;
    QEventLoop loop;
    QObject::connect(&runner, &ottomix::JobRunner::finished,
                     [&](const ottomix::JobResult& r, double) {
                         result = r;
                         loop.quit();
                     });
    if (!runner.start(request, &window, 0.0)) return result;
    if (runner.start(request, &window, 0.0)) qFatal("a second job started beside the first");
    loop.exec();
    return result;
}

void writeFile(const QString& path, std::size_t bytes) {
    std::ofstream out(path.toStdString(), std::ios::binary);
    for (std::size_t i = 0; i < bytes; ++i) out.put(static_cast<char>('a' + i % 26));
}

// What a label or tooltip shows of `text`: rich text is rendered, other text kept.
QString shown(const QString& text, Qt::TextFormat format = Qt::AutoText) {
    if (format == Qt::PlainText || (format == Qt::AutoText && !Qt::mightBeRichText(text))) {
        return text;
    }
    QTextDocument document;
    document.setHtml(text);
    return document.toPlainText();
}

// Acts on the window once the transform pass has begun.
class ActingWindow : public ProgressWindow {
  public:
    std::function<void(ActingWindow&)> onStarted;
    void started(const std::string& caption, std::int64_t total) override {
        ProgressWindow::started(caption, total);
        if (onStarted) QTimer::singleShot(0, this, [this] { onStarted(*this); });
    }
};

// A binary Encrypt of a 1 GiB input (sparse: quick to make, a while to
// read and write) over an earlier "encrypt.exe", stoppable from the window.
struct StoppableJob {
    QTemporaryDir dir;
    ottomix::StopFlag stop{0};

    StoppableJob() {
        std::ofstream(path("encrypt.exe"), std::ios::binary) << "earlier";
        std::ofstream big(path("in.dat"), std::ios::binary);
        big.seekp((std::int64_t{1} << 30) - 1);
        big.put('x');
    }
    std::string path(const char* name) const { return dir.filePath(name).toStdString(); }
    // Into /dev/null for a job that is to run to its end.
    ottomix::JobResult run(ProgressWindow& window, bool toTheEnd = false) {
        QObject::connect(&window, &ProgressWindow::cancelRequested,
                         [this] { stop.store(ottomix::kStopCancelled); });
        ottomix::JobRequest request;
        request.mode = ottomix::Mode::Binary;
        request.input = path("in.dat");
        request.output = toTheEnd ? "/dev/null" : path("encrypt.exe");
        request.stop = &stop;
        return runJob(request, window);
    }
    std::string output() const {
        std::ifstream in(path("encrypt.exe"), std::ios::binary);
        return {std::istreambuf_iterator<char>(in), {}};
    }
    QStringList hiddenFiles() const {
        return QDir(dir.path()).entryList({QStringLiteral(".*")}, QDir::Hidden | QDir::Files);
    }
};

bool barIsFull(const ProgressWindow& window) {
    return window.progressBar()->value() == window.progressBar()->maximum() &&
           window.position() == window.maximum();
}

}  // namespace

class ProgressWindowTest : public QObject {
    Q_OBJECT

  private slots:
    void firstJobThenSecondJobCarryTheStatus();
    void captionsFitTheWindow();
    void realJobsStandAtNOfNPlusOneBeforeFinished_data();
    void realJobsStandAtNOfNPlusOneBeforeFinished();
    void emptyInputEndsFull();
    void totalsBeyond2GiBFillTheBarOnce();
    void progressComesAtDisplayRate();
    void okCloseBoxAndEnterHide();
    void placementIsKeptBetweenShowings();
    void failedJobSaysSoAndTheNextJobRecovers();
    void realJobThatCannotCreateItsOutputFails();
    void realJobFailingMidwayStopsTheBarThere();
    void failureTextWithMarkupIsShownAsWritten();
    void escapeOrCloseBoxCancelsTheRunningJob_data();
    void escapeOrCloseBoxCancelsTheRunningJob();
    void okDuringAJobHidesTheWindowWhenItEnds();
};

void ProgressWindowTest::firstJobThenSecondJobCarryTheStatus() {
    ProgressWindow window;
    QVERIFY(!window.isVisible());
    QCOMPARE(window.windowTitle(), QStringLiteral("Working..."));
    QVERIFY(!window.okButton()->isVisible());

    window.reset();
    QCOMPARE(window.maximum(), 0);
    QVERIFY(!window.isVisible());  // the counting pass runs unseen
    window.started(kEncrypted, 11);
    QVERIFY(window.isVisible());
    QCOMPARE(window.captionLabel()->text().toStdString(), kEncrypted);
    QCOMPARE(window.statusLabel()->text(), QStringLiteral("Processing"));
    QVERIFY(window.okButton()->isHidden());
    QCOMPARE(window.maximum(), 11);
    QCOMPARE(window.position(), 0);
    window.progressed(10);
    QCOMPARE(window.position(), 10);
    QVERIFY(window.progressBar()->value() < window.progressBar()->maximum());
    QCOMPARE(window.statusLabel()->text(), QStringLiteral("Processing"));
    window.finished();
    QCOMPARE(window.statusLabel()->text(), QStringLiteral("Complete"));
    QVERIFY(barIsFull(window));
    QVERIFY(window.okButton()->isVisible());

    // A second job while the window is still up: Reset empties the bar only.
    window.reset();
    QCOMPARE(window.position(), 0);
    QCOMPARE(window.maximum(), 0);
    QCOMPARE(window.progressBar()->value(), 0);
    QCOMPARE(window.captionLabel()->text().toStdString(), kEncrypted);
    QCOMPARE(window.statusLabel()->text(), QStringLiteral("Complete"));
    QVERIFY(window.okButton()->isVisible());
    QVERIFY(window.isVisible());

    window.started(kDecrypted, 5);
    QCOMPARE(window.captionLabel()->text().toStdString(), kDecrypted);
    QCOMPARE(window.statusLabel()->text(), QStringLiteral("Complete"));
    QVERIFY(window.okButton()->isVisible());
    QCOMPARE(window.progressBar()->value(), 0);
    window.progressed(2);
    QCOMPARE(window.position(), 2);
    QVERIFY(window.progressBar()->value() > 0);
    window.finished();
    QVERIFY(barIsFull(window));
    QCOMPARE(window.statusLabel()->text(), QStringLiteral("Complete"));
}

void ProgressWindowTest::captionsFitTheWindow() {
    ProgressWindow window;
    window.reset();
    window.started(kDecrypted, 2);
    // Labels grow to their text: the longest caption and status still fit.
    QCOMPARE(ottomix::test::layoutFaults(&window).join('\n'), QString());
    window.finished();
    QCOMPARE(ottomix::test::layoutFaults(&window).join('\n'), QString());
}

void ProgressWindowTest::realJobsStandAtNOfNPlusOneBeforeFinished_data() {
    QTest::addColumn<int>("bytes");
    QTest::addColumn<bool>("text");
    QTest::newRow("binary 100000") << 100000 << false;
    QTest::newRow("text 100000") << 100000 << true;
    QTest::newRow("binary 7") << 7 << false;
}

void ProgressWindowTest::realJobsStandAtNOfNPlusOneBeforeFinished() {
    QFETCH(int, bytes);
    QFETCH(bool, text);
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    writeFile(dir.filePath("in.dat"), static_cast<std::size_t>(bytes));

    WatchedWindow window;
    ottomix::JobRequest request;
    request.mode = text ? ottomix::Mode::Text : ottomix::Mode::Binary;
    request.input = dir.filePath("in.dat").toStdString();
    request.output = dir.filePath("out.dat").toStdString();
    const ottomix::JobResult result = runJob(request, window);
    QVERIFY2(result.ok(), result.describe().c_str());

    QCOMPARE(window.maximumAtEnd, bytes + 1);
    QCOMPARE(window.positionAtEnd, bytes);
    QVERIFY(window.barValueAtEnd < window.progressBar()->maximum());
    QVERIFY(barIsFull(window));
    QCOMPARE(window.statusLabel()->text(), QStringLiteral("Complete"));
    QVERIFY(window.okButton()->isVisible());
}

void ProgressWindowTest::emptyInputEndsFull() {
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    writeFile(dir.filePath("empty"), 0);
    WatchedWindow window;
    ottomix::JobRequest request;
    request.mode = ottomix::Mode::Binary;
    request.input = dir.filePath("empty").toStdString();
    request.output = dir.filePath("out").toStdString();
    QVERIFY(runJob(request, window).ok());
    QCOMPARE(window.maximumAtEnd, 1);
    QCOMPARE(window.positionAtEnd, 0);
    QCOMPARE(window.maximum(), 1);
    QCOMPARE(window.position(), 1);
    QVERIFY(barIsFull(window));
    QCOMPARE(window.statusLabel()->text(), QStringLiteral("Complete"));
    QVERIFY(window.okButton()->isVisible());
}

void ProgressWindowTest::totalsBeyond2GiBFillTheBarOnce() {
    ProgressWindow window;
    const std::int64_t total = 5'000'000'000;  // a file of about 4.7 GiB
    window.reset();
    window.started(kEncrypted, total);
    QCOMPARE(window.maximum(), total);
    const int max = window.progressBar()->maximum();
    QVERIFY(max > 1'000'000);
    QCOMPARE(window.progressBar()->value(), 0);

    // Told in 1000 blocks, as a job tells it: the scaled bar keeps up.
    int last = 0;
    for (std::int64_t block = 1; block <= 1000; ++block) {
        const std::int64_t done = (total - 1) * block / 1000;
        window.progressed(static_cast<std::uint64_t>(done));
        const int value = window.progressBar()->value();
        QVERIFY2(value >= last, "the bar went back");
        last = value;
        const double shown = static_cast<double>(value) / max;
        QVERIFY(std::abs(static_cast<double>(done) / static_cast<double>(total) - shown) < 0.001);
    }
    QCOMPARE(window.position(), total - 1);
    QVERIFY(last < max);
    window.finished();
    QVERIFY(barIsFull(window));
    QCOMPARE(window.position(), total);
}

// A 1 GiB job: the window hears of its progress about 40 times a second,
// from its own thread, not once per block.
void ProgressWindowTest::progressComesAtDisplayRate() {
    StoppableJob job;
    QVERIFY(job.dir.isValid());
    WatchedWindow window;
    QElapsedTimer clock;
    clock.start();
    QVERIFY(job.run(window, true).ok());
    const double seconds = static_cast<double>(clock.elapsed()) / 1000.0;
    QVERIFY2(window.progressCalls <= 60 * seconds + 3,
             qPrintable(QStringLiteral("%1 calls in %2 s").arg(window.progressCalls).arg(seconds)));
    QCOMPARE(window.positionAtEnd, std::int64_t{1} << 30);
    QVERIFY(barIsFull(window));
}

void ProgressWindowTest::okCloseBoxAndEnterHide() {
    ProgressWindow window;
    QPointer<ProgressWindow> alive(&window);
    window.reset();
    window.started(kEncrypted, 3);
    window.finished();
    QVERIFY(window.isVisible());
    QTest::mouseClick(window.okButton(), Qt::LeftButton);
    QVERIFY(!window.isVisible());
    // Hiding changes nothing else.
    QCOMPARE(window.statusLabel()->text(), QStringLiteral("Complete"));
    QVERIFY(barIsFull(window));

    window.reset();
    window.started(kDecrypted, 3);
    QVERIFY(window.isVisible());
    QVERIFY(window.okButton()->isVisible());  // from the second job on
    // While the job runs the close box asks for it to be cancelled; the
    // window stays to show how it ended. Afterwards it hides as OK does.
    QSignalSpy cancel(&window, &ProgressWindow::cancelRequested);
    window.close();
    QCOMPARE(cancel.count(), 1);
    QVERIFY(window.isVisible());
    window.cancelled("Decryption Cancelled");
    window.close();
    QVERIFY(!window.isVisible());
    QCOMPARE(cancel.count(), 1);
    QVERIFY(!alive.isNull());

    window.reset();
    window.started(kDecrypted, 3);
    window.finished();
    window.okButton()->setFocus();
    QTest::keyClick(window.okButton(), Qt::Key_Return);
    QVERIFY(!window.isVisible());
}

void ProgressWindowTest::placementIsKeptBetweenShowings() {
    ProgressWindow window;
    window.reset();
    window.started(kEncrypted, 2);
    QCOMPARE(window.pos(), QPoint(227, 193));
    QCOMPARE(window.size(), QSize(368, 132));
    QVERIFY(!(window.windowFlags() & Qt::WindowMaximizeButtonHint));
    QVERIFY(window.windowFlags() & Qt::WindowMinimizeButtonHint);
    window.move(400, 300);
    window.finished();
    window.okButton()->click();
    QVERIFY(!window.isVisible());
    window.reset();
    window.started(kEncrypted, 2);
    QVERIFY(window.isVisible());
    QCOMPARE(window.pos(), QPoint(400, 300));
}

void ProgressWindowTest::failedJobSaysSoAndTheNextJobRecovers() {
    ProgressWindow window;
    const std::string message =
        "Cannot write file /a/rather/long/directory/name/that/does/not/fit/the/window/"
        "encrypt.exe: No space left on device";
    window.reset();
    window.started(kEncrypted, 1001);
    window.progressed(500);
    window.failed("Encryption Failed", message);
    QCOMPARE(window.captionLabel()->text(), QStringLiteral("Encryption Failed"));
    QCOMPARE(window.statusLabel()->text(), QStringLiteral("Failed"));
    QVERIFY(window.failureLabel()->isVisible());
    QVERIFY(window.failureLabel()->text().endsWith(QStringLiteral("No space left on device")));
    QVERIFY(window.failureLabel()->geometry().right() < window.okButton()->x());
    QVERIFY(window.failureLabel()->geometry().bottom() < window.statusLabel()->y());
    QVERIFY(window.failureLabel()->geometry().top() > window.progressBar()->geometry().bottom());
    QCOMPARE(window.failureLabel()->toolTip().toStdString(), message);
    QCOMPARE(window.position(), 500);
    QVERIFY(window.progressBar()->value() < window.progressBar()->maximum());
    QVERIFY(window.okButton()->isVisible());
    // Progress after the failure does not move the bar.
    window.progressed(1100);
    QVERIFY(window.progressBar()->value() < window.progressBar()->maximum());

    // No job has completed yet, so the next one runs as "Processing".
    window.reset();
    window.started(kEncrypted, 10);
    QCOMPARE(window.statusLabel()->text(), QStringLiteral("Processing"));
    QVERIFY(window.failureLabel()->isHidden());
    QCOMPARE(window.captionLabel()->text().toStdString(), kEncrypted);
    QVERIFY(window.okButton()->isVisible());  // shown once, it stays
    window.finished();

    // A failure after a completed job, and the job after it.
    window.reset();
    window.started(kDecrypted, 1);
    window.failed("Decryption Failed", "Cannot open file x");
    QCOMPARE(window.captionLabel()->text(), QStringLiteral("Decryption Failed"));
    QCOMPARE(window.statusLabel()->text(), QStringLiteral("Failed"));
    QCOMPARE(window.progressBar()->value(), 0);  // an empty input that failed is not full
    window.reset();
    window.started(kDecrypted, 1);
    QCOMPARE(window.statusLabel()->text(), QStringLiteral("Complete"));
}

void ProgressWindowTest::realJobThatCannotCreateItsOutputFails() {
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    writeFile(dir.filePath("in.txt"), 1000);
    WatchedWindow window;
    ottomix::JobRequest request;
    request.input = dir.filePath("in.txt").toStdString();
    request.output = dir.filePath("no/such/dir/encrypt.txt").toStdString();
    const ottomix::JobResult result = runJob(request, window);
    QVERIFY(!result.ok());
    QCOMPARE(window.maximumAtEnd, -1);  // Finished never came
    QVERIFY(window.isVisible());
    QCOMPARE(window.statusLabel()->text(), QStringLiteral("Failed"));
    QVERIFY(window.failureLabel()->toolTip().contains(QStringLiteral("Cannot create file")));
    QVERIFY(!barIsFull(window));
    QVERIFY(window.okButton()->isVisible());
}

void ProgressWindowTest::realJobFailingMidwayStopsTheBarThere() {
    // Writes to /dev/full fail once the writer passes its first buffer on.
    if (!QFile::exists(QStringLiteral("/dev/full"))) QSKIP("no /dev/full");
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    writeFile(dir.filePath("in.dat"), 300000);
    WatchedWindow window;
    ottomix::JobRequest request;
    request.mode = ottomix::Mode::Binary;
    request.input = dir.filePath("in.dat").toStdString();
    request.output = "/dev/full";
    QVERIFY(!runJob(request, window).ok());
    QCOMPARE(window.maximumAtEnd, -1);  // Finished never came
    QCOMPARE(window.maximum(), 300001);
    QVERIFY(window.position() > 0 && window.position() < 300000);
    QVERIFY(window.progressBar()->value() < window.progressBar()->maximum());
    QCOMPARE(window.statusLabel()->text(), QStringLiteral("Failed"));
    QVERIFY(
        window.failureLabel()->toolTip().contains(QStringLiteral("Cannot write file /dev/full")));
    QVERIFY(window.okButton()->isVisible());
}

void ProgressWindowTest::failureTextWithMarkupIsShownAsWritten() {
    // File names are the user's: markup in them is text, not formatting.
    ProgressWindow window;
    const QString message = QStringLiteral("Cannot open file /tmp/<b>notes</b> & <i>x</i>.txt");
    window.reset();
    window.started(kEncrypted, 10);
    window.failed("Encryption Failed", message.toStdString());
    QCOMPARE(shown(window.failureLabel()->text(), window.failureLabel()->textFormat()), message);
    QCOMPARE(shown(window.failureLabel()->toolTip()), message);
    QCOMPARE(shown(window.statusLabel()->toolTip()), message);
}

void ProgressWindowTest::escapeOrCloseBoxCancelsTheRunningJob_data() {
    QTest::addColumn<bool>("escape");
    QTest::newRow("Escape") << true;
    QTest::newRow("close box") << false;
}

void ProgressWindowTest::escapeOrCloseBoxCancelsTheRunningJob() {
    QFETCH(bool, escape);
    StoppableJob job;
    QVERIFY(job.dir.isValid());
    ActingWindow window;
    window.onStarted = [escape](ActingWindow& w) {
        if (escape) {
            QTest::keyClick(&w, Qt::Key_Escape);
        } else {
            w.close();
        }
    };
    const ottomix::JobResult result = job.run(window);
    QCOMPARE(result.status, ottomix::JobStatus::Stopped);
    QCOMPARE(result.stoppedBy, static_cast<int>(ottomix::kStopCancelled));
    QVERIFY(window.isVisible());
    QCOMPARE(window.captionLabel()->text(), QStringLiteral("Encryption Cancelled"));
    QCOMPARE(window.statusLabel()->text(), QStringLiteral("Cancelled"));
    QVERIFY(window.okButton()->isVisible());
    QVERIFY(window.position() < window.maximum());
    QVERIFY(!barIsFull(window));
    QCOMPARE(job.output(), std::string("earlier"));
    QCOMPARE(job.hiddenFiles(), QStringList());
    // Outside a job the close box hides the window again.
    window.close();
    QVERIFY(!window.isVisible());
}

void ProgressWindowTest::okDuringAJobHidesTheWindowWhenItEnds() {
    StoppableJob job;
    QVERIFY(job.dir.isValid());
    ActingWindow window;
    window.reset();
    window.started(kEncrypted, 1);
    window.finished();  // a first job: OK is shown from now on
    bool visibleAfterClick = false;
    window.onStarted = [&](ActingWindow& w) {
        QTest::mouseClick(w.okButton(), Qt::LeftButton);
        visibleAfterClick = w.isVisible();
    };
    QVERIFY(job.run(window, true).ok());
    QVERIFY(visibleAfterClick);
    QVERIFY(!window.isVisible());
}

QTEST_MAIN(ProgressWindowTest)
#include "progress_window_test.moc"
