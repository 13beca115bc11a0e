// What the engine tests share: the loopback server's files, files on disk and
// the engine's report of what it received.
#pragma once

#include <cstdint>
#include <string>

namespace enginetest {

// Base URL of the loopback server, without a trailing slash.
std::string BaseUrl();

// The bytes the loopback server sends for /file/<size>.
std::string ServedPattern(size_t size);

std::string ReadWholeFile(const std::wstring& path);

// A file name in the temporary folder, unique to this process.
std::wstring TempFile(const std::wstring& name);

std::string Narrow(const std::wstring& text);

// The engine's report for this process ("orvanedl" or "brimcore").
std::string ReadReport(const char* prefix);
void DeleteReport(const char* prefix);

}  // namespace enginetest
