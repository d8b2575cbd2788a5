// Handing a link's address on to the desktop or to a chosen program.
//
// Opening goes through one replaceable launch function, so tests (or a
// program with its own idea of opening) can take the place of the desktop.
#pragma once

#include <QString>
#include <functional>

namespace ottomix {

// Launch results: above 32 means the target was handed on, anything else failed.
inline constexpr int kLaunchSucceeded = 33;
inline constexpr int kLaunchFailed = 2;
// Invalid targets are refused with this code and never launched: those longer
// than kMaxLaunchTarget, so nothing is opened from a silently shortened
// address, and those starting with '-', which the program or the desktop's
// opener would read as an option.
inline constexpr int kLaunchInvalidTarget = 3;
inline constexpr int kMaxLaunchTarget = 255;

// Whether opening a link may hand target on (see kLaunchInvalidTarget).
bool isValidLaunchTarget(const QString& target);

// program empty: the desktop's handler opens target; otherwise program starts
// detached with target as its only argument (no shell involved).
using LaunchFunction = std::function<int(const QString& program, const QString& target)>;

// Replaces the launch function; an empty function restores the desktop one.
// Returns the previous one.
LaunchFunction setLaunchFunction(LaunchFunction launcher);
// The desktop launcher, used while no other launch function is set. Refuses
// a target that would reach the program or the desktop's opener as an option
// with kLaunchInvalidTarget.
int defaultLaunch(const QString& program, const QString& target);
// Launches through the current launch function.
int launch(const QString& program, const QString& target);

}  // namespace ottomix
