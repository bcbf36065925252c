#include "app/module_lookup.h"

namespace pumpcalc {

std::string fileNameWithoutDirectory(const std::string& path) {
  const std::size_t slash = path.find_last_of("\\/");
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

}  // namespace pumpcalc
