#include "core/locale_numbers.h"

namespace pumpcalc {

char DecimalSeparatorChar = '.';

}  // namespace pumpcalc
