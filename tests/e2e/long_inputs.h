// The long wrong inputs that the error box is tried with, by the end-to-end test and the
// benchmark: texts of any number of characters, of five kinds.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace pumpcalc::e2e {

inline std::wstring repeated(std::wstring_view unit, std::size_t count) {
  std::wstring text;
  for (std::size_t i = 0; i < count; ++i) text += unit;
  return text;
}

struct LongInputKind {
  const char* name;
  std::wstring (*make)(std::size_t characters);
  bool fitsAt80 = true;  // 80 emoji in a row are wider than some screens
};

inline const LongInputKind longInputKinds[] = {
    {"letters", [](std::size_t n) { return std::wstring(n, L'a'); }},
    {"letters with blanks",
     [](std::size_t n) {
       std::wstring text;
       for (std::size_t i = 0; i < n; ++i) text += i % 7 == 6 ? L' ' : L"pumping"[i % 7];
       return text;
     }},
    {"digits ending in a letter",
     [](std::size_t n) {
       std::wstring text(n, L'7');
       text.back() = L'x';
       return text;
     }},
    {"Chinese", [](std::size_t n) { return repeated(L"泵的流量", n / 4); }},
    {"emoji", [](std::size_t n) { return repeated(L"\U0001F4A7", n); }, false},
};

}  // namespace pumpcalc::e2e
