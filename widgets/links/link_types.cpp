#include "widgets/links/link_types.h"

namespace ottomix {

namespace {

QString& sharedCustomPrefix() {
    static QString prefix;
    return prefix;
}

}  // namespace

QString linkPrefix(LinkType type) {
    switch (type) {
        case LinkType::Email:
            return QStringLiteral("mailto:");
        case LinkType::File:
            return QStringLiteral("file://");
        case LinkType::Gopher:
            return QStringLiteral("gopher://");
        case LinkType::Http:
            return QStringLiteral("http://");
        case LinkType::News:
            return QStringLiteral("news:");
        case LinkType::Wais:
            return QStringLiteral("wais:");
        case LinkType::Telnet:
            return QStringLiteral("telnet:");
        case LinkType::Ftp:
            return QStringLiteral("ftp://");
        case LinkType::Custom:
            return sharedCustomPrefix();
    }
    return {};
}

QString linkServiceName(LinkType type) {
    switch (type) {
        case LinkType::Email:
            return QStringLiteral("Email Service");
        case LinkType::File:
            return QStringLiteral("Local File Service");
        case LinkType::Gopher:
            return QStringLiteral("Gopher Service");
        case LinkType::Http:
            return QStringLiteral("Hypertext Transport Protocol (HTTP)");
        case LinkType::News:
            return QStringLiteral("Newsgroups (News)");
        case LinkType::Wais:
            return QStringLiteral("WAIS Service");
        case LinkType::Telnet:
            return QStringLiteral("Telnet Service");
        case LinkType::Ftp:
            return QStringLiteral("File Transfer Protocol (FTP)");
        case LinkType::Custom:
            return QStringLiteral("Customer Service");
    }
    return {};
}

QString customLinkPrefix() {
    return sharedCustomPrefix();
}

void setCustomLinkPrefix(const QString& prefix) {
    sharedCustomPrefix() = prefix;
}

QColor toQColor(ColorRef color, const QPalette& palette) {
    if (color == kNoColor) return QColor(Qt::transparent);
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

ColorRef toColorRef(const QColor& color) {
    return static_cast<ColorRef>(color.red()) | static_cast<ColorRef>(color.green()) << 8 |
           static_cast<ColorRef>(color.blue()) << 16;
}

}  // namespace ottomix
