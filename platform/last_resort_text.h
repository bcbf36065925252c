// Where the last-resort text goes.
#pragma once

#include "platform/shortenable_text.h"

namespace pumpcalc::platform {

// Shows the text of an error that escaped every error net: on Windows an ownerless,
// task-modal "Application Error" box with the stop icon, kept within the screen (shortened
// where it must be); elsewhere the whole text on standard error.
void showLastResortText(const ShortenableText& text);

}  // namespace pumpcalc::platform
