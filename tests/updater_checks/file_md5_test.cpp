// File digests through the platform's MD5 and SHA-256 and their comparison.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdio>
#include <string>

#include "app/file_md5.h"

namespace {

std::wstring TempFilePath(const wchar_t* name) {
  wchar_t dir[MAX_PATH] = {};
  GetTempPathW(MAX_PATH, dir);
  return std::wstring(dir) + name;
}

std::wstring WriteContent(const std::string& content) {
  std::wstring path = TempFilePath(L"zp_md5_test.bin");
  FILE* file = _wfopen(path.c_str(), L"wb");
  if (!file) return L"";
  if (!content.empty()) fwrite(content.data(), 1, content.size(), file);
  fclose(file);
  return path;
}

std::string DigestOfContent(const std::string& content, DigestKind kind = DigestKind::kMd5) {
  std::wstring path = WriteContent(content);
  if (path.empty()) return "cannot write";
  std::string digest = kind == DigestKind::kMd5 ? GetFileMd5(path) : GetFileDigest(path, kind);
  DeleteFileW(path.c_str());
  return digest;
}

}  // namespace

TEST(FileMd5Test, Rfc1321TestSuite) {
  EXPECT_EQ("d41d8cd98f00b204e9800998ecf8427e", DigestOfContent(""));
  EXPECT_EQ("0cc175b9c0f1b6a831c399e269772661", DigestOfContent("a"));
  EXPECT_EQ("900150983cd24fb0d6963f7d28e17f72", DigestOfContent("abc"));
  EXPECT_EQ("f96b697d7cb7938d525a2f31aaf161d0", DigestOfContent("message digest"));
  EXPECT_EQ("c3fcd3d76192e4007dfb496cca67e13b", DigestOfContent("abcdefghijklmnopqrstuvwxyz"));
  EXPECT_EQ("d174ab98d277d9f5a5611c2c9f419d9f",
            DigestOfContent("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789"));
  std::string digits;
  for (int i = 0; i < 8; ++i) digits += "1234567890";
  EXPECT_EQ("57edf4a22be3c955ac49da2e2107b67a", DigestOfContent(digits));
}

TEST(FileMd5Test, FileOfManyBlocks) {
  EXPECT_EQ("7707d6ae4e027c70eea2a935c2296f21", DigestOfContent(std::string(1000000, 'a')));
}

TEST(FileMd5Test, Sha256KnownAnswers) {
  EXPECT_EQ("e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855",
            DigestOfContent("", DigestKind::kSha256));
  EXPECT_EQ("ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad",
            DigestOfContent("abc", DigestKind::kSha256));
  EXPECT_EQ("cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0",
            DigestOfContent(std::string(1000000, 'a'), DigestKind::kSha256));
  EXPECT_EQ("", DigestOfContent("abc", DigestKind::kNone));
}

// The expected digest's length picks the function; any other length, or a
// digest of the other function, matches nothing.
TEST(FileMd5Test, FileMatchesTheDigestOfEitherFunction) {
  const struct {
    const wchar_t* expected;
    bool matches;
  } kRows[] = {
      {L"900150983cd24fb0d6963f7d28e17f72", true},
      {L"900150983CD24FB0D6963F7D28E17F72", true},
      {L"ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad", true},
      {L"BA7816BF8F01CFEA414140DE5DAE2223B00361A396177A9CB410FF61F20015AD", true},
      {L"ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ae", false},
      {L"900150983cd24fb0d6963f7d28e17f72900150983cd24fb0d6963f7d28e17f72", false},
      {L"a9993e364706816aba3e25717850c26c9cd0d89d", false},  // SHA-1
      {L"900150983cd24fb0d6963f7d28e17f7", false},
      {L"", false},
  };
  const std::wstring path = WriteContent("abc");
  ASSERT_FALSE(path.empty());
  for (const auto& row : kRows)
    EXPECT_EQ(row.matches, FileMatchesDigest(path, row.expected))
        << std::string(row.expected, row.expected + wcslen(row.expected));
  DeleteFileW(path.c_str());
  EXPECT_FALSE(FileMatchesDigest(path, L"900150983cd24fb0d6963f7d28e17f72"));
}

TEST(FileMd5Test, MissingFileGivesEmptyDigest) {
  EXPECT_EQ("", GetFileMd5(TempFilePath(L"zp_md5_no_such_file.bin")));
  EXPECT_EQ("", GetFileMd5(L""));
}

TEST(FileMd5Test, ComparisonIgnoresAsciiCaseOnly) {
  EXPECT_TRUE(IsSameMd5(L"900150983CD24FB0D6963F7D28E17F72", L"900150983cd24fb0d6963f7d28e17f72"));
  EXPECT_TRUE(IsSameMd5(L"", L""));
  EXPECT_FALSE(
      IsSameMd5(L"900150983cd24fb0d6963f7d28e17f72 ", L"900150983cd24fb0d6963f7d28e17f72"));
  EXPECT_FALSE(IsSameMd5(L"900150983cd24fb0d6963f7d28e17f72", L"900150983cd24fb0d6963f7d28e17f73"));
  EXPECT_FALSE(IsSameMd5(L"\x00c4", L"\x00e4"));
  EXPECT_FALSE(IsSameMd5(L"", L"d41d8cd98f00b204e9800998ecf8427e"));
}

TEST(FileMd5Test, DigestBytesAsLowercaseHex) {
  const unsigned char bytes[] = {0x00, 0x0f, 0xa0, 0xff};
  EXPECT_EQ("000fa0ff", DigestToHex(bytes, sizeof bytes));
}

DWORD WINAPI WriteThenBreak(void* handle) {
  HANDLE pipe = static_cast<HANDLE>(handle);
  if (!ConnectNamedPipe(pipe, nullptr) && GetLastError() != ERROR_PIPE_CONNECTED) return 1;
  std::string part(1000, 'x');
  DWORD written = 0;
  WriteFile(pipe, part.data(), static_cast<DWORD>(part.size()), &written, nullptr);
  Sleep(200);  // the reader takes the bytes, then finds the pipe broken
  CloseHandle(pipe);
  return 0;
}

// A read that fails part-way gives no digest rather than the digest of the
// part read before it. The "file" is a pipe whose writer goes away after the
// first bytes, so the next read fails.
TEST(FileMd5Test, ReadErrorGivesEmptyDigest) {
  const wchar_t kPipe[] = L"\\\\.\\pipe\\zp_md5_broken";
  HANDLE pipe = CreateNamedPipeW(kPipe, PIPE_ACCESS_OUTBOUND, PIPE_TYPE_BYTE | PIPE_WAIT, 1, 65536,
                                 65536, 0, nullptr);
  ASSERT_NE(INVALID_HANDLE_VALUE, pipe);
  HANDLE writer = CreateThread(nullptr, 0, WriteThenBreak, pipe, 0, nullptr);
  ASSERT_NE(nullptr, writer);
  EXPECT_EQ("", GetFileMd5(kPipe));
  WaitForSingleObject(writer, 5000);
  CloseHandle(writer);
}
