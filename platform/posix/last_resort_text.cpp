// Without a window system the last-resort text goes to standard error.
#include "platform/last_resort_text.h"

#include <cstdio>

namespace pumpcalc::platform {

void showLastResortText(const ShortenableText& text) {
  std::fputs(text.wholeText().c_str(), stderr);
}

}  // namespace pumpcalc::platform
