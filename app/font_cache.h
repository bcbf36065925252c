// The fonts of a window's layout, each made once and kept for the window's life.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/win32/gdi.h"

namespace pumpcalc {

struct TFont {
  std::string name = "MS Sans Serif";
  int height = -11;
  friend bool operator==(const TFont&, const TFont&) = default;
};

class FontCache {
 public:
  struct Fonts {
    HFONT drawing;   // shows every text it was made for
    HFONT measured;  // the font as asked for, which the layout's scaling measures
  };
  // The fonts made for `font`, if they are made.
  std::optional<Fonts> find(const TFont& font) const;
  // Makes the fonts for `font` and `texts`, every text to be drawn with it: where the face
  // asked for lacks a glyph of them, another face or character set draws
  // (platform::createFontFor), while the layout is still measured in the face asked for.
  Fonts add(const TFont& font, std::string_view texts);

 private:
  struct Entry {
    TFont requested;
    platform::UniqueGdiObject drawing;
    platform::UniqueGdiObject measured;  // none: the drawing font
    Fonts fonts() const;
  };
  std::vector<Entry> fonts_;
};

}  // namespace pumpcalc
