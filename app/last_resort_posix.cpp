// Without a window system the last-resort text goes to standard error.
#include <cstdio>

#include "app/last_resort.h"

namespace pumpcalc {

void showLastResortText(const std::string& text) { std::fputs(text.c_str(), stderr); }

}  // namespace pumpcalc
