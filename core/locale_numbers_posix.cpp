// The C library's locale, for builds without the Windows locale service.
#include <clocale>
#include <cstring>

#include "core/locale_numbers.h"

namespace pumpcalc {

void loadLocaleNumberSettings() noexcept {
  const std::lconv* conventions = std::localeconv();
  const char* point = conventions != nullptr ? conventions->decimal_point : nullptr;
  // A separator of more than one byte does not fit: fall back to ".".
  DecimalSeparatorChar = point != nullptr && std::strlen(point) <= 1 ? point[0] : '.';
}

}  // namespace pumpcalc
