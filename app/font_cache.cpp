#include "app/font_cache.h"

namespace pumpcalc {

FontCache::Fonts FontCache::Entry::fonts() const {
  const auto draw = static_cast<HFONT>(drawing.get());
  return {draw, measured.get() != nullptr ? static_cast<HFONT>(measured.get()) : draw};
}

std::optional<FontCache::Fonts> FontCache::find(const TFont& font) const {
  for (const Entry& known : fonts_) {
    if (known.requested == font) return known.fonts();
  }
  return std::nullopt;
}

FontCache::Fonts FontCache::add(const TFont& font, std::string_view texts) {
  platform::TextFont chosen = platform::createFontFor(font.height, font.name, texts);
  Entry entry{font, std::move(chosen.font), {}};
  if (!chosen.asAsked) entry.measured = platform::createFont(font.height, font.name);
  fonts_.push_back(std::move(entry));
  return fonts_.back().fonts();
}

}  // namespace pumpcalc
