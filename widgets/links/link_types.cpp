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

}  // namespace ottomix
