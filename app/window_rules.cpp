#include "app/window_rules.h"

#include <cstdint>

#include "core/system_services.h"

namespace pumpcalc {

int mulDiv(int a, int b, int c) noexcept {
  if (c == 0) return -1;
  const std::int64_t product = static_cast<std::int64_t>(a) * b;
  const bool negative = (product < 0) != (c < 0);
  const std::uint64_t magnitude = static_cast<std::uint64_t>(product < 0 ? -product : product);
  const std::uint64_t divisor =
      static_cast<std::uint64_t>(c < 0 ? -static_cast<std::int64_t>(c) : c);
  const std::uint64_t rounded = (magnitude + divisor / 2) / divisor;  // halves away from zero
  return static_cast<int>(negative ? -static_cast<std::int64_t>(rounded)
                                   : static_cast<std::int64_t>(rounded));
}

Bounds scaleBounds(const Bounds& bounds, int m, int d, bool keepWidth, bool keepHeight) noexcept {
  const int left = mulDiv(bounds.left, m, d), top = mulDiv(bounds.top, m, d);
  return {left, top, keepWidth ? bounds.width : mulDiv(bounds.left + bounds.width, m, d) - left,
          keepHeight ? bounds.height : mulDiv(bounds.top + bounds.height, m, d) - top};
}

Bounds centeredOnScreen(int screenWidth, int screenHeight, int width, int height) noexcept {
  const int left = (screenWidth - width) / 2;
  const int top = (screenHeight - height) / 2;
  return {left < 0 ? 0 : left, top < 0 ? 0 : top, width, height};
}

Bounds centeredOnMonitor(const ScreenRect& monitor, int width, int height) noexcept {
  return {monitor.left + (monitor.right - monitor.left - width) / 2,
          monitor.top + (monitor.bottom - monitor.top - height) / 2, width, height};
}

std::string deriveApplicationTitle(const std::string& programPath) {
  std::string title = fileNameWithoutDirectory(programPath);
  const std::size_t dot = title.find('.');
  if (dot != std::string::npos) title.resize(dot);
  for (std::size_t i = 1; i < title.size(); ++i) {
    if (title[i] >= 'A' && title[i] <= 'Z') title[i] = static_cast<char>(title[i] - 'A' + 'a');
  }
  return title;
}

}  // namespace pumpcalc
