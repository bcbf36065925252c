// Without a window system the last-resort text goes to standard error.
#include "platform/last_resort_text.h"

#include <cstdio>

namespace pumpcalc::platform {

void showLastResortText(const std::string& text) { std::fputs(text.c_str(), stderr); }

}  // namespace pumpcalc::platform
