// libFuzzer target for what the viewer makes of a file: the RTF reader, the
// plain-text decoders and the limits, through buildViewerDocument() as
// TextViewer::loadFromFile() calls it. Aborts when the viewer would show more
// lines than its limit allows, leave something out without saying so, or show
// anything but the beginning of what it would show without limits.
#include <QByteArray>
#include <QGuiApplication>
#include <QString>
#include <QTextBlock>
#include <QTextDocument>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "ui/viewer/text_decoding.h"
#include "ui/viewer/text_viewer.h"

namespace {

constexpr qint64 kLines = 50;
constexpr qint64 kRuns = 64;
constexpr QChar kBlockEnd = QChar(0x2029);  // between blocks in toRawText()

[[noreturn]] void fail(const char* what, const QString& shown, const QString& full) {
    std::fprintf(stderr, "viewer_fuzzer: %s\n  shown: %s\n  full:  %s\n", what,
                 qPrintable(shown.left(400)), qPrintable(full.left(400)));
    std::abort();
}

// The line ends the document makes: between its blocks, and line separators.
qsizetype lineEnds(const QTextDocument& doc) {
    return doc.blockCount() - 1 + doc.toRawText().count(QChar(ottomix::kLineSeparator));
}

// Reads `data` as the viewer does, with small limits, and checks the result
// against the same read without limits. `bytes_cut`: the data is the
// beginning of a longer file.
void check(const QByteArray& data, bool bytes_cut) {
    QTextDocument full;
    const ottomix::ViewerLimits unlimited{qint64{1} << 40, qint64{1} << 40, qint64{1} << 40};
    if (ottomix::buildViewerDocument(full, data, false, unlimited) != false)
        fail("cut without limits", QString(), full.toRawText());
    const QString full_text = full.toRawText();

    QTextDocument doc;
    const ottomix::ViewerLimits limits{4096, kLines, kRuns};
    const bool cut = ottomix::buildViewerDocument(doc, data, bytes_cut, limits);
    const QString text = doc.toRawText();

    // At most kLines lines: as many line ends, the one before the note included.
    if (lineEnds(doc) > kLines) fail("more lines than the limit", text, full_text);
    if (bytes_cut && !cut) fail("a cut file without a note", text, full_text);
    if (!cut) {
        // All of it, but for the empty line after the end of the last one.
        if (text != full_text && text + kBlockEnd != full_text &&
            text + QChar(ottomix::kLineSeparator) != full_text)
            fail("something left out without a note", text, full_text);
        return;
    }
    const qsizetype note = text.lastIndexOf(kBlockEnd);
    if (note < 0 || !text.mid(note + 1).startsWith(QLatin1String("[The file ")))
        fail("no note at the end", text, full_text);
    // Only a cut in the bytes may change what comes before it (a broken UTF-8
    // sequence at the end, or the whole text read as Windows-1252).
    if (!bytes_cut && !full_text.startsWith(text.left(note)))
        fail("not the beginning of the document", text, full_text);
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    qputenv("QT_LOGGING_RULES", "qt.qpa.*=false");
    static int app_argc = 1;
    static char* app_argv[] = {(*argv)[0], nullptr};
    (void)argc;
    static QGuiApplication app(app_argc, app_argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    check(bytes, false);
    // The same bytes as the beginning of a longer file, cut anywhere.
    if (size > 1) check(bytes.first(static_cast<qsizetype>(size / 2 + 1)), true);
    return 0;
}
