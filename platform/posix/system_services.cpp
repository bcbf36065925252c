// Without Windows the core's compiled-in string table and its standard-error report stand;
// modules are found through the dynamic loader.
#include "platform/system_services.h"

#include "platform/module_lookup.h"

namespace pumpcalc::platform {

void installSystemServices() noexcept {
  SystemServices services = systemServices();
  services.findModuleAt = findModuleAt;
  pumpcalc::installSystemServices(services);
}

}  // namespace pumpcalc::platform
