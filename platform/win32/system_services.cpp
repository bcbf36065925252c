// What the core needs from Windows: the program's string-table resource, the module lookup
// and the runtime-error box.
#include "platform/system_services.h"

#include <cstdlib>

#include "core/error_texts.h"
#include "platform/module_lookup.h"
#include "platform/win32/message_box.h"
#include "platform/win32/text_encoding.h"
#include "platform/win32/win32.h"

namespace pumpcalc::platform {
namespace {

std::string programStringResource(int id) {
  // With a buffer size of 0, LoadStringW points at the resource text itself.
  const wchar_t* text = nullptr;
  const int length = LoadStringW(GetModuleHandleW(nullptr), static_cast<UINT>(id),
                                 reinterpret_cast<wchar_t*>(&text), 0);
  if (length <= 0 || text == nullptr) return {};
  return toUtf8(std::wstring_view(text, static_cast<std::size_t>(length)));
}

// The runtime-error box: caption "Error", an OK button, no icon, no owner.
void runtimeErrorBox(int number, std::uintptr_t address) {
  messageBox(nullptr, runtimeErrorText(number, address), "Error", MB_OK);
  std::exit(number);
}

}  // namespace

void installSystemServices() noexcept {
  pumpcalc::installSystemServices({programStringResource, findModuleAt, runtimeErrorBox});
}

}  // namespace pumpcalc::platform
