// Internal to the framework: a colour setting (0x00RRGGBB) as Qt's colour.
#pragma once

#include <QColor>
#include <cstdint>

inline QColor ToQColor(uint32_t rgb) { return QColor((rgb >> 16) & 0xff, (rgb >> 8) & 0xff, rgb & 0xff); }
