#include "widgets/links/link_types.h"

#include <QCoreApplication>

namespace ottomix {

namespace {

// The context of the service names' translations.
struct Text {
    Q_DECLARE_TR_FUNCTIONS(ottomix::LinkTypes)
};

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
            return Text::tr("Email Service");
        case LinkType::File:
            return Text::tr("Local File Service");
        case LinkType::Gopher:
            return Text::tr("Gopher Service");
        case LinkType::Http:
            return Text::tr("Hypertext Transport Protocol (HTTP)");
        case LinkType::News:
            return Text::tr("Newsgroups (News)");
        case LinkType::Wais:
            return Text::tr("WAIS Service");
        case LinkType::Telnet:
            return Text::tr("Telnet Service");
        case LinkType::Ftp:
            return Text::tr("File Transfer Protocol (FTP)");
        case LinkType::Custom:
            return Text::tr("Customer Service");
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
