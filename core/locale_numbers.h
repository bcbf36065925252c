// The user's decimal separator, shared by the conversions in both directions.
#pragma once

namespace pumpcalc {

// One byte; "." when the locale offers no one-byte separator. Written only by
// loadLocaleNumberSettings, on the one thread that converts; each conversion copies it
// once when it starts.
extern char DecimalSeparatorChar;

// Sets DecimalSeparatorChar from the current locale: on Windows the thread locale's
// decimal symbol, elsewhere the C library's LC_NUMERIC decimal point. Never fails.
void loadLocaleNumberSettings() noexcept;

}  // namespace pumpcalc
