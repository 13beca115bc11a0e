// Conversion between the service's wide strings and the code page 936 text
// of the engine's records and events.
#pragma once

#include <string>

namespace Download {

std::string WideToCp936(const std::wstring& text);
std::wstring Cp936ToWide(const std::string& text);

}  // namespace Download
