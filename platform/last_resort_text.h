// Where the last-resort text goes.
#pragma once

#include <string>

namespace pumpcalc::platform {

// Shows the text of an error that escaped every error net: on Windows an ownerless,
// task-modal "Application Error" box with the stop icon; elsewhere standard error.
void showLastResortText(const std::string& text);

}  // namespace pumpcalc::platform
