// The C library's locale.
#include "platform/locale.h"

#include <clocale>
#include <cstring>

#include "core/locale_numbers.h"

namespace pumpcalc::platform {

void loadLocaleNumberSettings() noexcept {
  const std::lconv* conventions = std::localeconv();
  const char* point = conventions != nullptr ? conventions->decimal_point : nullptr;
  // A separator of more than one byte does not fit: fall back to ".".
  DecimalSeparatorChar = point != nullptr && std::strlen(point) <= 1 ? point[0] : '.';
}

void useUserDefaultLocale() noexcept { std::setlocale(LC_NUMERIC, ""); }

}  // namespace pumpcalc::platform
