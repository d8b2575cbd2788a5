// A label that shows an address as an underlined link and opens it on click.
//
// The caption is the address without its scheme; the link type supplies the
// prefix ("mailto:", "http://" ...), so "www.example.org" of type Http opens
// "http://www.example.org". An alias, if set, is shown instead of prefix and
// caption. Links showing the same caption (compared without case) share their
// visited state through the LinkRegistry: opening one turns all of them to the
// visited colour. A right click shows a menu (open, open with a chosen
// program, copy the address, properties window). Assistive technology sees a
// link it can press (hyperlink_label_accessible.h).
//
// Links read from a window layout are set up between beginLoad() and
// loaded(); only then do they join the registry. Links made in code join it
// as soon as their caption is set.
#pragma once

#include <QImage>
#include <QString>
#include <QWidget>
#include <functional>

#include "widgets/links/link_types.h"
#include "widgets/links/screen_cursor.h"

class QMenu;

namespace ottomix {

class HyperlinkLabel;

// Asked before a link opens; setting `proceed` to false cancels the opening.
using OpenRequestHandler = std::function<void(HyperlinkLabel* link, bool& proceed)>;
// Told the launch result (see link_launcher.h) of every opening not cancelled,
// failed ones included.
using OpenResultHandler = std::function<void(HyperlinkLabel* link, int result)>;

class HyperlinkLabel : public QWidget {
    Q_OBJECT
    Q_PROPERTY(QString caption READ caption WRITE setCaption)
    Q_PROPERTY(QString alias READ alias WRITE setAlias)
    Q_PROPERTY(bool visited READ isVisited WRITE setVisited)
    Q_PROPERTY(bool autoSize READ autoSize WRITE setAutoSize)
    Q_PROPERTY(bool transparent READ isTransparent WRITE setTransparent)
    Q_PROPERTY(QString customPrefix READ customPrefix WRITE setCustomPrefix)
    Q_PROPERTY(bool showHint READ showHint WRITE setShowHint)
    Q_PROPERTY(bool parentShowHint READ parentShowHint WRITE setParentShowHint)
    Q_PROPERTY(int cursorId READ cursorId WRITE setCursorId)

  public:
    explicit HyperlinkLabel(QWidget* parent = nullptr);
    ~HyperlinkLabel() override;

    // Reading from a window layout: setters store without repainting until loaded().
    void beginLoad();
    // Ends loading: builds the menu, keeps the hint set so far as the link's
    // own and joins the registry.
    virtual void loaded();
    bool isLoading() const { return loading_; }
    // Design mode (a layout editor): draws, but neither opens, registers nor shares.
    void setDesigning(bool designing) { designing_ = designing; }
    bool isDesigning() const { return designing_; }

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
    ColorRef linkColor() const { return linkColor_; }
    virtual void setLinkColor(ColorRef value);
    ColorRef visitedColor() const { return visitedColor_; }
    virtual void setVisitedColor(ColorRef value);
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
    // pixel as the transparent colour.
    const QImage& bitmap() const { return bitmap_; }
    virtual void setBitmap(const QImage& value);
    ColorRef transparentColor() const { return transparentColor_; }
    virtual void setTransparentColor(ColorRef value);
    virtual QMenu* popupMenu() const { return popup_; }

    // Docks the link in its parent, following the parent's size.
    LinkAlign align() const { return align_; }
    void setAlign(LinkAlign value);
    // Background when not transparent; parentColor takes the parent's window colour.
    ColorRef color() const { return color_; }
    void setColor(ColorRef value);
    bool parentColor() const { return parentColor_; }
    void setParentColor(bool value);
    // The tooltip. The one set while loading is kept as the link's own: it is
    // shown while the text fits, otherwise the tooltip shows the whole address.
    QString hint() const { return toolTip(); }
    void setHint(const QString& value);
    bool showHint() const { return showHint_; }
    void setShowHint(bool value);
    // Whether to follow the parent's "showHint" property instead of showHint().
    bool parentShowHint() const { return parentShowHint_; }
    void setParentShowHint(bool value);
    // A cursor id of screen_cursor.h.
    int cursorId() const { return cursorId_; }
    void setCursorId(int id);

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
    // The rule of the plain property setters: store a changed value, then
    // refresh unless a layout is being read.
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
    ColorRef linkColor_ = kBlue;
    ColorRef visitedColor_ = kPurple;
    QString savedHint_;
    QString alias_;
    LinkMenuItems menuItems_ = kAllLinkMenuItems;
    LinkLayout linkLayout_ = LinkLayout::Text;
    QImage bitmap_;
    ColorRef transparentColor_ = kNoColor;

    QString caption_;
    LinkAlign align_ = LinkAlign::None;
    ColorRef color_ = kWindowColor;
    bool parentColor_ = true;
    bool showHint_ = true;
    bool parentShowHint_ = false;
    int cursorId_ = kDefaultCursor;
    bool loading_ = false;
    bool designing_ = false;
    bool leftPressed_ = false;
    QWidget* watchedParent_ = nullptr;

    OpenRequestHandler beforeOpen_;
    OpenRequestHandler opening_;
    OpenResultHandler afterOpen_;
};

}  // namespace ottomix
