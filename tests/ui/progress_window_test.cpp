// The progress window as a cipher job and its user meet it.
#include "ui/progress_window.h"

#include <QFile>
#include <QLabel>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTextDocument>
#include <fstream>
#include <string>
#include <vector>

#include "core/cipher_job.h"

using ottomix::TForm4;

namespace {

const std::string kEncrypted = "File Successfully Encrypted!";
const std::string kDecrypted = "File Successfully Decrypted!";

// Records what the window shows at the moment the job reports its end.
class WatchedForm : public TForm4 {
  public:
    std::int64_t position_at_end = -1;
    std::int64_t maximum_at_end = -1;
    int bar_value_at_end = -1;
    int paints_before_end = -1;

    void Finished() override {
        position_at_end = Position();
        maximum_at_end = Maximum();
        bar_value_at_end = ProgressBar1->value();
        paints_before_end = BarPaintCount();
        TForm4::Finished();
    }
};

void WriteFile(const QString& path, std::size_t bytes) {
    std::ofstream out(path.toStdString(), std::ios::binary);
    for (std::size_t i = 0; i < bytes; ++i) out.put(static_cast<char>('a' + i % 26));
}

// What a label or tooltip shows of `text`: rich text is rendered, other text kept.
QString Shown(const QString& text, Qt::TextFormat format = Qt::AutoText) {
    if (format == Qt::PlainText || (format == Qt::AutoText && !Qt::mightBeRichText(text))) {
        return text;
    }
    QTextDocument document;
    document.setHtml(text);
    return document.toPlainText();
}

bool BarIsFull(const TForm4& form) {
    return form.ProgressBar1->value() == form.ProgressBar1->maximum() &&
           form.Position() == form.Maximum();
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
    void barRepaintsPerPixelNotPerStep();
    void okCloseBoxAndEnterHide();
    void placementIsKeptBetweenShowings();
    void failedJobSaysSoAndTheNextJobRecovers();
    void realJobThatCannotCreateItsOutputFails();
    void realJobFailingMidwayStopsTheBarThere();
    void failureTextWithMarkupIsShownAsWritten();
};

void ProgressWindowTest::firstJobThenSecondJobCarryTheStatus() {
    TForm4 form;
    QVERIFY(!form.isVisible());
    QCOMPARE(form.windowTitle(), QStringLiteral("Working..."));
    QVERIFY(!form.Button1->isVisible());

    form.Reset();
    QCOMPARE(form.Maximum(), 0);
    QVERIFY(!form.isVisible());  // the counting pass runs unseen
    form.Started(kEncrypted, 11);
    QVERIFY(form.isVisible());
    QCOMPARE(form.Label1->text().toStdString(), kEncrypted);
    QCOMPARE(form.Label3->text(), QStringLiteral("Processing"));
    QVERIFY(form.Button1->isHidden());
    QCOMPARE(form.Maximum(), 11);
    QCOMPARE(form.Position(), 0);
    for (int i = 0; i < 10; ++i) form.Stepped();
    QCOMPARE(form.Position(), 10);
    QVERIFY(form.ProgressBar1->value() < form.ProgressBar1->maximum());
    QCOMPARE(form.Label3->text(), QStringLiteral("Processing"));
    form.Finished();
    QCOMPARE(form.Label3->text(), QStringLiteral("Complete"));
    QVERIFY(BarIsFull(form));
    QVERIFY(form.Button1->isVisible());

    // A second job while the window is still up: Reset empties the bar only.
    form.Reset();
    QCOMPARE(form.Position(), 0);
    QCOMPARE(form.Maximum(), 0);
    QCOMPARE(form.ProgressBar1->value(), 0);
    QCOMPARE(form.Label1->text().toStdString(), kEncrypted);
    QCOMPARE(form.Label3->text(), QStringLiteral("Complete"));
    QVERIFY(form.Button1->isVisible());
    QVERIFY(form.isVisible());

    form.Started(kDecrypted, 5);
    QCOMPARE(form.Label1->text().toStdString(), kDecrypted);
    QCOMPARE(form.Label3->text(), QStringLiteral("Complete"));
    QVERIFY(form.Button1->isVisible());
    QCOMPARE(form.ProgressBar1->value(), 0);
    form.Stepped();
    form.Stepped();
    QCOMPARE(form.Position(), 2);
    QVERIFY(form.ProgressBar1->value() > 0);
    form.Finished();
    QVERIFY(BarIsFull(form));
    QCOMPARE(form.Label3->text(), QStringLiteral("Complete"));
}

void ProgressWindowTest::captionsFitTheWindow() {
    TForm4 form;
    form.Reset();
    form.Started(kDecrypted, 2);
    // Labels grow to their text from fixed left and top edges.
    QCOMPARE(form.Label1->pos(), QPoint(16, 16));
    const QFontMetrics big(form.Label1->font());
    QCOMPARE(form.Label1->font().pixelSize(), 27);
    QVERIFY(form.Label1->width() >= big.horizontalAdvance(form.Label1->text()));
    QVERIFY2(form.Label1->geometry().right() < form.width(), "caption clipped by the window");
    QVERIFY(form.Label1->geometry().bottom() < form.ProgressBar1->y());
    QVERIFY(form.Label2->geometry().right() < form.Label3->x());
    form.Finished();
    QVERIFY(form.Label3->width() >=
            form.Label3->fontMetrics().horizontalAdvance(QStringLiteral("Complete")));
    QVERIFY(form.Label3->geometry().right() < form.Button1->x());
    QVERIFY(form.Button1->geometry().bottom() < form.height());
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
    WriteFile(dir.filePath("in.dat"), static_cast<std::size_t>(bytes));

    WatchedForm form;
    ottomix::JobRequest request;
    request.mode = text ? ottomix::Mode::Text : ottomix::Mode::Binary;
    request.input = dir.filePath("in.dat").toStdString();
    request.output = dir.filePath("out.dat").toStdString();
    double file_size = 0;
    const int paints_before = form.BarPaintCount();
    const ottomix::JobResult result = ottomix::RunCipherJob(request, form, file_size);
    QVERIFY2(result.ok(), result.Describe().c_str());

    QCOMPARE(form.maximum_at_end, bytes + 1);
    QCOMPARE(form.position_at_end, bytes);
    QVERIFY(form.bar_value_at_end < form.ProgressBar1->maximum());
    // The bar moved during the job, without the event loop.
    QVERIFY(form.paints_before_end - paints_before >= std::min(bytes, 50));
    QVERIFY(BarIsFull(form));
    QCOMPARE(form.Label3->text(), QStringLiteral("Complete"));
    QVERIFY(form.Button1->isVisible());
}

void ProgressWindowTest::emptyInputEndsFull() {
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    WriteFile(dir.filePath("empty"), 0);
    WatchedForm form;
    ottomix::JobRequest request;
    request.mode = ottomix::Mode::Binary;
    request.input = dir.filePath("empty").toStdString();
    request.output = dir.filePath("out").toStdString();
    double file_size = 0;
    QVERIFY(ottomix::RunCipherJob(request, form, file_size).ok());
    QCOMPARE(form.maximum_at_end, 1);
    QCOMPARE(form.position_at_end, 0);
    QCOMPARE(form.Maximum(), 1);
    QCOMPARE(form.Position(), 1);
    QVERIFY(BarIsFull(form));
    QCOMPARE(form.Label3->text(), QStringLiteral("Complete"));
    QVERIFY(form.Button1->isVisible());
}

void ProgressWindowTest::totalsBeyond2GiBFillTheBarOnce() {
    TForm4 form;
    const std::int64_t total = 5'000'000'000;  // a file of about 4.7 GiB
    form.Reset();
    form.Started(kEncrypted, total);
    QCOMPARE(form.Maximum(), total);
    const int max = form.ProgressBar1->maximum();
    QVERIFY(max > 1'000'000);
    QCOMPARE(form.ProgressBar1->value(), 0);

    // Drive it as the job does: take the quiet steps at once, then one.
    int last = 0;
    int calls = 0;
    bool half_seen = false;
    while (static_cast<std::int64_t>(form.steps()) < total - 1) {
        const std::uint64_t left = static_cast<std::uint64_t>(total - 1) - form.steps();
        form.AddSteps(std::min(form.StepsBeforeTarget(), left - 1));
        form.Stepped();
        ++calls;
        const int value = form.ProgressBar1->value();
        QVERIFY2(value >= last, "the bar went back");
        QVERIFY(value <= max);
        last = value;
        const double done = static_cast<double>(form.steps()) / static_cast<double>(total);
        const double shown = static_cast<double>(value) / max;
        QVERIFY(done - shown < 0.01);  // never more than a pixel or two behind
        if (!half_seen && done >= 0.5) {
            half_seen = true;
            QVERIFY(shown > 0.49 && shown < 0.51);
        }
        QVERIFY2(calls < 2000, "the window asks to hear of too many steps");
    }
    QVERIFY(half_seen);
    QCOMPARE(form.Position(), total - 1);
    QVERIFY(last < max);
    QVERIFY(static_cast<double>(last) / max > 0.99);
    QVERIFY(calls <= form.ProgressBar1->width());
    form.Finished();
    QVERIFY(BarIsFull(form));
    QCOMPARE(form.Position(), total);
}

void ProgressWindowTest::barRepaintsPerPixelNotPerStep() {
    TForm4 form;
    form.Reset();
    form.Started(kEncrypted, 100'001);
    const int width = form.ProgressBar1->width();
    int paints = form.BarPaintCount();
    for (int i = 0; i < 100'000; ++i) form.Stepped();
    const int during = form.BarPaintCount() - paints;
    QVERIFY2(during <= width + 2, qPrintable(QStringLiteral("%1 paints").arg(during)));
    QVERIFY2(during >= width / 2, "the bar did not move while the job ran");

    // Fewer steps than pixels: every step shows.
    form.Reset();
    form.Started(kEncrypted, 6);
    paints = form.BarPaintCount();
    for (int i = 0; i < 5; ++i) form.Stepped();
    QCOMPARE(form.BarPaintCount() - paints, 5);
}

void ProgressWindowTest::okCloseBoxAndEnterHide() {
    TForm4 form;
    QPointer<TForm4> alive(&form);
    form.Reset();
    form.Started(kEncrypted, 3);
    form.Finished();
    QVERIFY(form.isVisible());
    QTest::mouseClick(form.Button1, Qt::LeftButton);
    QVERIFY(!form.isVisible());
    // Hiding changes nothing else.
    QCOMPARE(form.Label3->text(), QStringLiteral("Complete"));
    QVERIFY(BarIsFull(form));

    form.Reset();
    form.Started(kDecrypted, 3);
    QVERIFY(form.isVisible());
    QVERIFY(form.Button1->isVisible());  // from the second job on
    form.close();
    QVERIFY(!form.isVisible());
    QVERIFY(!alive.isNull());

    form.Reset();
    form.Started(kDecrypted, 3);
    form.Finished();
    form.Button1->setFocus();
    QTest::keyClick(form.Button1, Qt::Key_Return);
    QVERIFY(!form.isVisible());
}

void ProgressWindowTest::placementIsKeptBetweenShowings() {
    TForm4 form;
    form.Reset();
    form.Started(kEncrypted, 2);
    QCOMPARE(form.pos(), QPoint(227, 193));
    QCOMPARE(form.size(), QSize(368, 132));
    QVERIFY(!(form.windowFlags() & Qt::WindowMaximizeButtonHint));
    QVERIFY(form.windowFlags() & Qt::WindowMinimizeButtonHint);
    form.move(400, 300);
    form.Finished();
    form.Button1->click();
    QVERIFY(!form.isVisible());
    form.Reset();
    form.Started(kEncrypted, 2);
    QVERIFY(form.isVisible());
    QCOMPARE(form.pos(), QPoint(400, 300));
}

void ProgressWindowTest::failedJobSaysSoAndTheNextJobRecovers() {
    TForm4 form;
    const std::string message =
        "Cannot write file /a/rather/long/directory/name/that/does/not/fit/the/window/"
        "encrypt.exe: No space left on device";
    form.Reset();
    form.Started(kEncrypted, 1001);
    for (int i = 0; i < 500; ++i) form.Stepped();
    form.Failed("Encryption Failed", message);
    QCOMPARE(form.Label1->text(), QStringLiteral("Encryption Failed"));
    QCOMPARE(form.Label3->text(), QStringLiteral("Failed"));
    QVERIFY(form.Label4->isVisible());
    QVERIFY(form.Label4->text().endsWith(QStringLiteral("No space left on device")));
    QVERIFY(form.Label4->geometry().right() < form.Button1->x());
    QVERIFY(form.Label4->geometry().bottom() < form.Label3->y());
    QVERIFY(form.Label4->geometry().top() > form.ProgressBar1->geometry().bottom());
    QCOMPARE(form.Label4->toolTip().toStdString(), message);
    QCOMPARE(form.Position(), 500);
    QVERIFY(form.ProgressBar1->value() < form.ProgressBar1->maximum());
    QVERIFY(form.Button1->isVisible());
    // Steps after the failure do not move the bar.
    for (int i = 0; i < 600; ++i) form.Stepped();
    QVERIFY(form.ProgressBar1->value() < form.ProgressBar1->maximum());

    // No job has completed yet, so the next one runs as "Processing".
    form.Reset();
    form.Started(kEncrypted, 10);
    QCOMPARE(form.Label3->text(), QStringLiteral("Processing"));
    QVERIFY(form.Label4->isHidden());
    QCOMPARE(form.Label1->text().toStdString(), kEncrypted);
    QVERIFY(form.Button1->isVisible());  // shown once, it stays
    form.Finished();

    // A failure after a completed job, and the job after it.
    form.Reset();
    form.Started(kDecrypted, 1);
    form.Failed("Decryption Failed", "Cannot open file x");
    QCOMPARE(form.Label1->text(), QStringLiteral("Decryption Failed"));
    QCOMPARE(form.Label3->text(), QStringLiteral("Failed"));
    QCOMPARE(form.ProgressBar1->value(), 0);  // an empty input that failed is not full
    form.Reset();
    form.Started(kDecrypted, 1);
    QCOMPARE(form.Label3->text(), QStringLiteral("Complete"));
}

void ProgressWindowTest::realJobThatCannotCreateItsOutputFails() {
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    WriteFile(dir.filePath("in.txt"), 1000);
    WatchedForm form;
    ottomix::JobRequest request;
    request.input = dir.filePath("in.txt").toStdString();
    request.output = dir.filePath("no/such/dir/encrypt.txt").toStdString();
    double file_size = 0;
    const ottomix::JobResult result = ottomix::RunCipherJob(request, form, file_size);
    QVERIFY(!result.ok());
    QCOMPARE(form.maximum_at_end, -1);  // Finished never came
    QVERIFY(form.isVisible());
    QCOMPARE(form.Label3->text(), QStringLiteral("Failed"));
    QVERIFY(form.Label4->toolTip().contains(QStringLiteral("Cannot create file")));
    QVERIFY(!BarIsFull(form));
    QVERIFY(form.Button1->isVisible());
}

void ProgressWindowTest::realJobFailingMidwayStopsTheBarThere() {
    // Writes to /dev/full fail once the writer passes its first buffer on.
    if (!QFile::exists(QStringLiteral("/dev/full"))) QSKIP("no /dev/full");
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    WriteFile(dir.filePath("in.dat"), 300000);
    WatchedForm form;
    ottomix::JobRequest request;
    request.mode = ottomix::Mode::Binary;
    request.input = dir.filePath("in.dat").toStdString();
    request.output = "/dev/full";
    double file_size = 0;
    QVERIFY(!ottomix::RunCipherJob(request, form, file_size).ok());
    QCOMPARE(form.maximum_at_end, -1);  // Finished never came
    QCOMPARE(form.Maximum(), 300001);
    QVERIFY(form.Position() > 0 && form.Position() < 300000);
    QVERIFY(form.ProgressBar1->value() < form.ProgressBar1->maximum());
    QCOMPARE(form.Label3->text(), QStringLiteral("Failed"));
    QVERIFY(form.Label4->toolTip().contains(QStringLiteral("Cannot write file /dev/full")));
    QVERIFY(form.Button1->isVisible());
}

void ProgressWindowTest::failureTextWithMarkupIsShownAsWritten() {
    // File names are the user's: markup in them is text, not formatting.
    TForm4 form;
    const QString message = QStringLiteral("Cannot open file /tmp/<b>notes</b> & <i>x</i>.txt");
    form.Reset();
    form.Started(kEncrypted, 10);
    form.Failed("Encryption Failed", message.toStdString());
    QCOMPARE(Shown(form.Label4->text(), form.Label4->textFormat()), message);
    QCOMPARE(Shown(form.Label4->toolTip()), message);
    QCOMPARE(Shown(form.Label3->toolTip()), message);
}

QTEST_MAIN(ProgressWindowTest)
#include "progress_window_test.moc"
