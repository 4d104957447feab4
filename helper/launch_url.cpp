// Launch URL check: the product's command line must keep the URL as one quoted argument, and
// the product is only ever pointed at the maker's own pages.
#include "helper/launch_url.h"

#include "helper/maker_domains.h"

namespace helper {
namespace {

int hexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

bool isControlCharacter(unsigned char c) { return c < 0x20 || c == 0x7F; }

// A quote would end the argument early; a trailing backslash would escape the closing quote.
bool fitsInQuotedArgument(std::string_view text) {
  for (char c : text) {
    if (c == '"' || isControlCharacter(static_cast<unsigned char>(c))) return false;
  }
  return text.empty() || text.back() != '\\';
}

// Strict UTF-8 (no overlong forms, no surrogates, nothing above U+10FFFF), so that widening
// the URL for the command line never has to substitute a character.
bool isValidUtf8(std::string_view text) {
  std::size_t i = 0;
  while (i < text.size()) {
    const auto lead = static_cast<unsigned char>(text[i]);
    std::size_t length = 0;
    unsigned codePoint = 0;
    if (lead < 0x80) {
      ++i;
      continue;
    } else if (lead >= 0xC2 && lead <= 0xDF) {
      length = 2;
      codePoint = lead & 0x1Fu;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
      length = 3;
      codePoint = lead & 0x0Fu;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
      length = 4;
      codePoint = lead & 0x07u;
    } else {
      return false;
    }
    if (i + length > text.size()) return false;
    for (std::size_t k = 1; k < length; ++k) {
      const auto next = static_cast<unsigned char>(text[i + k]);
      if ((next & 0xC0u) != 0x80u) return false;
      codePoint = (codePoint << 6) | (next & 0x3Fu);
    }
    if ((length == 3 && codePoint < 0x800) || (length == 4 && codePoint < 0x10000) ||
        (codePoint >= 0xD800 && codePoint <= 0xDFFF) || codePoint > 0x10FFFF) {
      return false;
    }
    i += length;
  }
  return true;
}

// Browsers treat "\" like "/" in http(s) URLs, so it ends the authority too.
bool hasMakerHost(std::string_view url) {
  std::string_view rest;
  if (url.substr(0, 7) == "http://") {
    rest = url.substr(7);
  } else if (url.substr(0, 8) == "https://") {
    rest = url.substr(8);
  } else {
    return false;
  }
  const std::string_view authority = rest.substr(0, rest.find_first_of("/?#\\"));
  return isMakerAuthority(authority);
}

// A scheme as URL parsers recognise it: a letter, then letters, digits, "+", "-" or "."
// up to the first ":".
bool beginsWithScheme(std::string_view url) {
  const auto colon = url.find(':');
  if (colon == std::string_view::npos || colon == 0) return false;
  const auto isLetter = [](char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); };
  if (!isLetter(url[0])) return false;
  for (char c : url.substr(1, colon - 1)) {
    if (!isLetter(c) && !(c >= '0' && c <= '9') && c != '+' && c != '-' && c != '.') return false;
  }
  return true;
}

}  // namespace

std::string percentDecode(std::string_view text) {
  std::string decoded;
  decoded.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '%' && i + 2 < text.size() && hexValue(text[i + 1]) >= 0 &&
        hexValue(text[i + 2]) >= 0) {
      decoded += static_cast<char>(hexValue(text[i + 1]) * 16 + hexValue(text[i + 2]));
      i += 2;
    } else {
      decoded += text[i];
    }
  }
  return decoded;
}

bool isAcceptableLaunchUrl(std::string_view url) {
  if (!isValidUtf8(url) || !fitsInQuotedArgument(url)) return false;
  // A URL that is absolute as received may be used without decoding, and then an escaped "/"
  // or "\" in it no longer ends the host: "https://www.kestro.com%2F@evil.example/" names
  // evil.example. Its host as received must pass as well as its decoded one.
  if (beginsWithScheme(url) && !hasMakerHost(url)) return false;
  const std::string decoded = percentDecode(url);
  return fitsInQuotedArgument(decoded) && hasMakerHost(decoded);
}

}  // namespace helper
