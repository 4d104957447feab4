// The maker-domain rule: exact domain or a dot-separated subdomain of it, nothing looser.
#include "helper/maker_domains.h"

#include "helper/maker_domains_config.h"

namespace helper {
namespace {

std::vector<std::string> parseDomainList(std::string_view list) {
  std::vector<std::string> domains;
  while (!list.empty()) {
    const auto comma = list.find(',');
    std::string_view item = list.substr(0, comma);
    while (!item.empty() && item.front() == ' ') item.remove_prefix(1);
    while (!item.empty() && item.back() == ' ') item.remove_suffix(1);
    if (!item.empty()) domains.emplace_back(item);
    if (comma == std::string_view::npos) break;
    list.remove_prefix(comma + 1);
  }
  return domains;
}

bool isLabelCharacter(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-';
}

// Every label non-empty and made of letters, digits and hyphens: this rules out empty labels
// (".kestro.com"), escapes, userinfo and path characters before the suffix is compared.
bool isWellFormedHost(std::string_view host) {
  if (host.empty()) return false;
  bool labelEmpty = true;
  for (char c : host) {
    if (c == '.') {
      if (labelEmpty) return false;
      labelEmpty = true;
    } else if (isLabelCharacter(c)) {
      labelEmpty = false;
    } else {
      return false;
    }
  }
  return !labelEmpty;
}

bool isValidPort(std::string_view port) {
  if (port.empty() || port.size() > 5) return false;
  unsigned value = 0;
  for (char c : port) {
    if (c < '0' || c > '9') return false;
    value = value * 10 + static_cast<unsigned>(c - '0');
  }
  return value >= 1 && value <= 65535;
}

}  // namespace

const std::vector<std::string>& makerDomains() {
  static const std::vector<std::string> domains = parseDomainList(TAVRIN_MAKER_DOMAINS);
  return domains;
}

bool isMakerHost(std::string_view host) {
  if (!isWellFormedHost(host)) return false;
  for (const std::string& domain : makerDomains()) {
    if (host == domain) return true;
    if (host.size() > domain.size() + 1 &&
        host.substr(host.size() - domain.size()) == domain &&
        host[host.size() - domain.size() - 1] == '.') {
      return true;
    }
  }
  return false;
}

bool isMakerAuthority(std::string_view authority) {
  const auto colon = authority.find(':');
  if (colon == std::string_view::npos) return isMakerHost(authority);
  return isMakerHost(authority.substr(0, colon)) && isValidPort(authority.substr(colon + 1));
}

bool isAllowedOrigin(std::string_view origin) {
  for (std::string_view scheme : {std::string_view("http://"), std::string_view("https://")}) {
    if (origin.substr(0, scheme.size()) == scheme) {
      return isMakerAuthority(origin.substr(scheme.size()));
    }
  }
  return false;
}

}  // namespace helper
