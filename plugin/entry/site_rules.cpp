#include "entry/site_rules.h"

namespace sitelock {

namespace {

// The maker's web domains. The update service's URL check
// (updater/app/url_text.cpp) names the same two; the deliverables share no
// code, so each keeps its own list. Here the bare domain counts as well.
constexpr std::string_view kVendorDomains[] = {"orvane.com", "zumipictavo.com"};

constexpr size_t kMaxHostBytes = 253;
constexpr size_t kMaxLabelBytes = 63;

char LowerAscii(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

std::string Lowered(std::string_view text) {
  std::string lowered(text);
  for (char& c : lowered) c = LowerAscii(c);
  return lowered;
}

bool IsDigit(char c) { return c >= '0' && c <= '9'; }
bool IsAlpha(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
bool IsHexDigit(char c) { return IsDigit(c) || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F'); }

bool EndsWith(std::string_view text, std::string_view tail) {
  return text.size() >= tail.size() && text.substr(text.size() - tail.size()) == tail;
}

// Dot-separated labels of letters, digits, '-' and '_', none empty.
bool IsDnsName(std::string_view host) {
  if (host.empty() || host.size() > kMaxHostBytes) return false;
  size_t label = 0;
  for (char c : host) {
    if (c == '.') {
      if (label == 0) return false;
      label = 0;
    } else if (IsAlpha(c) || IsDigit(c) || c == '-' || c == '_') {
      if (++label > kMaxLabelBytes) return false;
    } else {
      return false;
    }
  }
  return label != 0;
}

// "[" hexadecimal digits, ':' and '.' "]", with at least one ':'.
bool IsIpv6Literal(std::string_view host) {
  if (host.size() < 4 || host.front() != '[' || host.back() != ']') return false;
  bool colon = false;
  for (char c : host.substr(1, host.size() - 2)) {
    if (c == ':')
      colon = true;
    else if (!IsHexDigit(c) && c != '.')
      return false;
  }
  return colon;
}

bool ParsePort(std::string_view digits, uint16_t* port) {
  if (digits.empty() || digits.size() > 5) return false;
  uint32_t value = 0;
  for (char c : digits) {
    if (!IsDigit(c)) return false;
    value = value * 10 + static_cast<uint32_t>(c - '0');
  }
  if (value == 0 || value > 65535) return false;
  *port = static_cast<uint16_t>(value);
  return true;
}

uint16_t DefaultPort(std::string_view scheme) { return scheme == "https" ? 443 : 80; }

bool IsWebScheme(std::string_view scheme) { return scheme == "http" || scheme == "https"; }

// "scheme://rest": the scheme in lower case and what follows the slashes.
bool SplitScheme(std::string_view text, std::string* scheme, std::string_view* rest) {
  const size_t colon = text.find(':');
  if (colon == std::string_view::npos || colon == 0 || !IsAlpha(text[0])) return false;
  for (char c : text.substr(0, colon))
    if (!IsAlpha(c) && !IsDigit(c) && c != '+' && c != '-' && c != '.') return false;
  std::string_view after = text.substr(colon + 1);
  if (after.substr(0, 2) != "//") return false;
  *scheme = Lowered(text.substr(0, colon));
  *rest = after.substr(2);
  return true;
}

// "host[:port]" of an http or https authority into `origin` (whose scheme
// is set), the default port as 0.
bool ParseHostPort(std::string_view authority, Origin* origin) {
  std::string_view host = authority;
  const size_t colon = authority.rfind(':');
  const size_t bracket = authority.rfind(']');
  const bool hasPort =
      colon != std::string_view::npos && (bracket == std::string_view::npos || colon > bracket);
  if (hasPort) host = authority.substr(0, colon);
  if (!IsDnsName(host) && !IsIpv6Literal(host)) return false;
  uint16_t number = 0;
  if (hasPort && !ParsePort(authority.substr(colon + 1), &number)) return false;
  origin->host = Lowered(host);
  origin->port = number == DefaultPort(origin->scheme) ? 0 : number;
  return true;
}

std::string_view TrimBlanks(std::string_view text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
  return text;
}

bool SamePlace(const Origin& a, const Origin& b) {
  return a.scheme == b.scheme && a.port == b.port;
}

bool Matches(const OriginPattern& pattern, const Origin& origin) {
  switch (pattern.kind) {
    case OriginPattern::Kind::Any:
      return true;
    case OriginPattern::Kind::Exact:
      return SamePlace(pattern.origin, origin) && pattern.origin.host == origin.host;
    case OriginPattern::Kind::Subdomains:
      return SamePlace(pattern.origin, origin) && origin.host.size() > pattern.origin.host.size() &&
             EndsWith(origin.host, "." + pattern.origin.host);
  }
  return false;
}

}  // namespace

bool ParseOrigin(std::string_view text, Origin* origin) {
  Origin parsed;
  std::string_view rest;
  if (!SplitScheme(text, &parsed.scheme, &rest)) return false;
  if (parsed.scheme == "file") {
    *origin = parsed;
    return true;
  }
  if (!IsWebScheme(parsed.scheme)) return false;
  const std::string_view authority = rest.substr(0, rest.find_first_of("/?#\\"));
  if (authority.find('@') != std::string_view::npos) return false;
  if (!ParseHostPort(authority, &parsed)) return false;
  *origin = parsed;
  return true;
}

std::string OriginText(const Origin& origin) {
  std::string text = origin.scheme + "://" + origin.host;
  if (origin.port) text += ":" + std::to_string(origin.port);
  return text;
}

bool IsVendorHost(std::string_view host) {
  for (std::string_view domain : kVendorDomains) {
    if (host == domain) return true;
    if (host.size() > domain.size() + 1 && EndsWith(host, domain) &&
        host[host.size() - domain.size() - 1] == '.')
      return true;
  }
  return false;
}

bool ParsePattern(std::string_view text, OriginPattern* pattern) {
  text = TrimBlanks(text);
  OriginPattern parsed;
  if (text == "*") {
    parsed.kind = OriginPattern::Kind::Any;
    *pattern = parsed;
    return true;
  }
  std::string_view rest;
  if (!SplitScheme(text, &parsed.origin.scheme, &rest)) return false;
  if (!rest.empty() && rest.back() == '/') rest.remove_suffix(1);
  if (rest.find_first_of("/?#\\@") != std::string_view::npos) return false;
  if (parsed.origin.scheme == "file") {
    if (!rest.empty()) return false;
    *pattern = parsed;
    return true;
  }
  if (!IsWebScheme(parsed.origin.scheme)) return false;
  if (rest.substr(0, 2) == "*.") {
    rest.remove_prefix(2);
    parsed.kind = OriginPattern::Kind::Subdomains;
  }
  if (!ParseHostPort(rest, &parsed.origin)) return false;
  // A pattern covers the subdomains of one domain, never of a whole
  // top-level domain ("https://*.com").
  if (parsed.kind == OriginPattern::Kind::Subdomains &&
      (parsed.origin.host.find('.') == std::string::npos || parsed.origin.host[0] == '['))
    return false;
  *pattern = parsed;
  return true;
}

bool OriginAllowed(const Origin* origin, const std::vector<OriginPattern>& policy) {
  for (const OriginPattern& pattern : policy)
    if (pattern.kind == OriginPattern::Kind::Any) return true;
  if (!origin) return false;
  if (IsWebScheme(origin->scheme) && IsVendorHost(origin->host)) return true;
  for (const OriginPattern& pattern : policy)
    if (Matches(pattern, *origin)) return true;
  return false;
}

std::vector<std::u16string_view> SplitMultiString(std::u16string_view units) {
  std::vector<std::u16string_view> strings;
  while (!units.empty()) {
    const size_t end = units.find(u'\0');
    const std::u16string_view one = units.substr(0, end);
    if (one.empty()) break;
    strings.push_back(one);
    if (end == std::u16string_view::npos) break;
    units.remove_prefix(end + 1);
  }
  return strings;
}

std::string Printable(std::string_view text, size_t limit) {
  std::string printable(text.substr(0, limit));
  for (char& c : printable)
    if (c < 0x20 || c > 0x7E) c = '?';
  return printable;
}

}  // namespace sitelock
