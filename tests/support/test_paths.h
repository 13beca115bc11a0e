// Where the built binaries are: every target lands in one bin folder, beside
// the test programs.
#pragma once

#include <string>

namespace testsupport {

// Full path of a file in the folder of the running test program.
std::wstring BinaryPath(const std::wstring& fileName);

// The folder of the running test program, with a trailing backslash.
std::wstring BinaryDir();

}  // namespace testsupport
