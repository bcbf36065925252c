// The decimal symbol of the thread's locale, from the Windows locale service.
#include "platform/locale.h"

#include "core/locale_numbers.h"
#include "platform/win32/win32.h"

namespace pumpcalc::platform {

void loadLocaleNumberSettings() noexcept {
  // Room for one character and its terminator: a longer symbol makes the call fail.
  wchar_t symbol[2] = {};
  const int written = GetLocaleInfoW(GetThreadLocale(), LOCALE_SDECIMAL, symbol, 2);
  // Only a one-byte character can be the separator; an empty symbol gives the NUL byte.
  DecimalSeparatorChar = written > 0 && symbol[0] < 0x80 ? static_cast<char>(symbol[0]) : '.';
}

void useUserDefaultLocale() noexcept { SetThreadLocale(LOCALE_USER_DEFAULT); }

}  // namespace pumpcalc::platform
