// Which origins and launch URLs the handler accepts: look-alikes and command-line breakouts
// are refused, the maker's own pages pass.
#include <windows.h>

#include "helper/tests/handler_fixture.h"

namespace helper_test {
namespace {

using Messages = std::vector<std::string>;

TEST_F(HandlerTest, RefusesOriginsThatAreNotTheMakersPages) {
  const char* const origins[] = {
      "https://www.kestro.attacker.example",  // holds ".kestro." but is another site
      "https://www.kestro.com.evil.example",
      "https://evilkestro.com",                // suffix without the dot
      "https://kestro.co",
      "https://kestro.com.",
      "https://.kestro.com",                   // empty label before the domain
      "https://www..kestro.com",
      "https://www.kestro.com/",               // an origin has no path
      "https://www.kestro.com:",
      "https://www.kestro.com:0",
      "https://www.kestro.com:65536",          // first port past the range
      "https://www.kestro.com:8x",
      "https://user@www.kestro.com",
      "https://evil.example@www.kestro.com",
      "https://www.%6Bestro.com",              // origins are never escaped
      "ftp://www.kestro.com",
      "file://www.kestro.com",
      "HTTPS://www.kestro.com",                // browsers serialise origins in lower case
      "https://WWW.KESTRO.COM",
      "//www.kestro.com",
      "www.kestro.com",
      " https://www.kestro.com",
      "https://www.kestro.com ",
      "null",
      "",
  };
  for (const char* origin : origins) {
    SCOPED_TRACE(origin);
    expectReply(handle("GET", "/ping", {{"Origin", origin}}), 403, "Invalid request", "*");
  }
}

TEST_F(HandlerTest, AcceptsTheMakersOrigins) {
  const char* const origins[] = {
      "https://kestro.com",
      "http://www.kestro.com",
      "https://shop.eu.kestro.com",
      "https://my-shop.kestro.com",
      "https://www.kestro.com:65535",  // last port in the range
      "http://www.kestro.com:1",
  };
  for (const char* origin : origins) {
    SCOPED_TRACE(origin);
    expectReply(handle("GET", "/ping", {{"Origin", origin}}), 200, "alive", origin);
  }
}

TEST_F(HandlerTest, RefusesLaunchUrlsThatAreUnsafeOrNotTheMakers) {
  const std::string urls[] = {
      "",
      "www.kestro.com/",                                // not absolute
      "//www.kestro.com/",
      "https:/www.kestro.com/",
      "javascript:alert(1)//.kestro.com.",
      "file://www.kestro.com/C:/x",
      "ftp://www.kestro.com/",
      "https://www.evil.example/.kestro.com/",          // the fragment in the path only
      "https://www.kestro.com.evil.example/",
      "https://www.kestro.com@evil.example/",           // user information hides the host
      "https://evil.example\\.kestro.com/",             // "\" ends the host like "/"
      "https://evil.example%2F.kestro.com/",            // the same, escaped
      "https%3A%2F%2Fevil.example%2F.kestro.com",
      // Absolute as received: a product that reads it without decoding finds the host after
      // the "@", so the escaped "/" or "\" must not make the maker's name the host.
      "https://www.kestro.com%2F@evil.example/",
      "https://www.kestro.com%5C@evil.example/",
      "https://www.kestro.com%2f.evil.example/",
      "https://WWW.KESTRO.COM/",
      "https://www.kestro.com:99999/",
      "https://www.kestro.com/\" --flag \"x",           // a quote ends the argument
      "https://www.kestro.com/%22 --flag %22x",
      "https://www.kestro.com/dir\\",                   // escapes the closing quote
      "https://www.kestro.com/dir%5C",
      "https://www.kestro.com/%5c",
      "https://www.kestro.com/\tx",
      "https://www.kestro.com/%0Aevil",
      "https://www.kestro.com/%0d",
      "https://www.kestro.com/%7F",
      "https://www.kestro.com/%00",
      "https://www.kestro.com/\xC3(",                   // not UTF-8
      "https://www.kestro.com/\xC0\xAF",                // overlong "/"
      "https://www.kestro.com/\xED\xA0\x80",            // a surrogate
  };
  for (const std::string& url : urls) {
    SCOPED_TRACE(url);
    const LogTail log;
    expectReply(handle("GET", "/launch?url=" + url, {{"Origin", kMakerOrigin}}), 400,
                "Unknown launch flag", kMakerOrigin);
    EXPECT_EQ(log.newMessages(), Messages{"Unknown launch flag"});
  }
  EXPECT_FALSE(productWasStarted());
}

TEST_F(HandlerTest, LaunchesTheMakersUrlsUnchanged) {
  const std::string urls[] = {
      "https://www.kestro.com/",
      "http://kestro.com",
      "https://shop.kestro.com:8443/a/b?x=1&y=2#top",
      "https://www.kestro.com?q=it's",
      "https://www.kestro.com/caf\xC3\xA9/\xE6\x97\xA5",       // UTF-8 reaches the product as such
      "https%3A%2F%2Fwww.kestro.com%2Fa%20b",                   // checked decoded, passed escaped
      "https://www.kestro.com/a%25b",
      "https://www.kestro.com/a%2F@b",                          // escapes past the host are fine
      "https://www.kestro.com/dir\\file",                       // a backslash not at the end
  };
  for (const std::string& url : urls) {
    SCOPED_TRACE(url);
    DeleteFileW(recordFile_.c_str());
    expectReply(handle("GET", "/launch?url=" + url, {{"Origin", kMakerOrigin}}), 200, "launched",
                kMakerOrigin);
    EXPECT_EQ(recordedCommandLine(), expectedCommandLine(url));
  }
}

}  // namespace
}  // namespace helper_test
