// The handler's tests run in a fixed order and the first that decides builds the reply.
#include "helper/tavrin_server.h"

#include <cctype>
#include <string_view>
#include <utility>

#include "deviceid/device_ids.h"
#include "helper/helper_log.h"
#include "helper/launch_url.h"
#include "helper/maker_domains.h"

namespace helper {
namespace {

bool equalsIgnoringCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (std::tolower(static_cast<unsigned char>(a[i])) !=
        std::tolower(static_cast<unsigned char>(b[i]))) {
      return false;
    }
  }
  return true;
}

bool contains(const std::string& text, const char* part) {
  return text.find(part) != std::string::npos;
}

}  // namespace

void Tavrinserver::buildResponse(response& res, std::string allowOrigin, int status,
                                 std::string body) {
  res = response::stock_reply(static_cast<response::status_type>(status), body);
  res.headers.push_back({"Access-Control-Allow-Origin", std::move(allowOrigin)});
  res.headers.push_back(
      {"Access-Control-Allow-Headers", "Origin, X-Requested-With, Content-Type, Accept"});
  res.headers.push_back({"Access-Control-Allow-Methods", "POST, GET, OPTIONS"});
}

void Tavrinserver::operator()(const request& req, response& res) const {
  std::string allowOrigin = "*";

  // Pages may probe for the product, so even a pre-flight learns that it is missing.
  if (!findProduct()) {
    writeLog("Helper can't find Tavrin");
    buildResponse(res, allowOrigin, 404, "Tavrin not found");
    return;
  }

  // Every Origin header is looked at; the last acceptable one is echoed exactly.
  bool allowed = false;
  for (const httpserver::header& h : req.headers) {
    if (equalsIgnoringCase(h.name, "Origin") && isAllowedOrigin(h.value)) {
      allowOrigin = h.value;
      allowed = true;
    }
  }
  if (!allowed) {
    buildResponse(res, allowOrigin, 403, "Invalid request");
    return;
  }

  if (equalsIgnoringCase(req.method, "OPTIONS")) {
    buildResponse(res, allowOrigin, 200, "available");
    return;
  }

  const std::string& destination = req.destination;
  if (contains(destination, "launch")) {
    const auto equals = destination.find('=');
    if (equals == std::string::npos) {
      writeLog("Tavrin did not launch");
      buildResponse(res, allowOrigin, 500, "failed");
      return;
    }
    // Passed on exactly as received; decoding is only for the check.
    const std::string url = destination.substr(equals + 1);
    if (!isAcceptableLaunchUrl(url)) {
      writeLog("Unknown launch flag");
      buildResponse(res, allowOrigin, 400, "Unknown launch flag");
      return;
    }
    writeLog("Passing url: " + url);
    if (launchProduct(url)) {
      writeLog("Tavrin successfully launched");
      buildResponse(res, allowOrigin, 200, "launched");
    } else {
      writeLog("Tavrin did not launch");
      buildResponse(res, allowOrigin, 500, "failed");
    }
    return;
  }

  if (contains(destination, "ping")) {
    buildResponse(res, allowOrigin, 200, "alive");
    return;
  }
  if (contains(destination, "device")) {
    buildResponse(res, allowOrigin, 200, deviceid::getNewDeviceId());
    return;
  }
  buildResponse(res, allowOrigin, 400, "unknown operation");
}

}  // namespace helper
