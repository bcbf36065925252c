// The user's decimal separator, shared by the conversions in both directions.
#pragma once

namespace pumpcalc {

// One byte; "." when the locale offers no one-byte separator. Written only by
// platform::loadLocaleNumberSettings (or a program's own option), on the one thread that
// converts; each conversion copies it once when it starts.
extern char DecimalSeparatorChar;

}  // namespace pumpcalc
