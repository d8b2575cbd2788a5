#include "widgets/hyperlink_label.h"

#include <QAction>
#include <QBitmap>
#include <QClipboard>
#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QGuiApplication>
#include <QHelpEvent>
#include <QMenu>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPainter>
#include <QPixmap>
#include <QProcess>
#include <QSettings>
#include <QTextDocument>
#include <QToolTip>
#include <QUrl>
#include <algorithm>
#include <stdexcept>

// The artwork is compiled into this library too; registering it here makes the
// hand cursor and the properties picture available to any program using links.
static void InitModuleResources() {
    static const bool done = [] {
        Q_INIT_RESOURCE(ottomix);
        return true;
    }();
    (void)done;
}

namespace {

// One custom prefix for the whole process: the ltCustom entry of the prefix table.
QString& SharedCustomPrefix() {
    static QString prefix;
    return prefix;
}

LaunchFn& Launcher() {
    static LaunchFn fn;
    return fn;
}

MessageFn& MessageSink() {
    static MessageFn fn;
    return fn;
}

void ShowMessage(const QString& text) {
    if (MessageSink()) {
        MessageSink()(text);
        return;
    }
    QMessageBox box(QMessageBox::NoIcon, QGuiApplication::applicationDisplayName(), text,
                    QMessageBox::Ok);
    box.exec();
}

int IndexOfCaption(const QStringList& list, const QString& caption) {
    for (int i = 0; i < list.size(); ++i) {
        if (QString::compare(list[i], caption, Qt::CaseInsensitive) == 0) return i;
    }
    return -1;
}

bool ContainsCaption(const QStringList& list, const QString& caption) {
    return list.contains(caption, Qt::CaseInsensitive);
}

void AddCaption(QStringList& list, const QString& caption) {
    if (!ContainsCaption(list, caption)) list.append(caption);
}

void RemoveCaption(QStringList& list, const QString& caption) {
    const int i = IndexOfCaption(list, caption);
    if (i >= 0) list.removeAt(i);
}

}  // namespace

QColor ColorToQColor(TColor color, const QPalette& palette) {
    if (color == clNone) return QColor(Qt::transparent);
    if (color & 0x80000000u) {
        switch (color & 0xFFu) {
            case 5:
                return palette.color(QPalette::Base);
            case 7:
            case 8:
                return palette.color(QPalette::WindowText);
            case 13:
                return palette.color(QPalette::Highlight);
            case 14:
                return palette.color(QPalette::HighlightedText);
            case 16:
                return palette.color(QPalette::Dark);
            case 17:
                return palette.color(QPalette::Disabled, QPalette::Text);
            case 18:
                return palette.color(QPalette::ButtonText);
            case 20:
                return palette.color(QPalette::Light);
            case 23:
                return palette.color(QPalette::ToolTipText);
            case 24:
                return palette.color(QPalette::ToolTipBase);
            default:
                return palette.color(QPalette::Window);
        }
    }
    return QColor(static_cast<int>(color & 0xFF), static_cast<int>((color >> 8) & 0xFF),
                  static_cast<int>((color >> 16) & 0xFF));
}

TColor QColorToColor(const QColor& color) {
    return static_cast<TColor>(color.red()) | static_cast<TColor>(color.green()) << 8 |
           static_cast<TColor>(color.blue()) << 16;
}

QString LinkPrefix(TLinkType type) {
    switch (type) {
        case ltEmail:
            return QStringLiteral("mailto:");
        case ltFile:
            return QStringLiteral("file://");
        case ltGopher:
            return QStringLiteral("gopher://");
        case ltHttp:
            return QStringLiteral("http://");
        case ltNews:
            return QStringLiteral("news:");
        case ltWais:
            return QStringLiteral("wais:");
        case ltTelnet:
            return QStringLiteral("telnet:");
        case ltFtp:
            return QStringLiteral("ftp://");
        case ltCustom:
            return SharedCustomPrefix();
    }
    return {};
}

QString LinkServiceName(TLinkType type) {
    switch (type) {
        case ltEmail:
            return QStringLiteral("Email Service");
        case ltFile:
            return QStringLiteral("Local File Service");
        case ltGopher:
            return QStringLiteral("Gopher Service");
        case ltHttp:
            return QStringLiteral("Hypertext Transport Protocol (HTTP)");
        case ltNews:
            return QStringLiteral("Newsgroups (News)");
        case ltWais:
            return QStringLiteral("WAIS Service");
        case ltTelnet:
            return QStringLiteral("Telnet Service");
        case ltFtp:
            return QStringLiteral("File Transfer Protocol (FTP)");
        case ltCustom:
            return QStringLiteral("Customer Service");
    }
    return {};
}

const QCursor& HandPointCursor() {
    // Installed once and kept for the life of the process, like a screen cursor.
    static const QCursor* cursor = [] {
        InitModuleResources();
        const QPixmap image(QStringLiteral(":/ottomix/HANDPOINT.png"));
        if (image.isNull()) return new QCursor(Qt::PointingHandCursor);
        return new QCursor(image, 12, 5);
    }();
    return *cursor;
}

QCursor ScreenCursor(int id) {
    if (id == crHandPoint) return HandPointCursor();
    return QCursor(Qt::ArrowCursor);
}

int DefaultLaunch(const QString& program, const QString& target) {
    if (program.isEmpty()) {
        return QDesktopServices::openUrl(QUrl(target, QUrl::TolerantMode)) ? kLaunchSucceeded
                                                                           : kLaunchFailed;
    }
    return QProcess::startDetached(program, {target}, QDir::currentPath()) ? kLaunchSucceeded
                                                                           : kLaunchFailed;
}

LaunchFn SetLaunchFunction(LaunchFn fn) {
    LaunchFn previous = std::move(Launcher());
    Launcher() = std::move(fn);
    return previous;
}

MessageFn SetMessageFunction(MessageFn fn) {
    MessageFn previous = std::move(MessageSink());
    MessageSink() = std::move(fn);
    return previous;
}

// ---------------------------------------------------------------------------
// THyperLink

THyperLink::THyperLink(QWidget* parent) : QWidget(parent) {
    // Module start-up: resources, cursor and registry exist before any link uses them.
    InitModuleResources();
    HandPointCursor();
    UrlBase();
    SharedCustomPrefix().clear();

    popup_ = new QMenu(this);
    setGeometry(20, 20, 100, 13);
    setFocusPolicy(Qt::NoFocus);
    setContextMenuPolicy(Qt::PreventContextMenu);
    setMouseTracking(true);
    SetShowHint(true);
    SetCursorId(crHandPoint);
    // Links made in code (not read from a layout) get their menu at once.
    BuildPopupMenu();
}

THyperLink::~THyperLink() {
    // A link that never registered has nothing to detach; a destructor must not throw.
    if (!designing_ && UrlBase().IsRegistered(this)) UrlBase().UnregisterLink(this);
}

void THyperLink::BeginLoad() {
    loading_ = true;
}

void THyperLink::Loaded() {
    loading_ = false;
    BuildPopupMenu();
    if (saved_hint_.isEmpty()) saved_hint_ = Hint();
    if (!designing_) UrlBase().RegisterLink(this);
    // Files the caption under the link's visited state.
    SetCaption(caption_);
}

template <typename T>
void THyperLink::StoreAndRepaint(T& field, const T& value) {
    if (value == field) return;
    field = value;
    if (!loading_) Repaint();
}

void THyperLink::SetCaption(const QString& value) {
    if (!loading_ && !designing_) UrlBase().CaptionChanging(this, value);
    caption_ = value;
    if (!loading_) Repaint();
}

void THyperLink::SetAlias(const QString& value) {
    StoreAndRepaint(alias_, value);
}

void THyperLink::SetAutoSize(bool value) {
    if (value == auto_size_) return;
    auto_size_ = value;
    if (value && link_layout_ == llyBitmap && bitmap_.width() > 0) resize(bitmap_.size());
    if (!loading_) Repaint();
}

void THyperLink::SetLinkType(TLinkType value) {
    StoreAndRepaint(link_type_, value);
}

void THyperLink::SetTransparent(bool value) {
    StoreAndRepaint(transparent_, value);
}

void THyperLink::SetLinkColor(TColor value) {
    StoreAndRepaint(link_color_, value);
}

void THyperLink::SetVisitedColor(TColor value) {
    StoreAndRepaint(visited_color_, value);
}

void THyperLink::SetVisited(bool value) {
    if (value == visited_) return;
    visited_ = value;
    if (!loading_ && !designing_) {
        UrlBase().VisitedChanged(this);
    } else if (!loading_) {
        Repaint();
    }
}

QString THyperLink::CustomPrefix() const {
    return SharedCustomPrefix();
}

void THyperLink::SetCustomPrefix(const QString& value) {
    if (value == SharedCustomPrefix()) return;
    SharedCustomPrefix() = value.left(kMaxCustomPrefix);
    // Other ltCustom links pick the new prefix up at their next paint.
    if (!loading_ && link_type_ == ltCustom) Repaint();
}

void THyperLink::SetMenuItems(TLinkMenuItems value) {
    if (value == menu_items_) return;
    menu_items_ = value;
    BuildPopupMenu();
}

void THyperLink::SetLinkLayout(TLinkLayoutType value) {
    if (value == link_layout_) return;
    link_layout_ = value;
    Repaint();
}

void THyperLink::SetBitmap(const QImage& value) {
    bitmap_ = value.copy();
    link_layout_ = llyBitmap;
    QSize size = this->size();
    if (bitmap_.width() > 0) size.setWidth(bitmap_.width());
    if (bitmap_.height() > 0) size.setHeight(bitmap_.height());
    resize(size);
    if (!bitmap_.isNull()) SetTransparentColor(QColorToColor(bitmap_.pixelColor(0, 0)));
    Repaint();
}

void THyperLink::SetTransparentColor(TColor value) {
    if (value == transparent_color_) return;
    transparent_color_ = value;
    if (bitmap_.width() > 0) Repaint();
}

void THyperLink::SetAlign(TAlign value) {
    if (value == align_) return;
    align_ = value;
    if (parentWidget() && watched_parent_ != parentWidget()) {
        parentWidget()->installEventFilter(this);
        watched_parent_ = parentWidget();
    }
    if (!loading_) Repaint();
    RealignInParent();
}

void THyperLink::SetColor(TColor value) {
    parent_color_ = false;
    StoreAndRepaint(color_, value);
}

void THyperLink::SetParentColor(bool value) {
    StoreAndRepaint(parent_color_, value);
}

void THyperLink::SetHint(const QString& value) {
    setToolTip(value);
}

void THyperLink::SetShowHint(bool value) {
    show_hint_ = value;
    parent_show_hint_ = false;
}

void THyperLink::SetParentShowHint(bool value) {
    parent_show_hint_ = value;
}

void THyperLink::SetCursorId(int id) {
    cursor_id_ = id;
    if (id == crDefault) {
        unsetCursor();
    } else {
        setCursor(ScreenCursor(id));
    }
}

QString THyperLink::LaunchTarget() const {
    return LinkPrefix(link_type_) + caption_;
}

void THyperLink::Click() {
    if (designing_) return;
    UrlBase().OpenLink(this);
    UrlBase().RegisterLink(this);
}

void THyperLink::CopyUrlToClipboard() {
    const QString target = LaunchTarget();
    QClipboard* clipboard = QGuiApplication::clipboard();
    clipboard->setText(target);
    // The clipboard gives no error of its own; reading back tells whether it took the text.
    if (clipboard->text() != target) ShowMessage(QStringLiteral("Could not write to clipboard"));
}

void THyperLink::BuildPopupMenu() {
    popup_->clear();
    if (menu_items_ == 0) return;
    if (menu_items_ & MenuItem(lmnuOpen)) {
        QAction* open = popup_->addAction(QStringLiteral("&Open"), this, [this] { Click(); });
        QFont bold = open->font();
        bold.setBold(true);
        open->setFont(bold);
        popup_->setDefaultAction(open);
    }
    if (menu_items_ & MenuItem(lmnuOpenWith)) {
        popup_->addAction(QStringLiteral("Open with..."), this,
                          [this] { UrlBase().ChooseApplication(this); });
    }
    if (menu_items_ & MenuItem(lmnuCopyUrl)) {
        popup_->addAction(QStringLiteral("Copy Url to clipboard"), this,
                          [this] { CopyUrlToClipboard(); });
    }
    if (menu_items_ & MenuItem(lmnuProperty)) {
        popup_->addSeparator();
        popup_->addAction(QStringLiteral("&Properties"), this,
                          [this] { UrlBase().ShowLinkProperties(this); });
    }
}

QFont THyperLink::LinkFont() const {
    QFont link_font = font();
    link_font.setUnderline(true);
    return link_font;
}

int THyperLink::ApplyTextLayout() {
    const QFontMetrics metrics(LinkFont());
    const int text_height = metrics.height() + 4;
    const int text_width = alias_.isEmpty()
                               ? metrics.horizontalAdvance(caption_ + LinkPrefix(link_type_)) + 10
                               : metrics.horizontalAdvance(alias_) + 8;
    if (auto_size_) {
        QSize wanted = size();
        if (align_ == TAlign::alNone || align_ == TAlign::alLeft || align_ == TAlign::alRight) {
            wanted.setWidth(text_width);
        }
        if (align_ == TAlign::alNone || align_ == TAlign::alTop || align_ == TAlign::alBottom) {
            wanted.setHeight(text_height);
        }
        if (wanted != size()) {
            resize(wanted);
            RealignInParent();
        }
    }
    return text_width;
}

void THyperLink::UpdateHint(int text_width) {
    if (designing_) return;
    if (text_width <= width() && !saved_hint_.isEmpty()) {
        setToolTip(saved_hint_);
    } else {
        setToolTip(LaunchTarget());
    }
}

void THyperLink::Repaint() {
    // Sizing and the hint follow at once, so they hold before the next paint too.
    // Not while loading: Loaded() saves the link's own hint, not one set here.
    if (!loading_) UpdateHint(link_layout_ == llyText ? ApplyTextLayout() : bitmap_.width());
    update();
}

void THyperLink::RealignInParent() {
    QWidget* parent = parentWidget();
    if (align_ == TAlign::alNone || !parent) return;
    const QRect area = parent->contentsRect();
    QRect bounds = geometry();
    switch (align_) {
        case TAlign::alTop:
            bounds = QRect(area.left(), area.top(), area.width(), height());
            break;
        case TAlign::alBottom:
            bounds = QRect(area.left(), area.bottom() + 1 - height(), area.width(), height());
            break;
        case TAlign::alLeft:
            bounds = QRect(area.left(), area.top(), width(), area.height());
            break;
        case TAlign::alRight:
            bounds = QRect(area.right() + 1 - width(), area.top(), width(), area.height());
            break;
        case TAlign::alClient:
            bounds = area;
            break;
        case TAlign::alNone:
            break;
    }
    if (bounds != geometry()) setGeometry(bounds);
}

void THyperLink::PaintText(QPainter& painter) {
    if (loading_) return;
    const int text_width = ApplyTextLayout();
    const QFont link_font = LinkFont();
    const QFontMetrics metrics(link_font);
    painter.setFont(link_font);
    painter.setPen(ColorToQColor(visited_ ? visited_color_ : link_color_, palette()));

    QRect bounds = rect();
    if (!transparent_) {
        const QColor background = parent_color_ && parentWidget()
                                      ? parentWidget()->palette().color(QPalette::Window)
                                      : ColorToQColor(color_, palette());
        painter.fillRect(bounds, background);
    }
    bounds.setLeft(bounds.left() + 4);
    constexpr int flags = Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine;
    painter.setClipRect(bounds);
    if (!alias_.isEmpty()) {
        painter.drawText(bounds, flags, alias_);
    } else {
        const QString prefix = LinkPrefix(link_type_);
        painter.drawText(bounds, flags, prefix);
        bounds.setLeft(bounds.left() + metrics.horizontalAdvance(prefix) + 2);
        if (bounds.width() > 0) {
            painter.setClipRect(bounds);
            painter.drawText(bounds, flags,
                             metrics.elidedText(caption_, Qt::ElideRight, bounds.width()));
        }
    }
    UpdateHint(text_width);
}

void THyperLink::PaintBitmap(QPainter& painter) {
    if (!bitmap_.isNull()) {
        QPixmap picture = QPixmap::fromImage(bitmap_);
        if (transparent_ && transparent_color_ != clNone) {
            // Pixels of the transparent colour are masked out; the surface below shows.
            const QColor key = ColorToQColor(transparent_color_, palette());
            picture.setMask(picture.createMaskFromColor(key, Qt::MaskInColor));
        }
        painter.drawPixmap(0, 0, picture);
    }
    UpdateHint(bitmap_.width());
}

void THyperLink::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    if (link_layout_ == llyText) {
        PaintText(painter);
    } else {
        PaintBitmap(painter);
    }
}

bool THyperLink::event(QEvent* e) {
    if (e->type() == QEvent::ToolTip) {
        bool show = show_hint_;
        if (parent_show_hint_ && parentWidget()) {
            const QVariant inherited = parentWidget()->property("ShowHint");
            if (inherited.isValid()) show = inherited.toBool();
        }
        if (!show) {
            e->ignore();
            return true;
        }
        // The hint is an address, plain text: markup in a caption is shown, not applied.
        if (Qt::mightBeRichText(toolTip())) {
            const auto* help = static_cast<QHelpEvent*>(e);
            QToolTip::showText(help->globalPos(),
                               Qt::convertFromPlainText(toolTip(), Qt::WhiteSpaceNoWrap), this,
                               QRect(), toolTipDuration());
            return true;
        }
    }
    return QWidget::event(e);
}

void THyperLink::mousePressEvent(QMouseEvent* e) {
    if (e->button() == Qt::RightButton) {
        // An empty menu would open unseen and take the next click for itself.
        if (!popup_->isEmpty()) popup_->popup(mapToGlobal(e->position().toPoint()));
    } else if (e->button() == Qt::LeftButton) {
        left_pressed_ = true;
    }
    e->accept();
}

void THyperLink::mouseReleaseEvent(QMouseEvent* e) {
    const QPoint at = e->position().toPoint();
    if (e->button() == Qt::LeftButton && left_pressed_) {
        left_pressed_ = false;
        if (rect().contains(at)) Click();
    }
    if (OnMouseUp) OnMouseUp(this, e->button(), e->modifiers(), at);
    e->accept();
}

void THyperLink::mouseDoubleClickEvent(QMouseEvent* e) {
    if (e->button() == Qt::LeftButton && OnDblClick) OnDblClick(this);
    e->accept();
}

void THyperLink::mouseMoveEvent(QMouseEvent* e) {
    if (OnMouseMove) OnMouseMove(this, Qt::NoButton, e->modifiers(), e->position().toPoint());
    e->accept();
}

void THyperLink::changeEvent(QEvent* e) {
    if (e->type() == QEvent::FontChange && !loading_) {
        Repaint();
    } else if (e->type() == QEvent::ParentChange) {
        if (watched_parent_) watched_parent_->removeEventFilter(this);
        watched_parent_ = nullptr;
        if (align_ != TAlign::alNone && parentWidget()) {
            parentWidget()->installEventFilter(this);
            watched_parent_ = parentWidget();
            RealignInParent();
        }
    }
    QWidget::changeEvent(e);
}

bool THyperLink::eventFilter(QObject* watched, QEvent* e) {
    if (watched == parentWidget() && e->type() == QEvent::Resize) RealignInParent();
    return QWidget::eventFilter(watched, e);
}

// ---------------------------------------------------------------------------
// TUrlBase

TUrlBase& UrlBase() {
    // Created on first use, which is the first link's construction at the latest;
    // destroyed when the process ends.
    static TUrlBase registry;
    return registry;
}

TUrlBase::TUrlBase() {
    // Qt's own file dialog stores its history and view state in the user's
    // settings when it is destroyed. The program keeps no state, so user
    // settings go to a place that cannot be created (/dev/null is no
    // directory, even for root). Set here, before any chooser exists.
    const QString nowhere = QStringLiteral("/dev/null/ottomix");
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, nowhere);
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, nowhere);
}
TUrlBase::~TUrlBase() = default;

bool TUrlBase::IsRegistered(const THyperLink* link) const {
    return std::find(links_.begin(), links_.end(), link) != links_.end();
}

void TUrlBase::RegisterLink(THyperLink* link) {
    if (link->designing_) return;
    const QString caption = link->caption_;
    if (ContainsCaption(visited_, caption)) {
        link->SetVisited(true);
    } else if (ContainsCaption(not_visited_, caption)) {
        // A visited link makes its caption visited for every link sharing it.
        if (link->visited_) {
            RemoveCaption(not_visited_, caption);
            visited_.append(caption);
            SyncLinks();
        }
    } else {
        (link->visited_ ? visited_ : not_visited_).append(caption);
    }
    if (!IsRegistered(link)) links_.push_back(link);
}

void TUrlBase::UnregisterLink(THyperLink* link) {
    if (link->designing_) return;
    const auto at = std::find(links_.begin(), links_.end(), link);
    if (at == links_.end()) throw std::runtime_error("Detaching Control that is not registered?");
    links_.erase(at);
    const QString& caption = link->caption_;
    const bool shared = std::any_of(links_.begin(), links_.end(), [&](const THyperLink* other) {
        return other->caption_ == caption;
    });
    if (shared) return;
    if (ContainsCaption(not_visited_, caption)) {
        RemoveCaption(not_visited_, caption);
    } else {
        RemoveCaption(visited_, caption);
    }
}

void TUrlBase::VisitedChanged(THyperLink* link) {
    if (link->designing_) return;
    const QString caption = link->caption_;
    const bool visited = link->visited_;
    if (caption.isEmpty()) return;
    if (!IsRegistered(link)) RegisterLink(link);
    link->visited_ = visited;
    if (visited) {
        AddCaption(visited_, caption);
        RemoveCaption(not_visited_, caption);
    } else {
        AddCaption(not_visited_, caption);
        RemoveCaption(visited_, caption);
    }
    link->Repaint();
    SyncLinks();
}

void TUrlBase::CaptionChanging(THyperLink* link, const QString& new_caption) {
    if (link->designing_) return;
    const QString old_caption = link->caption_;
    const bool visited = link->visited_;
    if (!IsRegistered(link)) RegisterLink(link);
    link->visited_ = visited;
    if (!old_caption.isEmpty()) {
        const bool shared = std::any_of(links_.begin(), links_.end(), [&](const THyperLink* other) {
            return other != link && other->caption_ == old_caption;
        });
        if (!shared) {
            RemoveCaption(visited_, old_caption);
            RemoveCaption(not_visited_, old_caption);
        }
    }
    if (visited) {
        AddCaption(visited_, new_caption);
        RemoveCaption(not_visited_, new_caption);
    } else {
        RemoveCaption(visited_, new_caption);
        AddCaption(not_visited_, new_caption);
    }
    link->Repaint();
    SyncLinks();
}

void TUrlBase::SyncLinks() {
    // By index: the setters re-enter here and may register links.
    for (std::size_t i = 0; i < links_.size(); ++i) {
        THyperLink* link = links_[i];
        const QString caption = link->caption_;
        if (caption.isEmpty()) continue;
        if (ContainsCaption(visited_, caption)) {
            if (!link->visited_) link->SetVisited(true);
        } else if (ContainsCaption(not_visited_, caption)) {
            if (link->visited_) link->SetVisited(false);
        } else {
            RegisterLink(link);
        }
    }
}

void TUrlBase::OpenLink(THyperLink* link) {
    if (link->designing_ || link->loading_) return;
    bool execute_it = true;
    if (link->OnBeforeExecuted) {
        link->OnBeforeExecuted(link, execute_it);
        if (!execute_it) return;
    }
    if (link->OnExecute) {
        link->OnExecute(link, execute_it);
        if (!execute_it) return;
    }
    const QString target = link->LaunchTarget();
    const QString program = GetTypeApplication(link->link_type_);
    int result = kLaunchTargetTooLong;
    if (target.size() <= kMaxLaunchTarget) {
        result = Launcher() ? Launcher()(program, target) : DefaultLaunch(program, target);
    }
    if (result > 32) {
        link->SetVisited(true);
        link->Repaint();
    }
    if (link->OnAfterExecuted) link->OnAfterExecuted(link, result);
}

std::unique_ptr<QFileDialog> TUrlBase::CreateChooser() const {
    auto chooser = std::make_unique<QFileDialog>(nullptr);
    chooser->setOption(QFileDialog::DontUseNativeDialog);
    chooser->setWindowTitle(QStringLiteral("Select application for ..."));
    chooser->setAcceptMode(QFileDialog::AcceptOpen);
    chooser->setFileMode(QFileDialog::ExistingFile);
    // Programs carry no extension here: the first filter lists executable files.
    const QString programs = QStringLiteral("Applications (*)");
    chooser->setNameFilters({programs, QStringLiteral("All files (*)")});
    chooser->selectNameFilter(programs);
    const QDir::Filters any_file = QDir::AllDirs | QDir::Files | QDir::NoDot;
    chooser->setFilter(any_file | QDir::Executable);
    QFileDialog* dialog = chooser.get();
    QObject::connect(
        dialog, &QFileDialog::filterSelected, dialog,
        [dialog, programs, any_file](const QString& filter) {
            dialog->setFilter(filter == programs ? any_file | QDir::Executable : any_file);
        });
    const QString bin = QStringLiteral("/usr/bin");
    chooser->setDirectory(QDir(bin).exists() ? bin : QDir::currentPath());
    return chooser;
}

void TUrlBase::ChooseApplication(THyperLink* link) {
    const TLinkType type = link->link_type_;
    auto chooser = CreateChooser();
    if (chooser->exec() != QDialog::Accepted) return;
    const QStringList chosen = chooser->selectedFiles();
    if (!chosen.isEmpty() && !chosen.first().isEmpty()) SetTypeApplication(type, chosen.first());
}

void TUrlBase::ShowLinkProperties(THyperLink* link) {
    auto window = CreateLinkProperties(link);
    window->exec();
}

QString TUrlBase::GetTypeApplication(TLinkType type) const {
    return type_applications_[type];
}

QString TUrlBase::SetTypeApplication(TLinkType type, const QString& path) {
    QString previous = type_applications_[type];
    type_applications_[type] = path;
    return previous;
}

void TUrlBase::SaveCaptionList(bool not_visited, const QString& file_name) {
    const QStringList& captions = not_visited ? not_visited_ : visited_;
    QFile file(file_name);
    bool ok = file.open(QIODevice::WriteOnly | QIODevice::Truncate);
    for (const QString& caption : captions) {
        if (!ok) break;
        ok = file.write(caption.toLocal8Bit() + "\r\n") >= 0;
    }
    if (ok) ok = file.flush();
    file.close();
    if (!ok) {
        ShowMessage(QStringLiteral("Could not save to file:") + file_name);
        throw std::runtime_error("SaveFileError");
    }
}

void TUrlBase::ResetVisited() {
    while (!visited_.isEmpty()) {
        const QString caption = visited_.first();
        not_visited_.append(caption);
        visited_.removeFirst();
        SyncLinks();
    }
}
