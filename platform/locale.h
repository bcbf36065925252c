// The user's regional settings, as the decimal conversions need them.
#pragma once

namespace pumpcalc::platform {

// Sets DecimalSeparatorChar (core/locale_numbers.h) from the current locale: on Windows
// the thread locale's decimal symbol, elsewhere the C library's LC_NUMERIC decimal point.
// Never fails.
void loadLocaleNumberSettings() noexcept;

// Makes the user's default locale the thread's (Windows' SetThreadLocale), so that a
// changed regional setting is seen by the next loadLocaleNumberSettings.
void useUserDefaultLocale() noexcept;

}  // namespace pumpcalc::platform
