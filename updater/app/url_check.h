// Checks that an update URL points into the maker's own web domains.
#pragma once

#include <cstdint>
#include <string>

// The URL with its UTF-8 bytes escaped (see EscapeUtf8Bytes in url_text.h); an existing
// escape sequence is escaped once more.
std::wstring EscapeUrl(const std::wstring& strUrl);

// Splits a plain-HTTP URL (escaped first, then decoded once by the split).
// Fails for other schemes, unsplittable URLs, and URLs, host names or paths
// too long for the split's buffers.
bool CrackHttpUrl(const std::wstring& strUrl, std::wstring& strHost, std::wstring& strPath,
                  uint16_t& usPort);

// True for a plain-HTTP URL whose host is a sub-domain of a vendor domain.
bool IsVendorUrl(const std::wstring& strUrl);
