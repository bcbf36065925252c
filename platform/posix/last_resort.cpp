// Without structured exceptions a fault ends the program by its signal, as it ends any
// program on these systems.
#include "platform/last_resort.h"

namespace pumpcalc::platform {

void installLastResortHandler() {}

}  // namespace pumpcalc::platform
