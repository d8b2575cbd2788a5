// A push button with a glyph beside or under its caption.
#pragma once

#include <QIcon>
#include <QPixmap>
#include <QPushButton>

namespace ottomix {

enum class GlyphLayout { Left, Bottom };

// Splits a glyph strip (enabled image left, disabled image right, each as
// wide as the strip is high) into an icon with a Normal and a Disabled image.
// A strip of any other shape is used whole for both; a null pixmap gives a
// null icon.
QIcon GlyphIcon(const QPixmap& strip);

class TBitBtn : public QPushButton {
    Q_OBJECT

  public:
    TBitBtn(const QString& caption, GlyphLayout layout, QWidget* parent = nullptr);

    void SetGlyph(const QPixmap& strip);
    const QIcon& Glyph() const { return glyph_; }
    GlyphLayout Layout() const { return layout_; }

    // Gap between glyph and caption.
    static constexpr int kSpacing = 4;
    // The rectangles of glyph and caption inside `contents` (the glyph's is
    // empty without a glyph): both centred as one block.
    void ContentRects(const QRect& contents, QRect* glyph, QRect* caption) const;
    // Width and height the glyph and caption need without any frame.
    QSize ContentSize() const;
    // The dotted focus frame around glyph and caption (drawn with a one-pixel
    // pen, so its right and bottom lines fall one pixel outside).
    QRect FocusFrame(const QRect& glyph, const QRect& caption) const;

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    GlyphLayout layout_;
    QIcon glyph_;
    QSize glyph_size_;
};

}  // namespace ottomix
