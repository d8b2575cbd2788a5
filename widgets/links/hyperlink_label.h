// A label that shows an address as an underlined link and opens it on click.
//
// The caption is the address without its scheme; the link type supplies the
// prefix ("mailto:", "http://" ...), so "www.example.org" of type Http opens
// "http://www.example.org". An alias, if set, is shown instead of prefix and
// caption. Links showing the same caption (compared without case) share their
// visited state through the LinkRegistry: opening one turns all of them to the
// visited colour. A right click shows a menu (open, open with a chosen
// program, copy the address, properties window). Assistive technology sees a
// link it can press (hyperlink_label_accessible.h). A link joins the registry
// as soon as its caption is set.
#pragma once

#include <QColor>
#include <QImage>
#include <QString>
#include <QWidget>
#include <functional>

#include "widgets/links/link_types.h"

class QMenu;

namespace ottomix {

class HyperlinkLabel;

// Asked before a link opens; setting `proceed` to false cancels the opening.
using OpenRequestHandler = std::function<void(HyperlinkLabel* link, bool& proceed)>;
// Told the launch result (see link_launcher.h) of every opening not cancelled,
// failed ones included.
using OpenResultHandler = std::function<void(HyperlinkLabel* link, int result)>;

// A new link's text: blue, purple once visited.
inline constexpr QColor kDefaultLinkColor{0, 0, 255};
inline constexpr QColor kDefaultVisitedColor{128, 0, 128};

// The entries of the link's menu.
inline constexpr char kOpenEntry[] = "&Open";
inline constexpr char kOpenWithEntry[] = "Open with...";
inline constexpr char kCopyUrlEntry[] = "Copy Url to clipboard";
inline constexpr char kPropertiesEntry[] = "&Properties";
// Told the user when the clipboard did not take the address.
inline constexpr char kClipboardFailedMessage[] = "Could not write to clipboard";

class HyperlinkLabel : public QWidget {
    Q_OBJECT
    Q_PROPERTY(QString caption READ caption WRITE setCaption)
    Q_PROPERTY(QString alias READ alias WRITE setAlias)
    Q_PROPERTY(bool visited READ isVisited WRITE setVisited)
    Q_PROPERTY(bool autoSize READ autoSize WRITE setAutoSize)
    Q_PROPERTY(bool transparent READ isTransparent WRITE setTransparent)
    Q_PROPERTY(QString customPrefix READ customPrefix WRITE setCustomPrefix)
    Q_PROPERTY(bool showHint READ showHint WRITE setShowHint)

  public:
    // Shows the pointing hand of the program's artwork (screen_cursor.h) as
    // its cursor; QWidget::setCursor() chooses another.
    explicit HyperlinkLabel(QWidget* parent = nullptr);
    ~HyperlinkLabel() override;

    const QString& caption() const { return caption_; }
    virtual void setCaption(const QString& value);
    const QString& alias() const { return alias_; }
    virtual void setAlias(const QString& value);
    // Sizes the link to its text (or picture) whenever that changes.
    bool autoSize() const { return autoSize_; }
    virtual void setAutoSize(bool value);
    LinkType linkType() const { return linkType_; }
    virtual void setLinkType(LinkType value);
    // Transparent: no background of its own; pictures leave transparentColor() out.
    bool isTransparent() const { return transparent_; }
    virtual void setTransparent(bool value);
    // The text colours before and after a visit; Qt::transparent hides the text.
    QColor linkColor() const { return linkColor_; }
    virtual void setLinkColor(const QColor& value);
    QColor visitedColor() const { return visitedColor_; }
    virtual void setVisitedColor(const QColor& value);
    bool isVisited() const { return visited_; }
    virtual void setVisited(bool value);
    // The prefix of Custom links, shared by every link of the process.
    QString customPrefix() const;
    virtual void setCustomPrefix(const QString& value);
    LinkMenuItems menuItems() const { return menuItems_; }
    virtual void setMenuItems(LinkMenuItems value);
    LinkLayout linkLayout() const { return linkLayout_; }
    virtual void setLinkLayout(LinkLayout value);
    // Setting a picture switches to the Bitmap layout and takes its top left
    // pixel, made opaque, as the transparent colour.
    const QImage& bitmap() const { return bitmap_; }
    virtual void setBitmap(const QImage& value);
    // Pixels of this colour are left out of a transparent link's picture; an
    // invalid colour (the default) leaves none out.
    QColor transparentColor() const { return transparentColor_; }
    virtual void setTransparentColor(const QColor& value);
    virtual QMenu* popupMenu() const { return popup_; }

    // The parent's edges the link keeps to as the parent resizes: between two
    // opposite edges it spans the parent, against one it sits at that edge,
    // and with neither it stays where it is. All four fill the parent. Without
    // any (the default) the link is not docked.
    Qt::Edges dockEdges() const { return dockEdges_; }
    void setDockEdges(Qt::Edges value);
    // The background when not transparent: the parent's Window colour while
    // parentColor() holds, otherwise color(). An invalid color() (the default)
    // stands for the palette's Base colour, the desktop's colour for window
    // contents. Setting a colour turns parentColor() off.
    QColor color() const { return color_; }
    void setColor(const QColor& value);
    bool parentColor() const { return parentColor_; }
    void setParentColor(bool value);
    // What the tooltip shows now. setHint() gives the link a tooltip of its
    // own, shown while the text fits; otherwise, or without one, the tooltip
    // shows the whole address.
    QString hint() const { return toolTip(); }
    void setHint(const QString& value);
    // Whether the tooltip is shown at all.
    bool showHint() const { return showHint_; }
    void setShowHint(bool value);

    // Prefix of linkType() followed by caption(): what opening hands on.
    QString launchTarget() const;
    // Same as a left click: opens through the registry, then registers.
    void click();
    // The menu's "Copy Url to clipboard".
    void copyUrlToClipboard();

    // Opening asks the before-open handler, then the opening handler (either
    // may cancel), launches, and tells the after-open handler the result.
    void setBeforeOpenHandler(OpenRequestHandler handler);
    void setOpeningHandler(OpenRequestHandler handler);
    void setAfterOpenHandler(OpenResultHandler handler);

  signals:
    void doubleClicked();
    void mouseMoved(Qt::KeyboardModifiers modifiers, QPoint pos);
    // After the release's own work, such as opening the link.
    void mouseReleased(Qt::MouseButton button, Qt::KeyboardModifiers modifiers, QPoint pos);

  protected:
    bool event(QEvent* e) override;
    void paintEvent(QPaintEvent* e) override;
    void mousePressEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;
    void mouseDoubleClickEvent(QMouseEvent* e) override;
    void mouseMoveEvent(QMouseEvent* e) override;
    void changeEvent(QEvent* e) override;
    bool eventFilter(QObject* watched, QEvent* e) override;

  private:
    friend class LinkRegistry;

    // Sizes the link to its text (autoSize) and refreshes the hint, then schedules a paint.
    void refresh();
    // The rule of the plain property setters: store a changed value, then refresh.
    template <typename T>
    void storeAndRefresh(T& field, const T& value);
    // Returns the text width the hint rule compares with the link's width.
    int applyTextLayout();
    void updateHint(int textWidth);
    void buildPopupMenu();
    void realignInParent();
    void paintText(QPainter& painter);
    void paintBitmap(QPainter& painter);
    QFont linkFont() const;

    QMenu* popup_ = nullptr;
    bool visited_ = false;
    bool transparent_ = true;
    bool autoSize_ = true;
    LinkType linkType_ = LinkType::Email;
    QColor linkColor_ = kDefaultLinkColor;
    QColor visitedColor_ = kDefaultVisitedColor;
    QString ownHint_;
    QString alias_;
    LinkMenuItems menuItems_ = kAllLinkMenuItems;
    LinkLayout linkLayout_ = LinkLayout::Text;
    QImage bitmap_;
    QColor transparentColor_;

    QString caption_;
    Qt::Edges dockEdges_;
    QColor color_;
    bool parentColor_ = true;
    bool showHint_ = true;
    bool leftPressed_ = false;
    QWidget* watchedParent_ = nullptr;

    OpenRequestHandler beforeOpen_;
    OpenRequestHandler opening_;
    OpenResultHandler afterOpen_;
};

}  // namespace ottomix
