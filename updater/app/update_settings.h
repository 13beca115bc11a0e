// The per-user setting that remembers the digest of a declined installer.
#pragma once

#include <string>

// Reads HKCU "SOFTWARE\ORVANE\ZumiPictavoEx\Updatesetting" "IgnoreMD5Value".
// Not found when the key or value is missing, of another type than REG_SZ or
// REG_EXPAND_SZ (read unexpanded), longer than 259 characters, or malformed.
bool ReadIgnoreMd5Value(std::wstring& strValue);

// Stores the value as REG_SZ; false when it could not be stored.
bool WriteIgnoreMd5Value(const std::wstring& strValue);

// Registry string data as stored: empty, or an even number of bytes ending
// with a zero unit. Gives the text up to the first zero unit.
bool ParseRegistryText(const wchar_t* pData, unsigned long nBytes, std::wstring& strText);
