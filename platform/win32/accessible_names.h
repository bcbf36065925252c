// Names that screen readers announce for controls, set by dynamic annotation (the system's
// accessibility property service), for as long as the object lives.
#pragma once

#include <string_view>
#include <vector>

#include "platform/win32/unique_handle.h"
#include "platform/win32/win32.h"

struct IAccPropServices;

namespace pumpcalc::platform {

// Whether a screen reader has told the system it runs (SPI_GETSCREENREADER).
bool screenReaderRunning() noexcept;

class AccessibleNames {
 public:
  AccessibleNames() = default;
  ~AccessibleNames() { clear(); }
  AccessibleNames(const AccessibleNames&) = delete;
  AccessibleNames& operator=(const AccessibleNames&) = delete;

  // Gives a window the name. The service is loaded on the first call; where the system has
  // none or refuses (Wine answers E_NOTIMPL), nothing happens and nothing is reported: the
  // hidden label before the control names it as well.
  void name(HWND window, std::string_view name) noexcept;
  // Takes the names back and lets the service go; call it before the windows are destroyed.
  void clear() noexcept;

 private:
  bool tried_ = false;
  UniqueModule ole_;
  bool comStarted_ = false;
  IAccPropServices* services_ = nullptr;
  std::vector<HWND> named_;
};

}  // namespace pumpcalc::platform
