// Hyperlink label and the process-wide link registry behind it.
//
// A THyperLink shows an address as an underlined link, hands it to the desktop
// when clicked and shares its visited colour with every link showing the same
// address. What the links share lives in the one TUrlBase object (UrlBase()).
#pragma once

#include <QCursor>
#include <QImage>
#include <QString>
#include <QStringList>
#include <QWidget>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

class QDialog;
class QFileDialog;
class QMenu;

// Colours as 0x00BBGGRR, system colours as 0x80000000 + index, or clNone.
using TColor = std::uint32_t;
inline constexpr TColor clNone = 0x1FFFFFFF;
inline constexpr TColor clBlue = 0xFF0000;
inline constexpr TColor clPurple = 0x800080;
inline constexpr TColor clWindow = 0x80000005;
inline constexpr TColor clWindowText = 0x80000008;
inline constexpr TColor clBtnFace = 0x8000000F;

// Resolves a plain or system colour; system colours come from the palette.
QColor ColorToQColor(TColor color, const QPalette& palette);
TColor QColorToColor(const QColor& color);

enum TLinkType : std::uint8_t {
    ltEmail,
    ltFile,
    ltGopher,
    ltHttp,
    ltNews,
    ltWais,
    ltTelnet,
    ltFtp,
    ltCustom
};
inline constexpr int kLinkTypeCount = 9;

enum TLinkLayoutType : std::uint8_t { llyText, llyBitmap };

enum TLinkMenuItemOptions : std::uint8_t { lmnuOpen, lmnuCopyUrl, lmnuOpenWith, lmnuProperty };

// Set of TLinkMenuItemOptions, bit n for option n.
using TLinkMenuItems = std::uint8_t;
constexpr TLinkMenuItems MenuItem(TLinkMenuItemOptions option) {
    return static_cast<TLinkMenuItems>(1u << option);
}
inline constexpr TLinkMenuItems kAllLinkMenuItems = 15;

enum class TAlign : std::uint8_t { alNone, alTop, alBottom, alLeft, alRight, alClient };

// Sender of the three open events is the link being opened.
using TBeforeExecuteEvent = std::function<void(QObject* Sender, bool& ExecuteIt)>;
using TExecuteEvent = std::function<void(QObject* Sender, bool& ExecuteIt)>;
using TAfterExecuteEvent = std::function<void(QObject* Sender, std::int32_t Reslt)>;

// The prefix of a link type; ltCustom answers the shared custom prefix.
QString LinkPrefix(TLinkType type);
// The name shown for a link type in the properties window.
QString LinkServiceName(TLinkType type);
inline constexpr int kMaxCustomPrefix = 20;

// Screen cursors by id; crHandPoint is the module's hand, loaded once.
inline constexpr int crDefault = 0;
inline constexpr int crHandPoint = -21;
const QCursor& HandPointCursor();
QCursor ScreenCursor(int id);

// Opening. A launch result above 32 means the target was handed on.
inline constexpr int kLaunchSucceeded = 33;
inline constexpr int kLaunchFailed = 2;
// Targets longer than kMaxLaunchTarget are refused with this code and never
// launched, so nothing is opened from a silently shortened address.
inline constexpr int kLaunchTargetTooLong = 3;
inline constexpr int kMaxLaunchTarget = 255;

// program empty: the desktop's handler opens target; otherwise program starts
// detached with target as its only argument (no shell involved).
using LaunchFn = std::function<int(const QString& program, const QString& target)>;
// Replaces the launcher; an empty function restores the desktop one. Returns the previous.
LaunchFn SetLaunchFunction(LaunchFn fn);
int DefaultLaunch(const QString& program, const QString& target);

// Informational message boxes of the module go through here (replaceable, e.g. in tests).
using MessageFn = std::function<void(const QString& text)>;
MessageFn SetMessageFunction(MessageFn fn);

class THyperLink : public QWidget {
    Q_OBJECT
  public:
    explicit THyperLink(QWidget* parent = nullptr);
    ~THyperLink() override;

    // Reading from a window layout: setters store without repainting until Loaded().
    void BeginLoad();
    virtual void Loaded();
    bool IsLoading() const { return loading_; }
    // Form-designer editing: draws, but neither opens, registers nor shares.
    void SetDesigning(bool designing) { designing_ = designing; }
    bool IsDesigning() const { return designing_; }

    const QString& Caption() const { return caption_; }
    virtual void SetCaption(const QString& value);
    const QString& Alias() const { return alias_; }
    virtual void SetAlias(const QString& value);
    bool AutoSize() const { return auto_size_; }
    virtual void SetAutoSize(bool value);
    TLinkType LinkType() const { return link_type_; }
    virtual void SetLinkType(TLinkType value);
    bool Transparent() const { return transparent_; }
    virtual void SetTransparent(bool value);
    TColor LinkColor() const { return link_color_; }
    virtual void SetLinkColor(TColor value);
    TColor VisitedColor() const { return visited_color_; }
    virtual void SetVisitedColor(TColor value);
    bool Visited() const { return visited_; }
    virtual void SetVisited(bool value);
    QString CustomPrefix() const;
    virtual void SetCustomPrefix(const QString& value);
    TLinkMenuItems MenuItems() const { return menu_items_; }
    virtual void SetMenuItems(TLinkMenuItems value);
    TLinkLayoutType LinkLayout() const { return link_layout_; }
    virtual void SetLinkLayout(TLinkLayoutType value);
    const QImage& Bitmap() const { return bitmap_; }
    virtual void SetBitmap(const QImage& value);
    TColor TransparentColor() const { return transparent_color_; }
    virtual void SetTransparentColor(TColor value);
    virtual QMenu* PopupMenu() const { return popup_; }

    TAlign Align() const { return align_; }
    void SetAlign(TAlign value);
    // Background when not Transparent; ParentColor takes the parent's window colour.
    TColor Color() const { return color_; }
    void SetColor(TColor value);
    bool ParentColor() const { return parent_color_; }
    void SetParentColor(bool value);
    QString Hint() const { return toolTip(); }
    void SetHint(const QString& value);
    bool ShowHint() const { return show_hint_; }
    void SetShowHint(bool value);
    bool ParentShowHint() const { return parent_show_hint_; }
    void SetParentShowHint(bool value);
    int CursorId() const { return cursor_id_; }
    void SetCursorId(int id);

    // Prefix of LinkType followed by Caption: what opening hands on.
    QString LaunchTarget() const;
    // Same as a left click: opens through the registry, then registers.
    void Click();
    // "Copy Url to clipboard".
    void CopyUrlToClipboard();

    TBeforeExecuteEvent OnBeforeExecuted;
    TExecuteEvent OnExecute;
    TAfterExecuteEvent OnAfterExecuted;
    std::function<void(THyperLink* Sender)> OnDblClick;
    std::function<void(THyperLink* Sender, Qt::MouseButton, Qt::KeyboardModifiers, QPoint)>
        OnMouseMove;
    std::function<void(THyperLink* Sender, Qt::MouseButton, Qt::KeyboardModifiers, QPoint)>
        OnMouseUp;

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
    friend class TUrlBase;

    // Sizes the link to its text (AutoSize) and refreshes the hint, then schedules a paint.
    void Repaint();
    // The rule of the plain property setters: store a changed value, then
    // repaint unless a layout is being read.
    template <typename T>
    void StoreAndRepaint(T& field, const T& value);
    // Returns the text width W the hint rule compares with Width.
    int ApplyTextLayout();
    void UpdateHint(int text_width);
    void BuildPopupMenu();
    void RealignInParent();
    void PaintText(QPainter& painter);
    void PaintBitmap(QPainter& painter);
    QFont LinkFont() const;

    QMenu* popup_ = nullptr;
    bool visited_ = false;
    bool transparent_ = true;
    bool auto_size_ = true;
    TLinkType link_type_ = ltEmail;
    TColor link_color_ = clBlue;
    TColor visited_color_ = clPurple;
    QString saved_hint_;
    QString alias_;
    TLinkMenuItems menu_items_ = kAllLinkMenuItems;
    TLinkLayoutType link_layout_ = llyText;
    QImage bitmap_;
    TColor transparent_color_ = clNone;

    QString caption_;
    TAlign align_ = TAlign::alNone;
    TColor color_ = clWindow;
    bool parent_color_ = true;
    bool show_hint_ = true;
    bool parent_show_hint_ = false;
    int cursor_id_ = crDefault;
    bool loading_ = false;
    bool designing_ = false;
    bool left_pressed_ = false;
    QWidget* watched_parent_ = nullptr;
};

class TUrlBase {
  public:
    TUrlBase();
    virtual ~TUrlBase();
    TUrlBase(const TUrlBase&) = delete;
    TUrlBase& operator=(const TUrlBase&) = delete;

    void RegisterLink(THyperLink* link);
    // Throws std::runtime_error("Detaching Control that is not registered?").
    void UnregisterLink(THyperLink* link);
    void VisitedChanged(THyperLink* link);
    void CaptionChanging(THyperLink* link, const QString& new_caption);
    void SyncLinks();
    void OpenLink(THyperLink* link);
    void ChooseApplication(THyperLink* link);
    void ShowLinkProperties(THyperLink* link);
    QString GetTypeApplication(TLinkType type) const;

    // Writes one caption per line (CR LF); on failure tells the user and
    // throws std::runtime_error("SaveFileError").
    virtual void SaveCaptionList(bool not_visited, const QString& file_name);
    virtual QString SetTypeApplication(TLinkType type, const QString& path);
    virtual void ResetVisited();

    // The chooser of "Open with...", configured but not shown; owned by the caller.
    std::unique_ptr<QFileDialog> CreateChooser() const;
    // The properties window of a link, built and placed but not shown.
    std::unique_ptr<QDialog> CreateLinkProperties(THyperLink* link) const;

    bool IsRegistered(const THyperLink* link) const;
    const std::vector<THyperLink*>& Links() const { return links_; }
    const QStringList& VisitedList() const { return visited_; }
    const QStringList& NotVisitedList() const { return not_visited_; }

  private:
    std::vector<THyperLink*> links_;
    QStringList not_visited_;
    QStringList visited_;
    QString type_applications_[kLinkTypeCount];
};

// The registry of the process, created before the first link needs it.
TUrlBase& UrlBase();
