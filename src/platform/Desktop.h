#pragma once
// The screen work area and the Chinese fonts of the program.

#include <QRect>

namespace platform {

// The primary screen minus the task bar and docks.
QRect ScreenWorkArea();

// 宋体 → Noto Serif CJK SC; 黑体 and 幼圆 → Noto Sans CJK SC; every other family (the default
// font included) falls back to the SC faces for Chinese, so no Japanese glyph shapes appear
// whatever the locale. Idempotent; the application object calls it.
void InstallFontSubstitutions();

} // namespace platform
