// The check a launch URL must pass before it is put on the desktop product's command line.
#pragma once

#include <string>
#include <string_view>

namespace helper {

/// The text with every "%XX" (two hex digits) replaced by its byte; other "%" kept as they are.
std::string percentDecode(std::string_view text);

/// True when the URL may be handed to the product: valid UTF-8; neither as received nor
/// percent-decoded does it hold a double quote or a control character or end with a backslash
/// (any of which would break out of its quoted command-line argument); and, decoded, it is an
/// absolute http or https URL without user information whose host is a maker host; a URL
/// that is absolute as received must name a maker host as received too.
bool isAcceptableLaunchUrl(std::string_view url);

}  // namespace helper
