// What an error box shows of a message too long for the screen: the text that the error
// could not read (EConvertError carries it), or else the whole message, cut in
// the middle with "…", keeping its beginning and its end; the quotes and the rest of the
// message stay as they are. The error's own message is never changed.
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>

#include "platform/shortenable_text.h"

namespace pumpcalc {

class Exception;

// `text` with its middle replaced by "…", keeping at most `keep` whole characters (UTF-8
// sequences) of its beginning and as many of its end; the whole text when it has at most
// 2 × keep characters.
std::string cutInTheMiddle(std::string_view text, std::size_t keep);

// The box text that `compose` makes of an error's message (empty without an error),
// shortened as above where it must be.
platform::ShortenableText shortenableMessage(
    const Exception* error, std::function<std::string(const std::string& message)> compose);

}  // namespace pumpcalc
