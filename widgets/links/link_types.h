// The values a hyperlink label's properties take: what kind of address a link
// holds, how it is drawn, which entries its menu offers, how it docks in its
// parent and the colours it is painted in.
#pragma once

#include <QColor>
#include <QFlags>
#include <QPalette>
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

// Entries of a link's context menu. The bit values are stored in window
// layouts, so they never change.
enum class LinkMenuItem : std::uint8_t { Open = 1, CopyUrl = 2, OpenWith = 4, Properties = 8 };
Q_DECLARE_FLAGS(LinkMenuItems, LinkMenuItem)
Q_DECLARE_OPERATORS_FOR_FLAGS(LinkMenuItems)
inline constexpr LinkMenuItems kAllLinkMenuItems =
    LinkMenuItem::Open | LinkMenuItem::CopyUrl | LinkMenuItem::OpenWith | LinkMenuItem::Properties;

// Where a link docks in its parent: nowhere (None), along one edge, taking the
// full width or height, or filling the whole parent (Client).
enum class LinkAlign : std::uint8_t { None, Top, Bottom, Left, Right, Client };

// A colour as window layouts store it: 0x00BBGGRR for a plain colour,
// 0x80000000 + index for a system colour taken from the palette, or kNoColor.
using ColorRef = std::uint32_t;
inline constexpr ColorRef kNoColor = 0x1FFFFFFF;
inline constexpr ColorRef kBlue = 0xFF0000;
inline constexpr ColorRef kPurple = 0x800080;
inline constexpr ColorRef kWindowColor = 0x80000005;
inline constexpr ColorRef kWindowTextColor = 0x80000008;
inline constexpr ColorRef kButtonFaceColor = 0x8000000F;

// Resolves a plain or system colour; kNoColor is transparent.
QColor toQColor(ColorRef color, const QPalette& palette);
// The plain colour of a QColor (alpha dropped).
ColorRef toColorRef(const QColor& color);

}  // namespace ottomix
