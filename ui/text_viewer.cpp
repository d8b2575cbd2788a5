#include "ui/text_viewer.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QScrollBar>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <algorithm>
#include <cerrno>
#include <memory>

#include "ui/rtf_reader.h"
#include "ui/text_decoding.h"

namespace ottomix {

namespace {

// Reads at most limit + 1 bytes, so the caller can tell a cut file.
QByteArray readFile(const std::string& name, qint64 limit) {
    const int fd = ::open(name.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    if (fd < 0) throw ViewerError("Cannot open file " + name);
    struct stat st {};
    // A directory, pipe or device is nothing the viewer can show.
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        throw ViewerError("Failed to Load Stream");
    }
    QByteArray data;
    data.resize(static_cast<qsizetype>(std::min<qint64>(st.st_size, limit) + 1));
    qsizetype got = 0;
    while (got < data.size()) {
        const ssize_t r = ::read(fd, data.data() + got, static_cast<size_t>(data.size() - got));
        if (r < 0 && errno == EINTR) continue;
        if (r < 0) {
            ::close(fd);
            throw ViewerError("Failed to Load Stream");
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

bool buildViewerDocument(QTextDocument& doc, const QByteArray& data, bool bytes_cut,
                         qint64 byte_limit, qint64 line_limit) {
    doc.setUndoRedoEnabled(false);
    bool lines_cut = false;
    if (looksLikeRtf(data)) {
        lines_cut = readRtf(data, doc, line_limit);
    } else {
        QString text = decodePlainText(data, bytes_cut);
        // The end of the last line allowed; anything after it is left out.
        qsizetype end = -1;
        for (qint64 line = 0; line < line_limit; ++line) {
            end = text.indexOf(u'\n', end + 1);
            if (end < 0) break;
        }
        if (line_limit <= 0 || (end >= 0 && end + 1 < text.size())) {
            text.truncate(std::max<qsizetype>(end, 0));
            lines_cut = true;
        }
        doc.setPlainText(text);
    }
    const bool cut = bytes_cut || lines_cut;
    if (cut) {
        QTextCursor c(&doc);
        c.movePosition(QTextCursor::End);
        QTextCharFormat note;
        note.setFontItalic(true);
        note.setFontWeight(QFont::Bold);
        note.setForeground(QColor(0x80, 0x00, 0x00));
        QTextBlockFormat block;
        block.setTopMargin(6);
        c.insertBlock(block, note);
        const QString size = byte_limit % (1024 * 1024) == 0
                                 ? QStringLiteral("%1 MiB").arg(byte_limit / (1024 * 1024))
                                 : QStringLiteral("%1 KiB").arg(byte_limit / 1024);
        const QString what = lines_cut ? QStringLiteral("has more than %1 lines").arg(line_limit)
                                       : QStringLiteral("is longer than %1").arg(size);
        c.insertText(QStringLiteral("[The file %1: only its beginning is shown.]").arg(what), note);
    }
    return cut;
}

TextViewer::TextViewer(QWidget* parent) : QTextEdit(parent) {
    setReadOnly(true);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setAcceptRichText(false);
    document()->setUndoRedoEnabled(false);
}

void TextViewer::loadFromFile(const std::string& name) {
    QByteArray data = readFile(name, limit_);
    const bool bytes_cut = data.size() > limit_;
    if (bytes_cut) data.truncate(static_cast<qsizetype>(limit_));

    // Built aside and swapped in, so a failure leaves the old content shown.
    auto doc = std::make_unique<QTextDocument>();
    doc->setDefaultFont(font());
    const bool cut = buildViewerDocument(*doc, data, bytes_cut, limit_, lineLimit_);

    // QTextEdit::setDocument() deletes only the document QTextEdit made
    // itself; the ones set here are the viewer's to delete, or every file
    // viewed would stay in memory (and go on being laid out) until the
    // window closes.
    QTextDocument* previous = document()->parent() == this ? document() : nullptr;
    doc->setParent(this);
    setDocument(doc.release());
    delete previous;
    truncated_ = cut;
    moveCursor(QTextCursor::Start);
    verticalScrollBar()->setValue(0);
}

}  // namespace ottomix
