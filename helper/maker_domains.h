// Which hosts count as the maker's: the rule behind both the Origin check and the launch URL check.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace helper {

/// The maker's domains as configured in the build, e.g. {"kestro.com"}.
const std::vector<std::string>& makerDomains();

/// True when the host is one of the maker's domains or a subdomain of one ("www.kestro.com").
/// Compared exactly as written: browsers send hosts in lower case, so nothing else is needed.
bool isMakerHost(std::string_view host);

/// True when the authority ("host" or "host:port") names a maker host with a valid port.
bool isMakerAuthority(std::string_view authority);

/// True when an Origin header value is "http://" or "https://" followed by a maker authority
/// and nothing else.
bool isAllowedOrigin(std::string_view origin);

}  // namespace helper
