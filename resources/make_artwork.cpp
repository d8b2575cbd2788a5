// Paints every picture of Ottomix and writes them as PNG files.
// The small glyphs are pixel art in the 16-colour VGA palette, laid out below as character
// maps; the larger pictures are painted with QPainter. The PNGs are committed, so the build
// never runs this program. After changing a picture, regenerate them with:
//   build/resources/ottomix_artwork resources/ottomix
// An optional "--sheet FILE" also writes an enlarged contact sheet for checking the work.

#include <QColor>
#include <QDir>
#include <QFont>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>
#include <QString>
#include <QTransform>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>
#include <vector>

namespace {

// The classic VGA palette, one letter per colour.
QRgb Vga(char c) {
    switch (c) {
        case 'k':
            return qRgb(0, 0, 0);  // black
        case 'm':
            return qRgb(128, 0, 0);  // maroon
        case 'g':
            return qRgb(0, 128, 0);  // green
        case 'o':
            return qRgb(128, 128, 0);  // olive
        case 'n':
            return qRgb(0, 0, 128);  // navy
        case 'p':
            return qRgb(128, 0, 128);  // purple
        case 't':
            return qRgb(0, 128, 128);  // teal
        case 's':
            return qRgb(192, 192, 192);  // silver
        case 'd':
            return qRgb(128, 128, 128);  // grey
        case 'r':
            return qRgb(255, 0, 0);  // red
        case 'l':
            return qRgb(0, 255, 0);  // lime
        case 'y':
            return qRgb(255, 255, 0);  // yellow
        case 'b':
            return qRgb(0, 0, 255);  // blue
        case 'f':
            return qRgb(255, 0, 255);  // fuchsia
        case 'a':
            return qRgb(0, 255, 255);  // aqua
        case 'w':
            return qRgb(255, 255, 255);  // white
    }
    std::fprintf(stderr, "unknown palette letter '%c'\n", c);
    std::exit(2);
}

const char kPalette[] = "kmgonptsdrlybfaw";

// The browser draws its glyphs with the bottom-left pixel's colour as the transparent one, so
// those glyphs sit on a colour that none of them uses.
const char kKeyColour = 'f';

using Rows = std::vector<std::string>;

// Paints a character map with QPainter, one pixel per character; '.' leaves the pixel alone.
void PaintMap(QImage& img, int x0, int y0, const Rows& rows) {
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing, false);
    p.setCompositionMode(QPainter::CompositionMode_Source);
    for (int y = 0; y < static_cast<int>(rows.size()); ++y) {
        const std::string& row = rows[y];
        for (int x = 0; x < static_cast<int>(row.size()); ++x) {
            if (row[x] == '.') continue;
            p.fillRect(x0 + x, y0 + y, 1, 1, QColor(Vga(row[x])));
        }
    }
}

void Require(bool ok, const char* what) {
    if (!ok) {
        std::fprintf(stderr, "artwork error: %s\n", what);
        std::exit(2);
    }
}

// A map must be exactly the glyph's size, so a mistyped row is caught here and not on screen.
QImage MapImage(const char* name, int w, int h, const Rows& rows, QRgb background) {
    Require(static_cast<int>(rows.size()) == h, name);
    for (size_t i = 0; i < rows.size(); ++i)
        if (static_cast<int>(rows[i].size()) != w) {
            std::fprintf(stderr, "%s: row %zu is %zu wide, not %d\n", name, i, rows[i].size(), w);
            std::exit(2);
        }
    QImage img(w, h, QImage::Format_ARGB32);
    img.fill(background);
    PaintMap(img, 0, 0, rows);
    return img;
}

// 16-colour images are stored as palette images: the VGA colours, plus a fully transparent
// entry for the pictures that have one.
QImage ToVga(const QImage& img) {
    QList<QRgb> table;
    for (const char* c = kPalette; *c; ++c) table.push_back(Vga(*c));
    bool transparent = false;
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x) {
            const QRgb px = img.pixel(x, y);
            if (qAlpha(px) == 0) {
                transparent = true;
                continue;
            }
            Require(qAlpha(px) == 255 && table.contains(px | 0xff000000u),
                    "a 16-colour picture uses a colour outside the VGA palette");
        }
    if (transparent) table.push_back(qRgba(0, 0, 0, 0));
    QImage out(img.size(), QImage::Format_Indexed8);
    out.setColorTable(table);
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x) {
            const QRgb px = img.pixel(x, y);
            out.setPixel(x, y, qAlpha(px) == 0 ? table.size() - 1 : table.indexOf(px));
        }
    return out;
}

// ---------------------------------------------------------------------------------------------
// Browser glyphs (16 x 11 drives, 16 x 15 folders and files). 'f' is the see-through colour.

QImage Browser(const char* name, int w, int h, const Rows& rows) {
    QImage img = MapImage(name, w, h, rows, Vga(kKeyColour));
    Require(img.pixel(0, h - 1) == Vga(kKeyColour), name);
    return img;
}

const Rows kFloppy = {
    "fkkkkkkkkkkkkkkf",  //
    "kwwwwwwwwwwwwwdk",  //
    "kwssssssssssssdk",  //
    "kwsddddddddddsdk",  //
    "kwskkkkkkkkkkwdk",  //
    "kwssswwwwwwwwsdk",  //
    "kwssssssssssssdk",  //
    "kwsgsssssssddsdk",  //
    "kwssssssssssssdk",  //
    "kddddddddddddddk",  //
    "fkkkkkkkkkkkkkkf",  //
};

const Rows kHard = {
    "ffffffffffffffff",  //
    "fffkkkkkkkkkkkkk",  //
    "ffkwwwwwwwwwwwkk",  //
    "fkwwwwwwwwwwwkdk",  //
    "kkkkkkkkkkkkkddk",  //
    "kssssssssssskddk",  //
    "ksddddddddsskddk",  //
    "kswwwwwwwwslkdkf",  //
    "kssssssssssskkff",  //
    "kkkkkkkkkkkkkfff",  //
    "ffffffffffffffff",  //
};

const Rows kNetwork = {
    "fkkkkkkkkkkkkkkf",  //
    "kwwwwwwwwwwwwwdk",  //
    "kwssssssssssssdk",  //
    "kwsddddddddlssdk",  //
    "kwswwwwwwwwsssdk",  //
    "kddddddddddddddk",  //
    "fkkkkkkkkkkkkkkf",  //
    "ffffffftkfffffff",  //
    "ffffffftkfffffff",  //
    "tttttttttttttttt",  //
    "fkkkkkkkkkkkkkkk",  //
};

const Rows kCdrom = {
    "fffffkkkkkffffff",  //
    "fffkkssswwkkffff",  //
    "fffkssssswwkffff",  //
    "ffkassssswwskfff",  //
    "ffkaasdddswskfff",  //
    "ffksssdfdssskfff",  //
    "ffkswsdddssakfff",  //
    "ffkswwsssssakfff",  //
    "fffkwwssssdkffff",  //
    "fffkkwsssdkkffff",  //
    "fffffkkkkkffffff",  //
};

const Rows kRam = {
    "ffffffffffffffff",  //
    "kkkkkkkkkkkkkkkk",  //
    "kggggggggggggggk",  //
    "kgddgddgddgddggk",  //
    "kgkkgkkgkkgkkggk",  //
    "kgkkgkkgkkgkkggk",  //
    "kggggggggggggggk",  //
    "kgygygygkgygygyk",  //
    "kkykykykfkykykyk",  //
    "fkkkkkkkfkkkkkkk",  //
    "ffffffffffffffff",  //
};

const Rows kClosedFolder = {
    "ffffffffffffffff",  //
    "ffffffffffffffff",  //
    "fkkkkfffffffffff",  //
    "kwyyykffffffffff",  //
    "kwyyyykkkkkkkkkf",  //
    "kwwwwwwwwwwwwwkf",  //
    "kwyyyyyyyyyyyokf",  //
    "kwyyyyyyyyyyyokf",  //
    "kwyyyyyyyyyyyokf",  //
    "kwyyyyyyyyyyyokf",  //
    "kwyyyyyyyyyyyokf",  //
    "kwyyyyyyyyyyyokf",  //
    "kwyyyyyyyyyyyokf",  //
    "koooooooooooookf",  //
    "fkkkkkkkkkkkkkff",  //
};

const Rows kOpenFolder = {
    "ffffffffffffffff",  //
    "ffffffffffffffff",  //
    "fkkkkfffffffffff",  //
    "kwyyykffffffffff",  //
    "kwyyyykkkkkkkkff",  //
    "kwyyyyyyyyyyyokf",  //
    "kwyykkkkkkkkkkkk",  //
    "kwyykwwwwwwwwwwk",  //
    "kwykwyyyyyyyyokf",  //
    "kwykwyyyyyyyyokf",  //
    "kwkwyyyyyyyyokff",  //
    "kwkwyyyyyyyyokff",  //
    "kkwyyyyyyyyokfff",  //
    "kkooooooooookfff",  //
    "fkkkkkkkkkkkkfff",  //
};

const Rows kCurrentFolder = {
    "ffffffffffffffff",  //
    "ffffffkkkkkkffff",  //
    "fkkkkfkwwwwwkfff",  //
    "kwyyykkwnnnwwkff",  //
    "kwyyyykwwwwwwkff",  //
    "kwyyyykwnnnnwokf",  //
    "kwyykkkkkkkkkkkk",  //
    "kwyykwwwwwwwwwwk",  //
    "kwykwyyyyyyyyokf",  //
    "kwykwyyyyyyyyokf",  //
    "kwkwyyyyyyyyokff",  //
    "kwkwyyyyyyyyokff",  //
    "kkwyyyyyyyyokfff",  //
    "kkooooooooookfff",  //
    "fkkkkkkkkkkkkfff",  //
};

const Rows kExecutable = {
    "ffffffffffffffff",  //
    "kkkkkkkkkkkkkkkf",  //
    "kwnnnnnnnnnnsskd",  //
    "kkkkkkkkkkkkkkkd",  //
    "kssssssssssssskd",  //
    "kwwwwwwwwwwwwwkd",  //
    "kwwwwwwwwwwwwwkd",  //
    "kwwwwwwwwwwwwwkd",  //
    "kwwwwwwwwwwwwwkd",  //
    "kwwwwwwwwwwwwwkd",  //
    "kwwwwwwwwwwwwwkd",  //
    "kwwwwwwwwwwwwwkd",  //
    "kwwwwwwwwwwwwwkd",  //
    "kkkkkkkkkkkkkkkd",  //
    "fddddddddddddddd",  //
};

const Rows kUnknownFile = {
    "ffkkkkkkkkffffff",  //
    "ffkwwwwwwkkfffff",  //
    "ffkwwwwwwkskffff",  //
    "ffkwwwwwwksskfff",  //
    "ffkwwwwwwkkkkkdf",  //
    "ffkwwwwwwwwwwkdf",  //
    "ffkwddddddddwkdf",  //
    "ffkwwwwwwwwwwkdf",  //
    "ffkwddddddddwkdf",  //
    "ffkwwwwwwwwwwkdf",  //
    "ffkwdddddddwwkdf",  //
    "ffkwwwwwwwwwwkdf",  //
    "ffkwwwwwwwwwwkdf",  //
    "ffkkkkkkkkkkkkdf",  //
    "fffddddddddddddf",  //
};

// ---------------------------------------------------------------------------------------------
// Button glyphs: 16 x 16 on a transparent background; the disabled image is derived.

const Rows kExitDoor = {
    "................",  //
    ".kkkkkkkkk......",  //
    ".kmmkyyyyk......",  //
    ".kmmkyyyyk......",  //
    ".kmmkyyyyk......",  //
    ".kmmkyyyyk......",  //
    ".kmmkyyyyk......",  //
    ".kmmkyyyyk......",  //
    ".kmykyyyyk......",  //
    ".kmmkyyyyk......",  //
    ".kmmkyyyyk......",  //
    ".kmmkyyyyk......",  //
    ".kmmkyyyyk......",  //
    ".kmmkyyyyk......",  //
    ".kkkkkkkkk......",  //
    "................",  //
};

const Rows kExitArrow = {
    ".....k....",  //
    ".....kk...",  //
    "kkkkkklk..",  //
    "klllllllk.",  //
    "kllllllllk",  //
    "kgggggggk.",  //
    "kkkkkkgk..",  //
    ".....kk...",  //
    ".....k....",  //
};

const Rows kLockClosed = {
    "................",  //
    ".....kkkkkk.....",  //
    "....kwsssssk....",  //
    "...kwskkkkdsk...",  //
    "...kwk....kdk...",  //
    "...kwk....kdk...",  //
    "...kwk....kdk...",  //
    "..kkkkkkkkkkkk..",  //
    "..kwwwwwwwwwok..",  //
    "..kwyyykkyyyok..",  //
    "..kwyykkkkyyok..",  //
    "..kwyykkkkyyok..",  //
    "..kwyyykkyyyok..",  //
    "..kwyyykkyyyok..",  //
    "..kooooooooook..",  //
    "..kkkkkkkkkkkk..",  //
};

const Rows kLockOpen = {
    ".....kkkkkk.....",  //
    "....kwsssssk....",  //
    "...kwskkkkdsk...",  //
    "...kwk....kdk...",  //
    "...kwk....kdk...",  //
    "...kkk....kdk...",  //
    "..........kdk...",  //
    "..kkkkkkkkkkkk..",  //
    "..kwwwwwwwwwok..",  //
    "..kwyyykkyyyok..",  //
    "..kwyykkkkyyok..",  //
    "..kwyykkkkyyok..",  //
    "..kwyyykkyyyok..",  //
    "..kwyyykkyyyok..",  //
    "..kooooooooook..",  //
    "..kkkkkkkkkkkk..",  //
};

const Rows kViewPage = {
    ".kkkkkkk........",  //
    ".kwwwwwkk.......",  //
    ".kwwwwwksk......",  //
    ".kwwwwwkkkk.....",  //
    ".kwddddddwk.....",  //
    ".kwwwwwwwwk.....",  //
    ".kwddddddwk.....",  //
    ".kwwwwwwwwk.....",  //
    ".kwddddddwk.....",  //
    ".kwwwwwwwwk.....",  //
    ".kwddddddwk.....",  //
    ".kwwwwwwwwk.....",  //
    ".kwddddwwwk.....",  //
    ".kwwwwwwwwk.....",  //
    ".kkkkkkkkkk.....",  //
    "................",  //
};

const Rows kViewLens = {
    "..kkkk....",  //
    ".kwwsssk..",  //
    "kwwsssssk.",  //
    "kwsssssak.",  //
    "kssssssak.",  //
    "ksssssaak.",  //
    ".ksaaaak..",  //
    "..kkkkmmk.",  //
    "......kmmk",  //
    ".......kmk",  //
};

// Classic disabled look: the dark parts of the picture in grey, over a white copy moved one
// pixel down and right; light parts vanish.
QImage Disabled(const QImage& enabled) {
    QImage out(enabled.size(), QImage::Format_ARGB32);
    out.fill(Qt::transparent);
    auto dark = [&](int x, int y) {
        if (x < 0 || y < 0 || x >= enabled.width() || y >= enabled.height()) return false;
        const QRgb px = enabled.pixel(x, y);
        return qAlpha(px) > 0 && qGray(px) < 160;
    };
    QPainter p(&out);
    p.setRenderHint(QPainter::Antialiasing, false);
    for (int y = 0; y < out.height(); ++y)
        for (int x = 0; x < out.width(); ++x)
            if (dark(x - 1, y - 1)) p.fillRect(x, y, 1, 1, QColor(Vga('w')));
    for (int y = 0; y < out.height(); ++y)
        for (int x = 0; x < out.width(); ++x)
            if (dark(x, y)) p.fillRect(x, y, 1, 1, QColor(Vga('d')));
    return out;
}

QImage ButtonGlyph(const char* name, const Rows& base, int ox, int oy, const Rows& overlay) {
    QImage enabled = MapImage(name, 16, 16, base, qRgba(0, 0, 0, 0));
    PaintMap(enabled, ox, oy, overlay);
    QImage out(32, 16, QImage::Format_ARGB32);
    out.fill(Qt::transparent);
    QPainter p(&out);
    p.drawImage(0, 0, enabled);
    p.drawImage(16, 0, Disabled(enabled));
    return out;
}

// ---------------------------------------------------------------------------------------------
// Hand cursor: 32 x 32, fingertip at the hot spot (12, 5).

const Rows kHand = {
    "............kk....",  //  y 5
    "...........kwwk...",  //
    "...........kwwk...",  //
    "...........kwwk...",  //
    "...........kwwk...",  //
    "...........kwwkkk.",  // 10
    "...........kwwkwwkk",      "...........kwwkwwkwwkk",
    "........kk.kwwkwwkwwkwwk", ".......kwwkkwwkwwkwwkwwk",
    ".......kwwwkwwwwwwwwwwwk",  // 15
    "........kwwwwwwwwwwwwwwk", ".........kwwwwwwwwwwwwwk",
    "..........kwwwwwwwwwwwwk", "..........kwwwwwwwwwwwk",
    "...........kwwwwwwwwwwk",  // 20
    "...........kwwwwwwwwwwk",  "............kwwwwwwwwk",
    "............kwwwwwwwwk",   "............kkkkkkkkkk",
};

QImage HandCursor() {
    QImage img(32, 32, QImage::Format_ARGB32);
    img.fill(Qt::transparent);
    PaintMap(img, 0, 5, kHand);
    return img;
}

// ---------------------------------------------------------------------------------------------
// The product mark: a key whose bow is a large "O", lying across a page of scrambled text.
// Geometry is in units of a 32 x 32 icon.

// The key's shape in its own frame: u runs from the ring's centre along the blade, w across it
// (positive towards the bit). The ring's centre sits at (10, 10) and the blade points down-right.
struct KeyShape {
    static constexpr double kCentre = 10.0;
    static constexpr double kOuter = 8.0, kInner = 3.8;
    static constexpr double kHalf = 1.77;  // half the blade's width
    struct Box {
        double u0, u1, w0, w1;
    };
    static constexpr Box kBlade{6.5, 23.3, -kHalf, kHalf};
    static constexpr Box kTeeth[2] = {{13.2, 15.9, kHalf - 0.1, 5.0},
                                      {19.6, 23.3, kHalf - 0.1, 5.7}};

    enum Part { kNone, kRing, kShaft, kTooth };
    static Part At(double x, double y) {
        const double dx = x - kCentre, dy = y - kCentre;
        const double u = (dx + dy) / std::sqrt(2.0), w = (dy - dx) / std::sqrt(2.0);
        auto in = [&](const Box& b) { return u >= b.u0 && u <= b.u1 && w >= b.w0 && w <= b.w1; };
        const double r = std::hypot(dx, dy);
        if (r <= kOuter && r >= kInner) return kRing;
        if (in(kBlade)) return kShaft;
        for (const Box& b : kTeeth)
            if (in(b)) return kTooth;
        return kNone;
    }
};

// Path operations flatten curves into polygons, so the path is built 64 times larger and then
// reduced: the ring stays round even at 128 pixels.
QPainterPath KeyPath() {
    constexpr double k = 64.0;
    QPainterPath ring;
    const QPointF c(KeyShape::kCentre * k, KeyShape::kCentre * k);
    ring.addEllipse(c, KeyShape::kOuter * k, KeyShape::kOuter * k);
    QPainterPath hole;
    hole.addEllipse(c, KeyShape::kInner * k, KeyShape::kInner * k);
    ring = ring.subtracted(hole);
    QPainterPath blade;
    auto add = [&](const KeyShape::Box& b) {
        blade.addRect(QRectF(b.u0 * k, b.w0 * k, (b.u1 - b.u0) * k, (b.w1 - b.w0) * k));
    };
    add(KeyShape::kBlade);
    for (const KeyShape::Box& b : KeyShape::kTeeth) add(b);
    QTransform t;
    t.translate(c.x(), c.y());
    t.rotate(45);
    const QPainterPath key = ring.united(t.map(blade).simplified()).simplified();
    return QTransform::fromScale(1 / k, 1 / k).map(key);
}

// The icon at its own 32 x 32 size, worked out pixel by pixel from the key's shape so it
// stays crisp in 16 colours: black outline, white and olive rims on the ring, a shaded blade,
// and the key's shadow falling on the page.
QImage IconVga() {
    QImage img(32, 32, QImage::Format_ARGB32);
    img.fill(Qt::transparent);

    // The page: white with a grey shadow edge, black frame and lines of "scrambled" text.
    const Rows page = {
        "kkkkkkkkkkkkkkkk..",  //
        "kwwwwwwwwwwwwwwkk.",  //
        "kwwwwwwwwwwwwwwksk",  //
        "kwnnnwrrwnnnnwwkkkk", "kwwwwwwwwwwwwwwwwsk", "kwttwnnnwwnnwtttwsk", "kwwwwwwwwwwwwwwwwsk",
        "kwnnwwrrrwnnnnwwwsk", "kwwwwwwwwwwwwwwwwsk", "kwnnnnwttwnnnwrrwsk", "kwwwwwwwwwwwwwwwwsk",
        "kwrrwnnnnnwwttnnwsk", "kwwwwwwwwwwwwwwwwsk", "kwnnnwwttwnnwnnnwsk", "kwwwwwwwwwwwwwwwwsk",
        "kwttnnnwwrrwnnnnwsk", "kwwwwwwwwwwwwwwwwsk", "kwnnwwnnnwttwwwwwsk", "kwwwwwwwwwwwwwwwwsk",
        "kwnnnnwrrwnnnnnnwsk", "kwwwwwwwwwwwwwwwwsk", "kwttwnnnnwwnnnwwwsk", "kwwwwwwwwwwwwwwwwsk",
        "kwwwwwwwwwwwwwwwwsk", "ksssssssssssssssssk", "kkkkkkkkkkkkkkkkkkk",
    };
    PaintMap(img, 12, 2, page);

    auto part = [](int x, int y) {
        if (x < 0 || y < 0 || x >= 32 || y >= 32) return KeyShape::kNone;
        return KeyShape::At(x + 0.5, y + 0.5);
    };
    auto in = [&](int x, int y) { return part(x, y) != KeyShape::kNone; };
    QImage out = img;
    QPainter p(&out);
    p.setRenderHint(QPainter::Antialiasing, false);
    auto put = [&](int x, int y, char c) { p.fillRect(x, y, 1, 1, QColor(Vga(c))); };
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 32; ++x) {
            const KeyShape::Part here = part(x, y);
            if (here == KeyShape::kNone) {
                // Shadow on the page, down and right of the key.
                const QRgb under = img.pixel(x, y);
                if (in(x - 1, y - 1) && qAlpha(under) > 0 && under != Vga('k')) put(x, y, 'd');
                continue;
            }
            if (!in(x - 1, y) || !in(x + 1, y) || !in(x, y - 1) || !in(x, y + 1)) {
                put(x, y, 'k');
            } else if (here == KeyShape::kRing) {
                // Lit from the top left: white just inside the edges that face the light,
                // olive inside the ones turned away.
                if (!in(x - 1, y - 1) && (!in(x - 2, y) || !in(x, y - 2)))
                    put(x, y, 'w');
                else if (!in(x + 1, y + 1) && (!in(x + 2, y) || !in(x, y + 2)))
                    put(x, y, 'o');
                else
                    put(x, y, 'y');
            } else {
                // The blade and bit: shaded along their lower-left and far edges.
                put(x, y, !in(x - 1, y + 1) || !in(x + 1, y + 1) ? 'o' : 'y');
            }
        }
    return out;
}

// The mark at any size, smooth, for the About logo and the desktop's icon theme.
void PaintMark(QPainter& p, double scale, bool with_page) {
    p.save();
    p.setRenderHint(QPainter::Antialiasing, true);
    p.scale(scale, scale);
    const double px = 1.0 / scale;  // one device pixel in mark units
    if (with_page) {
        const QRectF r(12.5, 2.5, 17, 24);
        p.fillRect(r.translated(1.2, 1.2), QColor(0, 0, 0, 70));
        p.setPen(QPen(QColor(Vga('k')), std::max(px, 0.5)));
        p.setBrush(QColor(Vga('w')));
        p.drawRect(r);
        // Lines of scrambled text in ink colours of the palette.
        const char* lines[] = {
            "nnn rr nnnn",   "tt nnn nn ttt",  "nn rrr nnnn", "nnnn tt nnn rr", "rr nnnnn tt nn",
            "nnn tt nn nnn", "tt nnn rr nnnn", "nn nnn tt",   "nnnn rr nnnnnn", "tt nnnn nnn"};
        double y = r.top() + 2.0;
        for (const char* line : lines) {
            double x = r.left() + 1.5;
            for (const char* c = line; *c; ++c, x += 1.0)
                if (*c != ' ') p.fillRect(QRectF(x, y, 1.0, 1.0), QColor(Vga(*c)));
            y += 2.0;
        }
    }
    const QPainterPath key = KeyPath();
    p.fillPath(key.translated(0.9, 0.9), QColor(0, 0, 0, 90));
    QLinearGradient gold(QPointF(2, 2), QPointF(26, 28));
    gold.setColorAt(0.0, QColor(255, 250, 200));
    gold.setColorAt(0.25, QColor(255, 224, 40));
    gold.setColorAt(0.7, QColor(214, 168, 0));
    gold.setColorAt(1.0, QColor(128, 100, 0));
    p.setBrush(gold);
    p.setPen(QPen(QColor(40, 28, 0), std::max(0.9 * px, 0.55), Qt::SolidLine, Qt::RoundCap,
                  Qt::RoundJoin));
    p.drawPath(key);
    // A soft gleam on the ring.
    QPainterPath gleam;
    gleam.arcMoveTo(QRectF(10.0 - 5.9, 10.0 - 5.9, 11.8, 11.8), 110);
    gleam.arcTo(QRectF(10.0 - 5.9, 10.0 - 5.9, 11.8, 11.8), 110, 70);
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(QColor(255, 255, 255, 190), 1.1, Qt::SolidLine, Qt::RoundCap));
    p.drawPath(gleam);
    p.restore();
}

QImage IconLarge(int size) {
    QImage img(size, size, QImage::Format_ARGB32_Premultiplied);
    img.fill(Qt::transparent);
    QPainter p(&img);
    PaintMark(p, size / 32.0, true);
    return img.convertToFormat(QImage::Format_ARGB32);
}

// ---------------------------------------------------------------------------------------------
// About logo, 73 x 66, 24-bit: the mark on a deep blue field with the product name; `s`
// times as large for screens of that device pixel ratio.

QImage Logo(int s = 1) {
    const int f = 4;  // painted at four times the size, then reduced, for smooth edges
    QImage big(73 * f * s, 66 * f * s, QImage::Format_RGB32);
    {
        QPainter p(&big);
        p.scale(s, s);
        p.setRenderHint(QPainter::Antialiasing, true);
        QLinearGradient sky(QPointF(0, 0), QPointF(0, 66 * f));
        sky.setColorAt(0.0, QColor(16, 40, 104));
        sky.setColorAt(1.0, QColor(8, 92, 112));
        p.fillRect(QRect(0, 0, 73 * f, 66 * f), sky);
        // Faint columns of scrambled characters behind the mark.
        QFont mono("DejaVu Sans Mono");
        mono.setPixelSize(7 * f);
        mono.setBold(true);
        p.setFont(mono);
        p.setPen(QColor(255, 255, 255, 22));
        const char* rows[] = {"7Qx%Lm2", "Ok#9tZw", "b3$Yq8e", "Mx!c4Ko", "t6&Jr1V", "Pz@5nGu"};
        int y = 8 * f;
        for (const char* r : rows) {
            p.drawText(QPoint(2 * f, y), QString::fromLatin1(r));
            y += 8 * f;
        }
        p.translate(12 * f, 1 * f);
        PaintMark(p, 1.45 * f, false);
    }
    QImage img = big.scaled(73 * s, 66 * s, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    {
        QPainter p(&img);
        p.scale(s, s);
        p.setRenderHint(QPainter::TextAntialiasing, true);
        QFont font("Liberation Serif");
        font.setPixelSize(14);
        font.setBold(true);
        font.setItalic(true);
        p.setFont(font);
        const QRect band(0, 48, 73, 16);
        p.setPen(QColor(0, 0, 0, 160));
        p.drawText(band.translated(1, 1), Qt::AlignCenter, "Ottomix");
        p.setPen(QColor(255, 255, 255));
        p.drawText(band, Qt::AlignCenter, "Ottomix");
    }
    return img.convertToFormat(QImage::Format_RGB888);
}

// ---------------------------------------------------------------------------------------------
// Main window background, 508 x 352, 24-bit. The window shows it from (8, 32), so the
// controls' client positions are moved by that much here.

QRect Client(int x, int y, int w, int h) {
    return QRect(x + 8, y + 32, w, h);
}

void Groove(QPainter& p, const QRect& r, const QColor& light, const QColor& dark) {
    // A lowered panel: shadow on the top and left, light on the bottom and right.
    p.setPen(dark);
    p.drawLine(r.topLeft(), r.topRight());
    p.drawLine(r.topLeft(), r.bottomLeft());
    p.setPen(light);
    p.drawLine(r.bottomLeft() + QPoint(1, 0), r.bottomRight());
    p.drawLine(r.topRight() + QPoint(0, 1), r.bottomRight());
}

QImage Background(int s = 1) {
    QImage img(508 * s, 352 * s, QImage::Format_RGB32);
    QPainter p(&img);
    p.scale(s, s);
    QLinearGradient wash(QPointF(0, 0), QPointF(120, 352));
    wash.setColorAt(0.0, QColor(206, 214, 224));
    wash.setColorAt(1.0, QColor(170, 183, 199));
    p.fillRect(QRect(0, 0, 508, 352), wash);

    // A fine linen weave (two faint diagonals) and an ordered dither keep the wash from banding
    // while staying small on disk; no randomness, so every run gives the same file.
    static const int kBayer[4][4] = {{0, 8, 2, 10}, {12, 4, 14, 6}, {3, 11, 1, 9}, {15, 7, 13, 5}};
    for (int y = 0; y < img.height(); ++y) {
        QRgb* line = reinterpret_cast<QRgb*>(img.scanLine(y));
        for (int x = 0; x < img.width(); ++x) {
            int d = kBayer[y & 3][x & 3] >= 8 ? 1 : 0;
            if (((x + y) & 3) == 0) d += 2;
            if (((x - y) & 7) == 0) d -= 2;
            const QRgb c = line[x];
            line[x] = qRgb(std::clamp(qRed(c) + d, 0, 255), std::clamp(qGreen(c) + d, 0, 255),
                           std::clamp(qBlue(c) + d, 0, 255));
        }
    }

    p.setRenderHint(QPainter::Antialiasing, false);
    const QColor light(236, 241, 246);
    const QColor dark(120, 134, 152);

    // One lowered panel holds the browser, the mode group and the command buttons; Exit sits
    // outside it, bottom right, like a dialog's closing button.
    const QRect panel = Client(24, 14, 426, 266);
    p.fillRect(panel.adjusted(1, 1, 0, 0), QColor(0, 24, 60, 16));
    Groove(p, panel, light, dark);
    Groove(p, panel.adjusted(1, 1, -1, -1), QColor(222, 228, 236), QColor(150, 162, 178));

    // The brand in the panel's free corner: under the mode group, right of the buttons, and
    // below where the text viewer ends when it is shown.
    p.setRenderHint(QPainter::Antialiasing, true);
    p.setRenderHint(QPainter::TextAntialiasing, true);
    QFont brand("Liberation Serif");
    brand.setPixelSize(24);
    brand.setBold(true);
    brand.setItalic(true);
    QFont year = brand;
    year.setPixelSize(13);
    year.setItalic(false);
    const QFontMetrics bm(brand), ym(year);
    const int right = Client(440, 0, 0, 0).x();
    const int base = Client(0, 275, 0, 0).y();
    const int year_x = right - ym.horizontalAdvance("98");
    const int brand_x = year_x - 3 - bm.horizontalAdvance("Ottomix");
    const QColor emboss(250, 252, 255, 210), ink(104, 120, 144);
    for (int pass = 0; pass < 2; ++pass) {
        const QPoint off = pass == 0 ? QPoint(1, 1) : QPoint(0, 0);
        p.setPen(pass == 0 ? emboss : ink);
        p.setFont(brand);
        p.drawText(QPoint(brand_x, base) + off, "Ottomix");
        p.setFont(year);
        p.drawText(QPoint(year_x, base - 10) + off, "98");
    }
    p.end();
    return img.convertToFormat(QImage::Format_RGB888);
}

// ---------------------------------------------------------------------------------------------
// Link properties picture, 32 x 32: a document with a globe in front of it.

QImage PropertiesPicture() {
    QImage img(32, 32, QImage::Format_ARGB32_Premultiplied);
    img.fill(Qt::transparent);
    // The page, drawn pixel-exact.
    const Rows page = {
        "kkkkkkkkkkkkk....",  //
        "kwwwwwwwwwwwkk...",  //
        "kwwwwwwwwwwwksk..",  //
        "kwnnnnnwnnnwkssk.",  //
        "kwwwwwwwwwwwkkkkk",  //
        "kwnnnwnnnnnnnwwwk",  //
        "kwwwwwwwwwwwwwwwk",  //
        "kwnnnnnnwnnnnwwwk",  //
        "kwwwwwwwwwwwwwwwk",  //
        "kwbbbbbbbbbbwwwwk",  //
        "kwwwwwwwwwwwwwwwk",  //
        "kwnnnnwnnnnnnwwwk",  //
        "kwwwwwwwwwwwwwwwk",  //
        "kwnnnnnnnwwwwwwwk",  //
        "kwwwwwwwwwwwwwwwk",  //
        "kwwwwwwwwwwwwwwwk",  //
        "kwwwwwwwwwwwwwwwk",  //
        "kwwwwwwwwwwwwwwwk",  //
        "kwwwwwwwwwwwwwwwk",  //
        "kwwwwwwwwwwwwwwwk",  //
        "kwwwwwwwwwwwwwwwk",  //
        "kwwwwwwwwwwwwwwwk",  //
        "kwwwwwwwwwwwwwwwk",  //
        "kkkkkkkkkkkkkkkkk",  //
    };
    PaintMap(img, 2, 1, page);

    // The globe, smooth.
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing, true);
    const QPointF c(21.0, 21.0);
    const double r = 9.5;
    QRadialGradient sea(c - QPointF(3.5, 3.5), r * 1.6);
    sea.setColorAt(0.0, QColor(150, 210, 255));
    sea.setColorAt(0.5, QColor(30, 110, 220));
    sea.setColorAt(1.0, QColor(0, 30, 110));
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0, 0, 0, 60));
    p.drawEllipse(c + QPointF(1, 1), r, r);
    p.setBrush(sea);
    p.drawEllipse(c, r, r);
    // Land masses, clipped to the globe.
    QPainterPath ball;
    ball.addEllipse(c, r, r);
    p.setClipPath(ball);
    p.setBrush(QColor(40, 160, 60));
    QPainterPath land;
    land.moveTo(14, 15);
    land.cubicTo(17, 11, 22, 12, 23, 15);
    land.cubicTo(24, 18, 20, 18, 19, 21);
    land.cubicTo(18, 25, 15, 24, 14, 21);
    land.closeSubpath();
    land.moveTo(24, 20);
    land.cubicTo(27, 19, 31, 22, 29, 26);
    land.cubicTo(27, 30, 24, 28, 24, 25);
    land.closeSubpath();
    p.drawPath(land);
    // Meridian and parallels.
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(QColor(255, 255, 255, 110), 0.8));
    p.drawEllipse(c, r * 0.45, r);
    p.drawLine(QPointF(c.x() - r, c.y()), QPointF(c.x() + r, c.y()));
    p.drawLine(QPointF(c.x() - r * 0.85, c.y() - r * 0.5),
               QPointF(c.x() + r * 0.85, c.y() - r * 0.5));
    p.drawLine(QPointF(c.x() - r * 0.85, c.y() + r * 0.5),
               QPointF(c.x() + r * 0.85, c.y() + r * 0.5));
    p.setClipping(false);
    p.setPen(QPen(QColor(0, 0, 40), 1.0));
    p.drawEllipse(c, r, r);
    p.end();
    return img.convertToFormat(QImage::Format_ARGB32);
}

// ---------------------------------------------------------------------------------------------

struct Output {
    QString name;
    QImage image;
};

QImage ContactSheet(const std::vector<Output>& outputs) {
    const int scale_small = 8;
    const int w = 1100;
    int x = 10, y = 10, row_h = 0;
    std::vector<std::pair<QPoint, const Output*>> placed;
    std::vector<int> scales;
    for (const Output& o : outputs) {
        const int s = o.image.width() <= 73 ? (o.image.width() <= 32 ? scale_small : 4) : 1;
        const QSize sz = o.image.size() * s;
        if (x + sz.width() > w) {
            x = 10;
            y += row_h + 24;
            row_h = 0;
        }
        placed.push_back({QPoint(x, y), &o});
        scales.push_back(s);
        x += sz.width() + 16;
        row_h = std::max(row_h, sz.height());
    }
    QImage sheet(w, y + row_h + 30, QImage::Format_RGB32);
    sheet.fill(QColor(90, 90, 90));
    QPainter p(&sheet);
    for (size_t i = 0; i < placed.size(); ++i) {
        const QPoint at = placed[i].first;
        const QImage& img = placed[i].second->image;
        const QSize sz = img.size() * scales[i];
        for (int cy = 0; cy < sz.height(); cy += 8)
            for (int cx = 0; cx < sz.width(); cx += 8)
                p.fillRect(at.x() + cx, at.y() + cy, std::min(8, sz.width() - cx),
                           std::min(8, sz.height() - cy),
                           ((cx + cy) / 8) % 2 ? QColor(200, 200, 200) : QColor(235, 235, 235));
        p.drawImage(QRect(at, sz), img.convertToFormat(QImage::Format_ARGB32));
        p.setPen(Qt::white);
        p.drawText(at + QPoint(0, sz.height() + 14), placed[i].second->name);
    }
    return sheet;
}

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    if (argc != 2 && !(argc == 4 && std::string(argv[2]) == "--sheet")) {
        std::fprintf(stderr, "usage: %s OUTPUT_DIR [--sheet FILE]\n", argv[0]);
        return 2;
    }
    const QDir dir(QString::fromLocal8Bit(argv[1]));
    if (!dir.exists() && !QDir().mkpath(dir.path())) {
        std::fprintf(stderr, "cannot create %s\n", argv[1]);
        return 1;
    }

    std::vector<Output> outputs = {
        {"FLOPPY", ToVga(Browser("FLOPPY", 16, 11, kFloppy))},
        {"HARD", ToVga(Browser("HARD", 16, 11, kHard))},
        {"NETWORK", ToVga(Browser("NETWORK", 16, 11, kNetwork))},
        {"CDROM", ToVga(Browser("CDROM", 16, 11, kCdrom))},
        {"RAM", ToVga(Browser("RAM", 16, 11, kRam))},
        {"OPENFOLDER", ToVga(Browser("OPENFOLDER", 16, 15, kOpenFolder))},
        {"CURRENTFOLDER", ToVga(Browser("CURRENTFOLDER", 16, 15, kCurrentFolder))},
        {"CLOSEDFOLDER", ToVga(Browser("CLOSEDFOLDER", 16, 15, kClosedFolder))},
        {"EXECUTABLE", ToVga(Browser("EXECUTABLE", 16, 15, kExecutable))},
        {"UNKNOWNFILE", ToVga(Browser("UNKNOWNFILE", 16, 15, kUnknownFile))},
        {"glyph_exit", ToVga(ButtonGlyph("exit", kExitDoor, 6, 4, kExitArrow))},
        {"glyph_encrypt", ToVga(ButtonGlyph("encrypt", kLockClosed, 0, 0, {}))},
        {"glyph_decrypt", ToVga(ButtonGlyph("decrypt", kLockOpen, 0, 0, {}))},
        {"glyph_view", ToVga(ButtonGlyph("view", kViewPage, 6, 6, kViewLens))},
        {"HANDPOINT", HandCursor()},
        {"PROPBMP", PropertiesPicture()},
        {"icon", ToVga(IconVga())},
        {"ottomix-48", IconLarge(48)},
        {"ottomix-128", IconLarge(128)},
        {"logo", Logo()},
        {"background", Background()},
        // For screens at twice the density: drawn, not enlarged.
        {"ottomix-64", IconLarge(64)},
        {"logo@2x", Logo(2)},
        {"background@2x", Background(2)},
    };

    for (const Output& o : outputs) {
        const QString path = dir.filePath(o.name + ".png");
        if (!o.image.save(path, "PNG")) {
            std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
            return 1;
        }
    }
    if (argc == 4 && !ContactSheet(outputs).save(QString::fromLocal8Bit(argv[3]), "PNG")) {
        std::fprintf(stderr, "cannot write %s\n", argv[3]);
        return 1;
    }
    std::printf("wrote %zu pictures to %s\n", outputs.size(), argv[1]);
    return 0;
}
