// Checks that the artwork linked in through ottomix_resources is present and usable: every
// picture loads from its resource path at its size, the small glyphs keep to the rules the
// controls draw them by, and the cursor's fingertip is where its hot spot is.

#include <QGuiApplication>
#include <QImage>
#include <QSet>
#include <QString>
#include <cstdio>

namespace {

int g_passed = 0;
int g_failed = 0;

void Check(bool ok, const QString& what) {
    if (ok) {
        ++g_passed;
    } else {
        ++g_failed;
        std::printf("FAIL: %s\n", qPrintable(what));
    }
}

QImage Load(const QString& name, QSize size) {
    const QString path = ":/ottomix/" + name + ".png";
    QImage img(path);
    Check(!img.isNull(), path + " loads");
    if (img.isNull()) return img;
    Check(img.size() == size,
          QString("%1 is %2x%3").arg(path).arg(size.width()).arg(size.height()));
    return img.convertToFormat(QImage::Format_ARGB32);
}

QSet<QRgb> Colours(const QImage& img, QRect area) {
    QSet<QRgb> colours;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x) colours.insert(img.pixel(x, y));
    return colours;
}

bool IsVga(QRgb c) {
    static const QSet<QRgb> vga = {
        qRgb(0, 0, 0),       qRgb(128, 0, 0),   qRgb(0, 128, 0),   qRgb(128, 128, 0),
        qRgb(0, 0, 128),     qRgb(128, 0, 128), qRgb(0, 128, 128), qRgb(192, 192, 192),
        qRgb(128, 128, 128), qRgb(255, 0, 0),   qRgb(0, 255, 0),   qRgb(255, 255, 0),
        qRgb(0, 0, 255),     qRgb(255, 0, 255), qRgb(0, 255, 255), qRgb(255, 255, 255)};
    return qAlpha(c) == 0 || vga.contains(c);
}

bool AllVga(const QImage& img) {
    for (QRgb c : Colours(img, img.rect()))
        if (!IsVga(c)) return false;
    return true;
}

// A browser glyph is drawn with its bottom-left colour left out, so that colour must be the
// opaque background around the picture (the corners) and the picture itself must be more than
// background.
void CheckBrowserGlyph(const QString& name, QSize size) {
    const QImage img = Load(name, size);
    if (img.isNull()) return;
    const QRgb key = img.pixel(0, img.height() - 1);
    Check(qAlpha(key) == 255, name + ": see-through colour is opaque");
    Check(AllVga(img), name + ": only VGA colours");
    int drawn = 0;
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x)
            if (img.pixel(x, y) != key) ++drawn;
    Check(drawn >= img.width() * img.height() / 3, name + ": picture covers the glyph");
    Check(drawn < img.width() * img.height(), name + ": some background shows through");
}

// Both halves of a button glyph hold a picture on a transparent background, and the disabled
// half is a different (greyed) picture.
void CheckButtonGlyph(const QString& name) {
    const QImage img = Load(name, QSize(32, 16));
    if (img.isNull()) return;
    const QImage enabled = img.copy(0, 0, 16, 16), disabled = img.copy(16, 0, 16, 16);
    Check(qAlpha(img.pixel(0, 15)) == 0 && qAlpha(img.pixel(16, 15)) == 0,
          name + ": background is transparent");
    Check(AllVga(img), name + ": only VGA colours");
    Check(enabled != disabled, name + ": disabled image differs");
    bool colourful = false;
    for (QRgb c : Colours(disabled, disabled.rect()))
        if (qAlpha(c) > 0 && (qRed(c) != qGreen(c) || qGreen(c) != qBlue(c))) colourful = true;
    Check(!colourful, name + ": disabled image is grey");
    Check(Colours(disabled, disabled.rect()).size() >= 3, name + ": disabled image is drawn");
}

}  // namespace

int main(int argc, char** argv) {
    QGuiApplication app(argc, argv);

    for (const char* name : {"FLOPPY", "HARD", "NETWORK", "CDROM", "RAM"})
        CheckBrowserGlyph(name, QSize(16, 11));
    for (const char* name :
         {"OPENFOLDER", "CURRENTFOLDER", "CLOSEDFOLDER", "EXECUTABLE", "UNKNOWNFILE"})
        CheckBrowserGlyph(name, QSize(16, 15));
    for (const char* name : {"glyph_exit", "glyph_encrypt", "glyph_decrypt", "glyph_view"})
        CheckButtonGlyph(name);

    // The hand's fingertip is the hot spot (12, 5): drawn there, nothing above it.
    const QImage hand = Load("HANDPOINT", QSize(32, 32));
    if (!hand.isNull()) {
        Check(qAlpha(hand.pixel(12, 5)) == 255, "HANDPOINT: fingertip at the hot spot");
        bool above = false;
        for (int y = 0; y < 5; ++y)
            for (int x = 0; x < 32; ++x) above |= qAlpha(hand.pixel(x, y)) > 0;
        Check(!above, "HANDPOINT: nothing above the fingertip");
        Check(qAlpha(hand.pixel(0, 0)) == 0, "HANDPOINT: background is transparent");
    }

    const QImage icon = Load("icon", QSize(32, 32));
    if (!icon.isNull()) Check(AllVga(icon), "icon: only VGA colours");
    Load("PROPBMP", QSize(32, 32));
    Load("ottomix-48", QSize(48, 48));
    Load("ottomix-64", QSize(64, 64));
    Load("ottomix-128", QSize(128, 128));

    // The background and the logo are full-colour pictures without transparency.
    // Each also drawn at twice the size for dense screens.
    for (auto [name, size] : {std::pair<const char*, QSize>{"background", QSize(508, 352)},
                              std::pair<const char*, QSize>{"logo", QSize(73, 66)},
                              std::pair<const char*, QSize>{"background@2x", QSize(1016, 704)},
                              std::pair<const char*, QSize>{"logo@2x", QSize(146, 132)}}) {
        const QImage img = Load(name, size);
        if (img.isNull()) continue;
        Check(!QImage(QString(":/ottomix/%1.png").arg(name)).hasAlphaChannel(),
              QString(name) + ": opaque");
        Check(Colours(img, img.rect()).size() > 64, QString(name) + ": full colour");
    }

    std::printf("%d passed, %d failed\n", g_passed, g_failed);
    return g_failed == 0 ? 0 : 1;
}
