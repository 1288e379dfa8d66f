#pragma once
// Identifiers of the program's own resources (icons, manifest). Its language texts are the
// string resources 1000 * L + n (core/language.h).

#define SWEEPWISE_ICON_APPLICATION 1

#ifndef RC_INVOKED
namespace sw::app::win32 {
inline constexpr int kIconApplication = SWEEPWISE_ICON_APPLICATION;
}  // namespace sw::app::win32
#endif
