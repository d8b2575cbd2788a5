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
QIcon glyphIcon(const QPixmap& strip);

class GlyphButton : public QPushButton {
    Q_OBJECT

  public:
    GlyphButton(const QString& caption, GlyphLayout layout, QWidget* parent = nullptr);

    void setGlyph(const QPixmap& strip);
    const QIcon& glyph() const { return glyph_; }
    GlyphLayout glyphLayout() const { return layout_; }

    // Gap between glyph and caption.
    static constexpr int kSpacing = 4;
    // The rectangles of glyph and caption inside `contents` (the glyph's is
    // empty without a glyph): both centred as one block.
    void contentRects(const QRect& contents, QRect* glyph, QRect* caption) const;
    // Width and height the glyph and caption need without any frame.
    QSize contentSize() const;
    // The dotted focus frame around glyph and caption (drawn with a one-pixel
    // pen, so its right and bottom lines fall one pixel outside).
    QRect focusFrame(const QRect& glyph, const QRect& caption) const;

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    GlyphLayout layout_;
    QIcon glyph_;
    QSize glyphSize_;
};

}  // namespace ottomix
