// Byte-level escaping of update URLs and the match of their host against
// the maker's own web domains.
#pragma once

#include <string>
#include <string_view>

// Each UTF-8 byte below 0x21, from 0x80 up, or '%' becomes "%XX" (uppercase
// hexadecimal); every other byte is kept as one UTF-16 unit.
std::u16string EscapeUtf8Bytes(std::string_view utf8);

// True when the host, its ASCII letters lowered, ends with one of the vendor
// domains written with their leading dot: a sub-domain of a vendor domain,
// never the bare domain nor a host that merely ends with the same letters.
bool IsVendorHost(std::u16string_view host);
