// The main window's read-only viewer, and the loading of a file into it (RTF
// through a small reader of our own, else plain text).
#pragma once

#include <QByteArray>
#include <QTextEdit>
#include <string>

#include "ui/viewer_error.h"

class QTextDocument;

namespace ottomix {

// What the viewer shows of a file at most. Beyond this the layout of a text
// document gets slow enough to freeze the window, so longer files are cut and
// a note says so.
inline constexpr qint64 kViewerLimit = 4 * 1024 * 1024;
// Each line is a block of the document, and a few MiB of short or empty lines
// are millions of them, which take seconds to build: the viewer shows at most
// this many lines.
inline constexpr qint64 kViewerLineLimit = 200'000;

// Fills `doc`, which must be empty, with what the viewer shows of a file whose
// first bytes are `data` (`bytes_cut`: the file goes on after them, being
// longer than `byte_limit`): RTF or plain text, at most `line_limit` lines,
// and a note at the end when anything was left out. Returns whether it was.
bool buildViewerDocument(QTextDocument& doc, const QByteArray& data, bool bytes_cut,
                         qint64 byte_limit, qint64 line_limit);

class TextViewer : public QTextEdit {
    Q_OBJECT

  public:
    explicit TextViewer(QWidget* parent = nullptr);

    // Replaces the whole content by the file `name`, opened read-only: as rich
    // text when it is RTF, else as plain text. Throws ViewerError with
    // "Cannot open file <name>" when the file cannot be opened and "Failed to
    // Load Stream" when it cannot be read; the content stays as it was then.
    void loadFromFile(const std::string& name);

    // How many bytes and lines of a file are shown at most.
    qint64 limit() const { return limit_; }
    void setLimit(qint64 bytes) { limit_ = bytes; }
    qint64 lineLimit() const { return lineLimit_; }
    void setLineLimit(qint64 lines) { lineLimit_ = lines; }
    // Whether the last file loaded was cut at a limit.
    bool isTruncated() const { return truncated_; }

  private:
    qint64 limit_ = kViewerLimit;
    qint64 lineLimit_ = kViewerLineLimit;
    bool truncated_ = false;
};

}  // namespace ottomix
