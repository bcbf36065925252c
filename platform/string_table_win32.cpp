// The string table is the running program's string-table resource.
#include <windows.h>

#include "app/string_table.h"
#include "platform/text_encoding.h"

namespace pumpcalc {

std::string loadResString(int id) {
  // With a buffer size of 0, LoadStringW points at the resource text itself.
  const wchar_t* text = nullptr;
  const int length = LoadStringW(GetModuleHandleW(nullptr), static_cast<UINT>(id),
                                 reinterpret_cast<wchar_t*>(&text), 0);
  if (length <= 0 || text == nullptr) return {};
  return platform::toUtf8(std::wstring_view(text, static_cast<std::size_t>(length)));
}

}  // namespace pumpcalc
