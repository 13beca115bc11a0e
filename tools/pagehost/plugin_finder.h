// Finds the plug-in DLL for a MIME type as a browser on Windows does: every
// key under "SOFTWARE\MozillaPlugins" (the user's first, then the machine's)
// names a DLL in its Path value, and the DLL's version resource lists the
// MIME types it handles in its MIMEType string.
#pragma once

#include <string>

namespace pagehost {

// The registered DLL's path, or empty when none handles the type.
std::wstring FindRegisteredPlugin(const std::string& mimeType);

// The MIMEType string of a DLL's version resource, or empty.
std::string MimeTypesOfFile(const std::wstring& path);

}  // namespace pagehost
