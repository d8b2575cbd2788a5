// The values a hyperlink label's properties take: what kind of address a link
// holds, how it is drawn and which entries its menu offers.
#pragma once

#include <QFlags>
#include <QString>
#include <cstdint>

namespace ottomix {

// The kind of address a link holds; it decides the prefix put before the
// caption when the link opens. The values index per-type tables (0..8).
enum class LinkType : std::uint8_t { Email, File, Gopher, Http, News, Wais, Telnet, Ftp, Custom };
inline constexpr int kLinkTypeCount = 9;

// The prefix of a link type ("mailto:", "http://" ...); Custom answers the
// custom prefix, which is one for the whole process.
QString linkPrefix(LinkType type);
// The name shown for a link type in the properties window.
QString linkServiceName(LinkType type);

// The process-wide prefix of Custom links; a link cuts it to kMaxCustomPrefix.
QString customLinkPrefix();
void setCustomLinkPrefix(const QString& prefix);
inline constexpr int kMaxCustomPrefix = 20;

// A link shows either its text or a picture.
enum class LinkLayout : std::uint8_t { Text, Bitmap };

// Entries of a link's context menu, combined as flags.
enum class LinkMenuItem : std::uint8_t { Open = 1, CopyUrl = 2, OpenWith = 4, Properties = 8 };
Q_DECLARE_FLAGS(LinkMenuItems, LinkMenuItem)
Q_DECLARE_OPERATORS_FOR_FLAGS(LinkMenuItems)
inline constexpr LinkMenuItems kAllLinkMenuItems =
    LinkMenuItem::Open | LinkMenuItem::CopyUrl | LinkMenuItem::OpenWith | LinkMenuItem::Properties;

}  // namespace ottomix
