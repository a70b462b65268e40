// The program's one-line rights notice: the calculator's and the splash window's credit labels and the
// application's long version all show it.
#pragma once

inline constexpr const char kCreditLine[] = "\u00A9 2026 the Pallastrovane authors";
