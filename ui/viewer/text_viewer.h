// The main window's read-only viewer, and the loading of a file into it (RTF
// through a small reader of our own, else plain text).
#pragma once

#include <QByteArray>
#include <QTextEdit>
#include <string>

#include "ui/viewer/viewer_error.h"

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
// Likewise every change of format in RTF starts a fragment of the document,
// which takes microseconds to build and more to lay out: 4 MiB of one-letter
// runs are more than half a million. The viewer shows at most this many runs
// of text in one format.
inline constexpr qint64 kViewerRunLimit = 200'000;

// How much of a file the viewer shows at most.
struct ViewerLimits {
    qint64 bytes = kViewerLimit;
    qint64 lines = kViewerLineLimit;
    qint64 runs = kViewerRunLimit;
};

// Fills `doc`, which must be empty, with what the viewer shows of a file whose
// first bytes are `data` (`bytesCut`: the file goes on after them, being
// longer than `limits.bytes`): RTF or plain text within the limits, and a note
// at the end when anything was left out. Returns whether anything was.
bool buildViewerDocument(QTextDocument& doc, const QByteArray& data, bool bytesCut,
                         const ViewerLimits& limits);

class TextViewer : public QTextEdit {
    Q_OBJECT

  public:
    explicit TextViewer(QWidget* parent = nullptr);

    // Replaces the whole content by the file `name`, opened read-only: as rich
    // text when it is RTF, else as plain text. Throws ViewerError with
    // "Cannot open file <name>" when the file cannot be opened and "Failed to
    // Load Stream" when it cannot be read; the content stays as it was then.
    void loadFromFile(const std::string& name);

    // How many bytes, lines and runs of text in one format of a file are
    // shown at most.
    qint64 limit() const { return limits_.bytes; }
    void setLimit(qint64 bytes) { limits_.bytes = bytes; }
    qint64 lineLimit() const { return limits_.lines; }
    void setLineLimit(qint64 lines) { limits_.lines = lines; }
    qint64 runLimit() const { return limits_.runs; }
    void setRunLimit(qint64 runs) { limits_.runs = runs; }
    // Whether the last file loaded was cut at a limit.
    bool isTruncated() const { return truncated_; }

  private:
    ViewerLimits limits_;
    bool truncated_ = false;
};

}  // namespace ottomix
