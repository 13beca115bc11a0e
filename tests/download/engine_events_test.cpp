// The engine's event payloads as the readers take them: long enough for the
// values they read, texts terminated within their length.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "EngineEvents.h"

namespace {

using namespace Download;

std::string Values(const std::vector<int32_t>& values) {
  std::string bytes(values.size() * 4, '\0');
  if (!values.empty()) std::memcpy(&bytes[0], values.data(), bytes.size());
  return bytes;
}

const uint8_t* Data(const std::string& bytes) {
  return bytes.empty() ? nullptr : reinterpret_cast<const uint8_t*>(bytes.data());
}

struct PayloadCase {
  const char* name;
  std::string bytes;
  bool completion, progress, info, status, text;
};

TEST(EngineEventsTest, ReadersCheckLengthAndTermination) {
  const PayloadCase cases[] = {
      {"missing", "", false, false, false, false, false},
      {"one value", Values({7}), false, false, false, true, true},
      {"two values but one byte", Values({7, 8}).substr(0, 7), false, false, false, true, true},
      {"two values", Values({7, 8}), true, false, true, true, true},
      {"four values", Values({7, 8, 9, 10}), true, true, true, true, true},
      {"text", std::string("a.exe\0", 6), false, false, false, true, true},
      {"unterminated text", "a.exe", false, false, false, true, false},
      {"bare terminator", std::string(1, '\0'), false, false, false, false, true},
  };
  for (const PayloadCase& c : cases) {
    const uint8_t* data = Data(c.bytes);
    size_t size = c.bytes.size();
    CompletionPayload completion;
    ProgressPayload progress;
    TaskInfoPayload info;
    uint32_t status = 0;
    std::string text;
    EXPECT_EQ(c.completion, ReadCompletionPayload(data, size, &completion)) << c.name;
    EXPECT_EQ(c.progress, ReadProgressPayload(data, size, &progress)) << c.name;
    EXPECT_EQ(c.info, ReadTaskInfoPayload(data, size, &info)) << c.name;
    EXPECT_EQ(c.status, ReadStatusPayload(data, size, &status)) << c.name;
    EXPECT_EQ(c.text, ReadTextPayload(data, size, &text)) << c.name;
  }
  std::string four = Values({7, 8, 9, 10});
  ProgressPayload progress;
  ASSERT_TRUE(ReadProgressPayload(Data(four), four.size(), &progress));
  EXPECT_EQ(8u, progress.uiInfo);
  EXPECT_EQ(10u, progress.uiThousandths);
  std::string text;
  ASSERT_TRUE(ReadTextPayload(reinterpret_cast<const uint8_t*>("ab\0cd"), 5, &text));
  EXPECT_EQ("ab", text);
}

TEST(EngineEventsTest, CompletionsMapEngineResults) {
  const struct {
    int32_t iEngineResult;
    uint32_t uiResult;
  } cases[] = {{0, 0}, {1, 2}, {8, 2}, {5, 3}, {22, 4}, {24, 6}, {2, 1}, {-1, 1}, {23, 1}};
  for (const auto& c : cases) {
    std::string bytes = Values({c.iEngineResult, 4});
    EnginePayload payload;
    payload.data = Data(bytes);
    payload.size = bytes.size();
    Completion completion;
    ASSERT_TRUE(ReadCompletion(payload, &completion));
    EXPECT_EQ(c.uiResult, completion.uiResult) << c.iEngineResult;
    EXPECT_EQ(c.iEngineResult, completion.iErrorCode);
    EXPECT_EQ(4, completion.iDetailCode);
  }
  EnginePayload noCode;
  noCode.bNoCode = true;
  Completion completion;
  ASSERT_TRUE(ReadCompletion(noCode, &completion));
  EXPECT_EQ(1u, completion.uiResult);
  EXPECT_EQ(0, completion.iErrorCode);
  EXPECT_EQ(0, completion.iDetailCode);
  EXPECT_FALSE(ReadCompletion(EnginePayload(), &completion));
}

TEST(EngineEventsTest, RenameReplacesThePartAfterTheLastBackslash) {
  EXPECT_EQ(L"D:\\a\\c.exe", RenamedPath<std::wstring>(L"D:\\a\\b.tmp", L"c.exe", L'\\'));
  EXPECT_EQ(L"c.exe", RenamedPath<std::wstring>(L"b.tmp", L"c.exe", L'\\'));
  EXPECT_EQ("D:\\c.exe", RenamedPath<std::string>("D:\\", "c.exe", '\\'));
}

}  // namespace
