// A small reader of RTF documents for the viewer: the text with the
// formatting a reader of the file needs, nothing of the document's machinery.
#pragma once

#include <QByteArray>
#include <QColor>
#include <QString>
#include <QTextCharFormat>
#include <QTextCursor>
#include <string>
#include <vector>

class QTextDocument;

namespace ottomix {

// True when the bytes start with the RTF signature "{\rtf".
bool looksLikeRtf(const QByteArray& data);

// Fills `doc` (emptied first) with the text of an RTF document: paragraphs,
// line breaks, tabs, bold, italic, underline, font sizes, text and highlight
// colours, alignment, \'hh (Windows-1252) and \uN escapes. Font tables,
// colour tables, style sheets, pictures, document info and {\*...} groups are
// skipped. Malformed input is read as far as it makes sense; nothing throws.
// Text past `max_lines` lines is left out; returns true then. Every
// paragraph and every line break (\line, and characters such as \'0a, \u8232
// and \u8233 that QTextDocument breaks at) counts as a line.
bool readRtf(const QByteArray& data, QTextDocument& doc, qint64 max_lines);

// Reads one document into a text cursor's document, as readRtf() describes.
class RtfReader {
  public:
    RtfReader(const QByteArray& data, QTextDocument& doc, qint64 max_lines);

    void run();
    // Whether text past the last paragraph allowed was left out.
    bool isCut() const { return cut_; }

  private:
    enum class Destination { Text, ColorTable, Skip };

    struct Format {
        bool bold = false;
        bool italic = false;
        bool underline = false;
        int halfPoints = 0;  // 0: the viewer's own size
        int color = 0;
        int highlight = 0;
        bool operator==(const Format&) const = default;
    };

    struct State {
        Format format;
        Qt::Alignment align = Qt::AlignLeft;
        int uc = 1;  // characters to skip after \uN
        Destination destination = Destination::Text;
    };

    void readControl();
    void symbol(char c);
    void word(const std::string& w, bool has_param, int p);
    void byte(unsigned char b);
    void append(char16_t ch);
    void addToRun(char16_t ch);
    void applyAlignment();
    void flush();
    // Counts the end of a line; false when no line may follow.
    bool endLine();
    void paragraph();
    void lineBreak();
    QColor color(int index) const;
    QTextCharFormat charFormat(const Format& f) const;

    const QByteArray& input_;
    qsizetype pos_ = 0;
    bool done_ = false;
    QTextCursor cursor_;
    State state_;
    std::vector<State> stack_;
    int pendingSkip_ = 0;
    std::vector<QColor> colors_;
    int red_ = -1, green_ = -1, blue_ = -1;
    QString run_;
    Format runFormat_;
    Qt::Alignment blockAlign_ = Qt::AlignLeft;  // of the block the cursor is in
    qsizetype paragraphLength_ = 0;
    qint64 maxLines_;
    qint64 lines_ = 0;  // paragraphs and lines ended so far
    bool cut_ = false;
};

}  // namespace ottomix
