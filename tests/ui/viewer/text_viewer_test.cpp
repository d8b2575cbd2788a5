// The text viewer: plain text and RTF loading, the cut of long files,
// and its two failures.
#include "ui/viewer/text_viewer.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QAbstractTextDocumentLayout>
#include <QPointer>
#include <QTemporaryDir>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextFragment>
#include <QTextLayout>
#include <fstream>
#include <string>
#include <vector>

#include "tests/ui/app_test_util.h"
#include "ui/viewer/text_decoding.h"
#include "ui/viewer/viewer_error.h"

namespace {

using ottomix::TextViewer;
using ottomix::ViewerError;

class ViewerTest : public ::testing::Test {
  protected:
    std::string writeFile(const std::string& name, const std::string& bytes) {
        std::string path = dir_.filePath(QString::fromStdString(name)).toStdString();
        std::ofstream(path, std::ios::binary) << bytes;
        return path;
    }
    QString shownText() const { return view_.document()->toPlainText(); }
    // The character format in force at the first occurrence of `needle`.
    QTextCharFormat formatAt(const QString& needle) const {
        const QTextCursor found = view_.document()->find(needle);
        EXPECT_FALSE(found.isNull()) << needle.toStdString();
        QTextCursor c(view_.document());
        c.setPosition(found.selectionStart() + 1);
        return c.charFormat();
    }
    QTextBlockFormat blockAt(const QString& needle) const {
        return view_.document()->find(needle).blockFormat();
    }
    // The lines the document makes: its blocks, and the line separators in them.
    qsizetype shownLines() const {
        return view_.document()->blockCount() +
               view_.document()->toRawText().count(QChar(ottomix::kLineSeparator));
    }
    // With a limit of three: the loaded file shows `first` and then the cut note.
    void expectCutAfterThreeLines(const QStringList& first) const {
        EXPECT_TRUE(view_.isTruncated());
        const QStringList lines = shownText().split(u'\n');
        ASSERT_EQ(lines.size(), 4) << shownText().toStdString();
        EXPECT_EQ(lines.mid(0, 3), first);
        EXPECT_TRUE(lines[3].contains(QStringLiteral("more than 3 lines")))
            << lines[3].toStdString();
    }
    // `lines` numbered lines ("l1", "l2", ...), each but the last followed by `end`.
    static std::string numberedLines(int lines, const std::string& end) {
        std::string s;
        for (int i = 1; i <= lines; ++i) {
            s += 'l';
            s += std::to_string(i);
            if (i < lines) s += end;
        }
        return s;
    }

    QTemporaryDir dir_;
    TextViewer view_;
};

TEST_F(ViewerTest, StartsEmptyReadOnlyWithVerticalScrollBarAlwaysOn) {
    EXPECT_TRUE(view_.isReadOnly());
    EXPECT_EQ(view_.verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
    EXPECT_TRUE(shownText().isEmpty());
}

TEST_F(ViewerTest, PlainTextBreaksAtEveryCrLfLoneCrAndLoneLf) {
    view_.loadFromFile(writeFile("a.txt", "one\r\ntwo\rthree\nfour\n\rfive"));
    EXPECT_EQ(shownText(), QStringLiteral("one\ntwo\nthree\nfour\n\nfive"));
    EXPECT_EQ(view_.document()->blockCount(), 6);
    EXPECT_FALSE(view_.isTruncated());
}

TEST_F(ViewerTest, PlainTextIsUtf8WhenValidElseWindows1252) {
    view_.loadFromFile(writeFile("u.txt",
                                 "Gr\xC3\xBC\xC3\x9F"
                                 "e \xE2\x82\xAC"));
    EXPECT_EQ(shownText(), QStringLiteral(u"Grüße €"));
    // The same letters in Windows-1252 are no valid UTF-8.
    view_.loadFromFile(writeFile("w.txt",
                                 "Gr\xFC\xDF"
                                 "e \x80 \x93q\x94 \x81"));
    EXPECT_EQ(shownText(), QStringLiteral(u"Grüße € “q” \u0081"));
}

TEST_F(ViewerTest, ByteOrderMarksChooseTheEncodingAndAreNotShown) {
    using namespace std::string_literals;
    const struct {
        const char* name;
        std::string bytes;
    } files[] = {
        {"utf8-bom.txt",
         "\xEF\xBB\xBFGr\xC3\xBC\xC3\x9F"
         "e \xE2\x82\xAC\r\nx"s},
        {"utf16le.txt", "\xFF\xFEG\0r\0\xFC\0\xDF\0e\0 \0\xAC\x20\r\0\n\0x\0"s},
        {"utf16be.txt", "\xFE\xFF\0G\0r\0\xFC\0\xDF\0e\0 \x20\xAC\0\r\0\n\0x"s},
    };
    for (const auto& f : files) {
        view_.loadFromFile(writeFile(f.name, f.bytes));
        EXPECT_EQ(shownText(), QStringLiteral(u"Grüße €\nx")) << f.name;
    }
}

TEST_F(ViewerTest, RtfIsReadWithFormattingAndWithoutItsTables) {
    const std::string rtf =
        "{\\rtf1\\ansi\\ansicpg1252\\deff0"
        "{\\fonttbl{\\f0\\fswiss Arial;}{\\f1 Courier New;}}"
        "{\\colortbl ;\\red255\\green0\\blue0;\\red0\\green0\\blue128;}"
        "{\\stylesheet{\\s0 Normal;}}"
        "{\\*\\generator Riched20 10.0;}"
        "{\\info{\\title Secret title}}"
        "\\pard\\f0\\fs20 Plain {\\b bold} {\\i italic} {\\ul under}\\ulnone  "
        "{\\fs40 big} {\\cf1 red}\\par\n"
        "\\qc centred {\\pict\\wmetafile8 0123456789abcdef}caf\\'e9 "
        "\\u8364?\\uc2\\u8212xx end\\par\n"
        "\\pard tab\\tab stop\\line next {\\*\\unknown hidden} \\{braces\\}\\par\n"
        "}trailing junk";
    view_.loadFromFile(writeFile("doc.rtf.txt", rtf));

    EXPECT_EQ(shownText(), QStringLiteral(u"Plain bold italic under big red\n"
                                          u"centred café €— end\n"
                                          u"tab\tstop\nnext  {braces}\n"));
    // \line breaks the line inside its paragraph; \par starts a new one.
    EXPECT_EQ(view_.document()->blockCount(), 4);
    EXPECT_FALSE(shownText().contains(QStringLiteral("Arial")));
    EXPECT_FALSE(shownText().contains(QStringLiteral("Secret")));

    EXPECT_EQ(formatAt(QStringLiteral("bold")).fontWeight(), QFont::Bold);
    EXPECT_EQ(formatAt(QStringLiteral("Plain")).fontWeight(), QFont::Normal);
    EXPECT_TRUE(formatAt(QStringLiteral("italic")).fontItalic());
    EXPECT_FALSE(formatAt(QStringLiteral("bold")).fontItalic());
    EXPECT_TRUE(formatAt(QStringLiteral("under")).fontUnderline());
    EXPECT_FALSE(formatAt(QStringLiteral("big")).fontUnderline());
    EXPECT_DOUBLE_EQ(formatAt(QStringLiteral("big")).fontPointSize(), 20.0);
    EXPECT_DOUBLE_EQ(formatAt(QStringLiteral("Plain")).fontPointSize(), 10.0);
    EXPECT_EQ(formatAt(QStringLiteral("red")).foreground().color(), QColor(255, 0, 0));
    EXPECT_FALSE(formatAt(QStringLiteral("Plain")).hasProperty(QTextFormat::ForegroundBrush));
    EXPECT_EQ(blockAt(QStringLiteral("centred")).alignment(), Qt::AlignHCenter);
    EXPECT_EQ(blockAt(QStringLiteral("Plain")).alignment(), Qt::AlignLeft);
}

TEST_F(ViewerTest, RichRtfKeepsTheFormatOfEveryRunAndMergesEqualNeighbours) {
    // Thousands of two-letter runs, every one in another format than the one
    // before, written as two groups of one letter each: the groups of a run
    // make one fragment of the document, in the run's format.
    struct Run {
        bool bold, italic, underline, red;
        int points;
    };
    std::vector<Run> runs;
    std::string rtf = "{\\rtf1\\ansi{\\colortbl;\\red255\\green0\\blue0;}\\fs20 ";
    for (int i = 0; i < 3000; ++i) {
        const Run run{i % 2 == 0, i % 3 == 0, i % 5 == 0, i % 7 == 0, i % 11 == 0 ? 14 : 10};
        runs.push_back(run);
        std::string group = "{";
        if (run.bold) group += "\\b";
        if (run.italic) group += "\\i";
        if (run.underline) group += "\\ul";
        if (run.red) group += "\\cf1";
        if (run.points == 14) group += "\\fs28";
        if (group.size() > 1) group += ' ';  // ends the last control word
        rtf += group + char('a' + i % 26) + "}" + group + char('A' + i % 26) + "}";
        if (i % 100 == 99) rtf += "\\par\n";
    }
    rtf += "}";
    view_.loadFromFile(writeFile("rich.rtf", rtf));
    EXPECT_FALSE(view_.isTruncated());
    // Laid out for the viewer's width.
    EXPECT_EQ(view_.document()->pageSize().width(), view_.viewport()->width());

    std::size_t i = 0;
    for (QTextBlock b = view_.document()->begin(); b.isValid(); b = b.next()) {
        for (QTextBlock::iterator it = b.begin(); !it.atEnd(); ++it, ++i) {
            ASSERT_LT(i, runs.size());
            const QTextFragment fragment = it.fragment();
            const QTextCharFormat f = fragment.charFormat();
            const Run& run = runs[i];
            SCOPED_TRACE(i);
            const char pair[] = {char('a' + i % 26), char('A' + i % 26), 0};
            EXPECT_EQ(fragment.text(), QLatin1String(pair));
            EXPECT_EQ(f.fontWeight(), run.bold ? QFont::Bold : QFont::Normal);
            EXPECT_EQ(f.fontItalic(), run.italic);
            EXPECT_EQ(f.fontUnderline(), run.underline);
            EXPECT_EQ(f.hasProperty(QTextFormat::ForegroundBrush), run.red);
            if (run.red) {
                EXPECT_EQ(f.foreground().color(), QColor(255, 0, 0));
            }
            EXPECT_DOUBLE_EQ(f.fontPointSize(), run.points);
        }
    }
    EXPECT_EQ(i, runs.size());
    EXPECT_EQ(view_.document()->blockCount(), 31);
}

TEST_F(ViewerTest, RtfWithMoreRunsThanTheRunLimitIsCutWithANote) {
    // Every run of text in its own format is a fragment of the document:
    // 4 MiB of one-letter runs took seconds to build and lay out.
    view_.setRunLimit(10);
    std::string runs;
    for (int i = 0; i < 1000; ++i) runs += i % 2 == 0 ? "{\\b a}" : "b";
    view_.loadFromFile(writeFile("runs.rtf", "{\\rtf1 " + runs + "}"));
    EXPECT_TRUE(view_.isTruncated());
    QStringList lines = shownText().split(u'\n');
    ASSERT_EQ(lines.size(), 2);
    EXPECT_EQ(lines[0], QStringLiteral("ababababab"));
    EXPECT_TRUE(lines[1].contains(QStringLiteral("more than 10 changes of format")))
        << lines[1].toStdString();
    EXPECT_EQ(formatAt(QStringLiteral("ba")).fontWeight(), QFont::Normal);
    EXPECT_EQ(formatAt(QStringLiteral("ab")).fontWeight(), QFont::Bold);

    // Runs in paragraphs of their own count as well.
    view_.loadFromFile(writeFile("pars.rtf", "{\\rtf1 " + numberedLines(20, "\\par ") + "}"));
    EXPECT_TRUE(view_.isTruncated());
    lines = shownText().split(u'\n');
    ASSERT_EQ(lines.size(), 12);  // the tenth paragraph ended: an empty one began
    EXPECT_EQ(lines.mid(8, 3), (QStringList{"l9", "l10", ""}));
    EXPECT_TRUE(lines[11].contains(QStringLiteral("more than 10 changes of format")));

    // Exactly as many runs as allowed: all shown.
    view_.loadFromFile(writeFile("ten.rtf", "{\\rtf1 " + runs.substr(0, 5 * 6 + 5) + "}"));
    EXPECT_FALSE(view_.isTruncated());
    EXPECT_EQ(shownText(), QStringLiteral("ababababab"));
}

TEST_F(ViewerTest, UnicodeEscapesSkipTheirFallbackAcrossHexEscapesAndGroups) {
    // \uc1: one fallback character, here the escape \'3f; \uc0 none. A group
    // boundary ends any pending skip.
    view_.loadFromFile(writeFile("u.rtf",
                                 "{\\rtf1 a\\u-3913\\'3fb\\uc0\\u1046 c{\\uc3\\u228}d"
                                 "\\uc1\\u55357\\'3f\\u56832\\'3f}"));
    EXPECT_EQ(shownText(), QStringLiteral(u"a\uF0B7b\u0416c\u00E4d\U0001F600"));
}

TEST_F(ViewerTest, FileThatIsNotRtfButMentionsItIsPlainText) {
    view_.loadFromFile(writeFile("p.txt", " {\\rtf1 \\b x}"));
    EXPECT_EQ(shownText(), QStringLiteral(" {\\rtf1 \\b x}"));
}

TEST_F(ViewerTest, LongFileIsCutWithAVisibleNoteAndNoBrokenCharacter) {
    view_.setLimit(10);
    // "123456789" then a two-byte letter straddling the cut at 10 bytes.
    view_.loadFromFile(writeFile("long.txt", "123456789\xC3\xA9tail"));
    EXPECT_TRUE(view_.isTruncated());
    const QStringList lines = shownText().split(u'\n');
    ASSERT_EQ(lines.size(), 2);
    EXPECT_EQ(lines[0], QStringLiteral("123456789"));
    EXPECT_TRUE(lines[1].contains(QStringLiteral("only its beginning is shown")));

    view_.loadFromFile(writeFile("short.txt", "short"));
    EXPECT_FALSE(view_.isTruncated());
    EXPECT_EQ(shownText(), QStringLiteral("short"));
}

TEST_F(ViewerTest, FileOfManyShortLinesIsCutAtTheLineLimitWithANote) {
    // Millions of empty lines in a few MiB took seconds to load.
    view_.setLineLimit(3);
    view_.loadFromFile(writeFile("lines.txt", "1\n2\r3\r\n4\n5"));
    expectCutAfterThreeLines({"1", "2", "3"});

    view_.loadFromFile(writeFile("rtf.txt", "{\\rtf1 a\\par b\\par c\\par d\\par e}"));
    expectCutAfterThreeLines({"a", "b", "c"});

    // Exactly as many lines as allowed, a last line end included: all shown.
    view_.loadFromFile(writeFile("three.txt", "1\n2\n3\n"));
    EXPECT_FALSE(view_.isTruncated());
    EXPECT_EQ(shownText(), QStringLiteral("1\n2\n3\n"));
    view_.loadFromFile(writeFile("three.rtf", "{\\rtf1 a\\par b\\par c}"));
    EXPECT_FALSE(view_.isTruncated());
    EXPECT_EQ(shownText(), QStringLiteral("a\nb\nc"));
}

TEST_F(ViewerTest, EveryCharacterThatBreaksALineCountsTowardsTheLineLimit) {
    // QTextDocument starts a block at these, or a line inside one (U+2028).
    // Counting only \\par and '\\n' would let 4 MiB of such lines take
    // seconds, with no note.
    view_.setLineLimit(3);
    const QStringList one{"l1", "l2", "l3"};
    const QStringList two{"l1", "", "l2"};  // two line ends each
    const std::pair<std::string, QStringList> rtfBreaks[] = {
        {"\\par ", one},     {"\\line ", one},     {"\\'0a", one},      {"\\'0d", one},
        {"\\u10?", one},     {"\\u13?", one},      {"\\u8232?", one},   {"\\u8233?", one},
        {"\\u-57303?", one}, {"\\uc0\\u10 ", one}, {"\\'0d\\'0a", two}, {"\\line\\par ", two}};
    for (const auto& [end, first] : rtfBreaks) {
        SCOPED_TRACE(end);
        view_.loadFromFile(writeFile("breaks.rtf", "{\\rtf1 " + numberedLines(1000, end) + "}"));
        expectCutAfterThreeLines(first);
        EXPECT_EQ(shownLines(), 4);
    }
    const std::pair<std::string, QStringList> textBreaks[] = {{"\n", one},
                                                              {"\r", one},
                                                              {"\r\n", one},
                                                              {"\xE2\x80\xA8", one},  // U+2028
                                                              {"\xE2\x80\xA9", one},  // U+2029
                                                              {"\xE2\x80\xA9\r\n", two}};
    for (const auto& [end, first] : textBreaks) {
        SCOPED_TRACE(::testing::PrintToString(end));
        view_.loadFromFile(writeFile("breaks.txt", numberedLines(1000, end)));
        expectCutAfterThreeLines(first);
        EXPECT_EQ(shownLines(), 4);
    }
}

TEST_F(ViewerTest, FileCutRightAfterTheLastLineAllowedShowsNoEmptyLineBeforeTheNote) {
    // Three lines and a line end, cut in the bytes: the note is the fourth
    // line, not the fifth after an empty one.
    view_.setLineLimit(3);
    view_.setLimit(6);
    view_.loadFromFile(writeFile("cut.txt", "1\n2\n3\n4"));
    EXPECT_TRUE(view_.isTruncated());
    const QStringList lines = shownText().split(u'\n');
    ASSERT_EQ(lines.size(), 4) << shownText().toStdString();
    EXPECT_EQ(lines.mid(0, 3), (QStringList{"1", "2", "3"}));
    EXPECT_TRUE(lines[3].contains(QStringLiteral("is longer than"))) << lines[3].toStdString();
    EXPECT_EQ(shownLines(), 4);
}

TEST_F(ViewerTest, FrameMarkersAreNoLineBreaks) {
    // QTextDocument takes U+FDD0 and U+FDD1 for the start and end of a frame
    // and starts a block at each; in a file they are just noncharacters.
    view_.setLineLimit(3);
    view_.loadFromFile(writeFile("frames.txt", numberedLines(100, "\xEF\xB7\x90\xEF\xB7\x91")));
    EXPECT_FALSE(view_.isTruncated());
    EXPECT_EQ(shownLines(), 1);
    EXPECT_TRUE(shownText().startsWith(QStringLiteral(u"l1\uFFFD\uFFFDl2\uFFFD\uFFFDl3")));
    EXPECT_FALSE(shownText().contains(QChar(0xFDD0)));

    view_.loadFromFile(
        writeFile("frames.rtf", "{\\rtf1 " + numberedLines(100, "\\u64976?\\u-559?") + "}"));
    EXPECT_FALSE(view_.isTruncated());
    EXPECT_EQ(shownLines(), 1);
    EXPECT_TRUE(shownText().startsWith(QStringLiteral(u"l1\uFFFD\uFFFDl2\uFFFD\uFFFDl3")));
    EXPECT_FALSE(shownText().contains(QChar(0xFDD1)));
}

TEST_F(ViewerTest, NoOtherCharacterStartsALineOfItsOwn) {
    // Every character of the Basic Multilingual Plane, each after a letter,
    // in plain text and in RTF: the lines Qt lays out are the blocks and line
    // separators the limit counts (long lines are broken up into blocks).
    std::string text;
    std::string rtf = "{\\rtf1\\uc0 ";
    for (char32_t c = 1; c < 0x10000; ++c) {
        rtf += "a\\u" + std::to_string(c) + ' ';
        if (c == u'\n' || c == u'\r' || (c >= 0xD800 && c <= 0xDFFF)) continue;
        const std::u32string one(1, c);
        text += 'a';
        text += QString::fromUcs4(one.data(), 1).toStdString();
    }
    rtf += "}";
    for (const std::string& file : {writeFile("all.txt", text), writeFile("all.rtf", rtf)}) {
        SCOPED_TRACE(file);
        view_.loadFromFile(file);
        EXPECT_FALSE(view_.isTruncated());
        QTextDocument* doc = view_.document();
        doc->setTextWidth(1e7);  // no line is wrapped
        doc->documentLayout()->documentSize();
        qsizetype laidOut = 0;
        for (QTextBlock b = doc->begin(); b.isValid(); b = b.next())
            laidOut += b.layout()->lineCount();
        EXPECT_GT(doc->blockCount(), 64);
        EXPECT_EQ(laidOut, shownLines());
    }
}

TEST_F(ViewerTest, VeryLongLinesAreSplitIntoShortParagraphsWithoutLosingText) {
    // A paragraph is laid out in worse than linear time: a 4 MiB line
    // without a space would freeze the window for minutes.
    std::string words;
    for (int i = 0; i < 800; ++i) words += "word" + std::to_string(i) + ' ';
    const std::string solid(5000, 'x');
    view_.loadFromFile(writeFile("long.txt", words + "\n" + solid));
    int longest = 0;
    for (QTextBlock b = view_.document()->begin(); b.isValid(); b = b.next())
        longest = std::max(longest, b.length());
    EXPECT_LE(longest, 1025);
    QString text = shownText();
    EXPECT_TRUE(text.endsWith(QString(5000 - 4 * 1024, u'x')));
    // Lines with spaces are broken at a space, solid ones anywhere.
    EXPECT_EQ(text.remove(u'\n').remove(u' '), QString::fromStdString(words + solid).remove(u' '));

    std::string rtf = "{\\rtf1 ";
    rtf += std::string(3000, 'y');
    rtf += "}";
    view_.loadFromFile(writeFile("long.rtf", rtf));
    EXPECT_GE(view_.document()->blockCount(), 3);
    EXPECT_EQ(shownText().remove(u'\n'), QString(3000, u'y'));
}

TEST_F(ViewerTest, LoadingAFileReleasesThePreviousDocument) {
    // A load that left its document behind would cost hundreds of MB after
    // twenty clicks between two 4 MiB files.
    const std::string text = writeFile("a.txt", "first\nfile");
    const std::string rtf = writeFile("b.rtf", "{\\rtf1 second\\par file}");
    const QPointer<QTextDocument> initial = view_.document();
    std::vector<QPointer<QTextDocument>> shown;
    for (int i = 0; i < 20; ++i) {
        view_.loadFromFile(i % 2 == 0 ? text : rtf);
        shown.emplace_back(view_.document());
    }
    EXPECT_TRUE(initial.isNull());
    for (int i = 0; i + 1 < 20; ++i) EXPECT_TRUE(shown[i].isNull()) << "document of load " << i;
    EXPECT_EQ(shown.back(), view_.document());
    EXPECT_EQ(view_.findChildren<QTextDocument*>().size(), 1);
    EXPECT_EQ(shownText(), QStringLiteral("second\nfile"));

    // A load that fails leaves the document shown as it is.
    EXPECT_THROW(view_.loadFromFile(dir_.filePath(QStringLiteral("gone")).toStdString()),
                 ViewerError);
    EXPECT_EQ(shown.back(), view_.document());
    EXPECT_EQ(view_.findChildren<QTextDocument*>().size(), 1);
}

TEST_F(ViewerTest, FailuresThrowTheirMessagesAndKeepTheContent) {
    view_.loadFromFile(writeFile("keep.txt", "kept"));
    const std::string missing = dir_.filePath(QStringLiteral("gone.txt")).toStdString();
    try {
        view_.loadFromFile(missing);
        ADD_FAILURE() << "no exception for a missing file";
    } catch (const ViewerError& e) {
        EXPECT_EQ(std::string(e.what()), "Cannot open file " + missing);
    }
    EXPECT_EQ(shownText(), QStringLiteral("kept"));

    // A directory opens but cannot be read as a stream.
    const std::string sub = dir_.filePath(QStringLiteral("sub.txt")).toStdString();
    ASSERT_EQ(::mkdir(sub.c_str(), 0755), 0);
    try {
        view_.loadFromFile(sub);
        ADD_FAILURE() << "no exception for a directory";
    } catch (const ViewerError& e) {
        EXPECT_STREQ(e.what(), "Failed to Load Stream");
    }
    EXPECT_EQ(shownText(), QStringLiteral("kept"));
}

}  // namespace
