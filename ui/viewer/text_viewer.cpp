#include "ui/viewer/text_viewer.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <algorithm>
#include <cerrno>
#include <memory>

#include "ui/viewer/rtf_reader.h"
#include "ui/viewer/text_decoding.h"

namespace ottomix {

namespace {

// The context of the viewer's texts.
struct Text {
    Q_DECLARE_TR_FUNCTIONS(ottomix::TextViewer)
};

// Reads at most limit + 1 bytes, so the caller can tell a cut file.
QByteArray readFile(const std::string& name, qint64 limit) {
    const int fd = ::open(name.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    if (fd < 0) {
        // The name goes in as the bytes it is; the box shows them as names are shown.
        std::string message = Text::tr("Cannot open file %1").toStdString();
        if (const auto at = message.find("%1"); at != std::string::npos)
            message.replace(at, 2, name);
        throw ViewerError(message);
    }
    struct stat st {};
    // A directory, pipe or device is nothing the viewer can show.
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        throw ViewerError(Text::tr("Failed to Load Stream").toStdString());
    }
    QByteArray data;
    data.resize(static_cast<qsizetype>(std::min<qint64>(st.st_size, limit) + 1));
    qsizetype got = 0;
    while (got < data.size()) {
        const ssize_t r = ::read(fd, data.data() + got, static_cast<size_t>(data.size() - got));
        if (r < 0 && errno == EINTR) continue;
        if (r < 0) {
            ::close(fd);
            throw ViewerError(Text::tr("Failed to Load Stream").toStdString());
        }
        if (r == 0) break;
        got += r;
        // The file grew since fstat: read on, up to the limit.
        if (got == data.size() && got <= limit) data.resize(std::min<qint64>(limit + 1, got * 2));
    }
    ::close(fd);
    data.truncate(got);
    return data;
}

}  // namespace

bool buildViewerDocument(QTextDocument& doc, const QByteArray& data, bool bytesCut,
                         const ViewerLimits& limits) {
    doc.setUndoRedoEnabled(false);
    bool linesCut = false;
    bool runsCut = false;
    if (looksLikeRtf(data)) {
        const RtfCut cut = readRtf(data, doc, limits.lines, limits.runs);
        linesCut = cut == RtfCut::Lines;
        runsCut = cut == RtfCut::Runs;
    } else {
        QString text = decodePlainText(data, bytesCut);
        // The end of the last line allowed; anything after it is left out.
        qsizetype end = -1;
        for (qint64 line = 0; line < limits.lines; ++line) {
            end = text.indexOf(u'\n', end + 1);
            if (end < 0) break;
        }
        if (limits.lines <= 0 || (end >= 0 && end + 1 < text.size())) {
            text.truncate(std::max<qsizetype>(end, 0));
            linesCut = true;
        } else if (bytesCut && text.endsWith(u'\n')) {
            text.chop(1);  // the note starts the next line; an empty one would be one too many
        }
        doc.setPlainText(text);
    }
    if (!bytesCut && !linesCut && !runsCut) return false;

    QTextCursor c(&doc);
    c.movePosition(QTextCursor::End);
    QTextCharFormat note;
    note.setFontItalic(true);
    note.setFontWeight(QFont::Bold);
    note.setForeground(QColor(0x80, 0x00, 0x00));
    QTextBlockFormat block;
    block.setTopMargin(6);
    c.insertBlock(block, note);
    QString what;
    if (linesCut) {
        what = Text::tr("has more than %1 lines").arg(limits.lines);
    } else if (runsCut) {
        what = Text::tr("has more than %1 changes of format").arg(limits.runs);
    } else {
        const qint64 mib = 1024 * 1024;
        what = Text::tr("is longer than %1")
                   .arg(limits.bytes % mib == 0 ? Text::tr("%1 MiB").arg(limits.bytes / mib)
                                                : Text::tr("%1 KiB").arg(limits.bytes / 1024));
    }
    c.insertText(Text::tr("[The file %1: only its beginning is shown.]").arg(what), note);
    return true;
}

TextViewer::TextViewer(QWidget* parent) : QTextEdit(parent) {
    setReadOnly(true);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setAcceptRichText(false);
    document()->setUndoRedoEnabled(false);
}

void TextViewer::loadFromFile(const std::string& name) {
    QByteArray data = readFile(name, limits_.bytes);
    const bool bytesCut = data.size() > limits_.bytes;
    if (bytesCut) data.truncate(static_cast<qsizetype>(limits_.bytes));

    // Built aside and swapped in, so a failure leaves the old content shown.
    auto doc = std::make_unique<QTextDocument>();
    doc->setDefaultFont(font());
    const bool cut = buildViewerDocument(*doc, data, bytesCut, limits_);

    // QTextEdit::setDocument() deletes only the document QTextEdit made
    // itself; the ones set here are the viewer's to delete, or every file
    // viewed would stay in memory (and go on being laid out) until the
    // window closes.
    QTextDocument* previous = document()->parent() == this ? document() : nullptr;
    doc->setParent(this);
    // setDocument() lays out the beginning of the document for the page size
    // it has, then sets the viewer's width and lays it out again. With a null
    // size the first pass does nothing; on a page of unlimited width it took
    // longer than building the document.
    doc->setPageSize(QSizeF(0, 0));
    setDocument(doc.release());
    delete previous;
    truncated_ = cut;
    moveCursor(QTextCursor::Start);
    verticalScrollBar()->setValue(0);
}

}  // namespace ottomix
