// Which pages may drive the upload control: the origin of a page (scheme,
// host and port of its address), the entries of the site policy and the
// match between them. Free of any platform header; the plug-in asks the
// browser for the text and reads the policy from the registry.
#pragma once

#include <stdint.h>

#include <string>
#include <string_view>
#include <vector>

namespace sitelock {

// A normalised origin: scheme and host in lower case, the scheme's default
// port as 0. A file origin has no host and no port.
struct Origin {
  std::string scheme;  // "http", "https" or "file"
  std::string host;    // a DNS name, a dotted IPv4 address or "[IPv6]"
  uint16_t port = 0;
};

// The origin of an origin text or a whole address
// ("HTTPS://Photos.Example.com:443/upload.html?x" gives
// https://photos.example.com; any file address gives file://). False when
// the text names no such origin: another scheme, no host, user information,
// a port outside 1-65535 or anything a host name cannot hold.
bool ParseOrigin(std::string_view text, Origin* origin);

// "scheme://host[:port]"; "file://" for a file origin.
std::string OriginText(const Origin& origin);

// Whether the host is one of the maker's domains or a subdomain of one, in
// lower case as ParseOrigin gives it.
bool IsVendorHost(std::string_view host);

// One entry of the policy value AllowedOrigins.
struct OriginPattern {
  enum class Kind { Exact, Subdomains, Any };
  Kind kind = Kind::Exact;
  // Exact: the origin. Subdomains: scheme, port and the parent domain (the
  // pattern "https://*.example.com" matches https://a.example.com, not
  // https://example.com). Any: unused.
  Origin origin;
};

// An exact origin ("https://photos.example.com", "http://localhost:8080",
// "file://", one trailing '/' allowed), a subdomain pattern
// ("https://*.example.com", http or https, a parent of two labels or more)
// or "*". Blanks around the entry do not count. False for anything else.
bool ParsePattern(std::string_view text, OriginPattern* pattern);

// The verdict for a page: `origin` null when the browser told none.
// http and https pages of the maker's domains are always allowed; other
// origins only through a pattern; a page without an origin only through "*".
bool OriginAllowed(const Origin* origin, const std::vector<OriginPattern>& policy);

// The strings of a REG_MULTI_SZ value, given as UTF-16 units: each ends at a
// NUL, the list at an empty string or at the end of the units (a missing
// terminator is tolerated).
std::vector<std::u16string_view> SplitMultiString(std::u16string_view units);

// Text from outside (a browser's origin, a policy entry) made fit for a
// message: at most `limit` bytes, control characters as '?'.
std::string Printable(std::string_view text, size_t limit = 200);

}  // namespace sitelock
