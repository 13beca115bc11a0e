// Where the built binaries and the test's files are: every target lands in
// one bin folder, beside the test programs.
#pragma once

#include <string>

namespace testsupport {

// Full path of a file in the folder of the running test program.
std::wstring BinaryPath(const std::wstring& fileName);

// The folder of the running test program, with a trailing backslash.
std::wstring BinaryDir();

// The temporary folder as the program found it on the first call, so that
// a case may point TMP elsewhere.
const std::wstring& StartupTempDir();

// An environment variable's value, or empty.
std::string Env(const char* name);
// ASCII text widened character by character.
std::wstring Wide(const std::string& text);
// A Unix path as Wine's drive Z: shows it.
std::wstring UnixToWindows(const std::string& path);

}  // namespace testsupport
