#include "app/box_text.h"

#include <optional>

#include "core/string_table.h"
#include "core/utf8.h"

namespace pumpcalc {
namespace {

constexpr std::string_view ellipsis = "…";

// Where the echoed input lies in an invalid-value message: [begin, end).
struct Span {
  std::size_t begin = 0, end = 0;
};
std::optional<Span> echoedInput(std::string_view message) {
  const std::string pattern = loadResString(sInvalidFloatingPointValue);
  const std::size_t slot = pattern.find("%s");
  if (slot == std::string::npos) return std::nullopt;
  const std::string_view before = std::string_view(pattern).substr(0, slot);
  const std::string_view after = std::string_view(pattern).substr(slot + 2);
  if (message.size() < before.size() + after.size() || !message.starts_with(before) ||
      !message.ends_with(after)) {
    return std::nullopt;
  }
  return Span{before.size(), message.size() - after.size()};
}

}  // namespace

std::string cutInTheMiddle(std::string_view text, std::size_t keep) {
  // The end of the first `keep` characters and the start of the last `keep`, each found
  // from its own end of the text, so that a long text is not walked through for each cut.
  std::size_t front = 0;
  for (std::size_t seen = 0; seen < keep && front < text.size(); ++seen) {
    do ++front;
    while (front < text.size() && !startsUtf8Character(text[front]));
  }
  std::size_t back = text.size();
  for (std::size_t seen = 0; seen < keep && back > front; ++seen) {
    do --back;
    while (back > front && !startsUtf8Character(text[back]));
  }
  if (back <= front) return std::string(text);  // at most 2 × keep characters
  std::string cut(text.substr(0, front));
  cut += ellipsis;
  cut += text.substr(back);
  return cut;
}

std::string wholeCharactersWithin(std::string text, std::size_t maxBytes) {
  if (text.size() <= maxBytes) return text;
  std::size_t end = maxBytes;
  while (end > 0 && !startsUtf8Character(text[end])) --end;
  text.resize(end);
  return text;
}

platform::ShortenableText shortenableMessage(
    std::string message, std::function<std::string(const std::string& message)> compose) {
  const Span cuttable = echoedInput(message).value_or(Span{0, message.size()});
  const std::size_t whole = (utf8CharacterCount(std::string_view(message).substr(
                                 cuttable.begin, cuttable.end - cuttable.begin)) +
                             1) /
                            2;
  auto keeping = [message = std::move(message), cuttable,
                  compose = std::move(compose)](std::size_t keep) {
    const std::string_view text = message;
    return compose(
        std::string(text.substr(0, cuttable.begin)) +
        cutInTheMiddle(text.substr(cuttable.begin, cuttable.end - cuttable.begin), keep) +
        std::string(text.substr(cuttable.end)));
  };
  return {std::move(keeping), whole};
}

}  // namespace pumpcalc
