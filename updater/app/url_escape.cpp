#include "app/url_escape.h"

std::wstring EscapeUtf8Bytes(const std::string& utf8) {
    static const wchar_t kHexDigits[] = L"0123456789ABCDEF";
    std::wstring escaped;
    escaped.reserve(utf8.size() * 3);
    for (char c : utf8) {
        unsigned char byte = static_cast<unsigned char>(c);
        if (byte < 0x21 || byte >= 0x80 || byte == '%') {
            escaped += L'%';
            escaped += kHexDigits[byte >> 4];
            escaped += kHexDigits[byte & 0x0F];
        } else {
            escaped += static_cast<wchar_t>(byte);
        }
    }
    return escaped;
}

bool EndsWith(const std::wstring& text, const std::wstring& suffix) {
    return text.size() >= suffix.size() &&
           text.compare(text.size() - suffix.size(), suffix.size(), suffix) == 0;
}
