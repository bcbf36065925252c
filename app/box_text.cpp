#include "app/box_text.h"

#include "core/errors.h"
#include "core/utf8.h"

namespace pumpcalc {
namespace {

constexpr std::string_view ellipsis = "…";

// Where the text that an error could not read lies in its message: [begin, end).
struct Span {
  std::size_t begin = 0, end = 0;
  std::string_view of(std::string_view text) const { return text.substr(begin, end - begin); }
};
Span cuttablePart(const Exception& error) {
  const auto* convert = dynamic_cast<const EConvertError*>(&error);
  if (convert != nullptr &&
      convert->unreadTextOffset + convert->unreadText.size() <= convert->message().size()) {
    return {convert->unreadTextOffset, convert->unreadTextOffset + convert->unreadText.size()};
  }
  return {0, error.message().size()};
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

platform::ShortenableText shortenableMessage(
    const Exception* error, std::function<std::string(const std::string& message)> compose) {
  std::string message = error != nullptr ? error->message() : std::string();
  const Span cuttable = error != nullptr ? cuttablePart(*error) : Span{};
  const std::size_t whole = (utf8CharacterCount(cuttable.of(message)) + 1) / 2;
  auto keeping = [message = std::move(message), cuttable,
                  compose = std::move(compose)](std::size_t keep) {
    const std::string_view text = message;
    return compose(std::string(text.substr(0, cuttable.begin)) +
                   cutInTheMiddle(cuttable.of(text), keep) +
                   std::string(text.substr(cuttable.end)));
  };
  return {std::move(keeping), whole};
}

}  // namespace pumpcalc
