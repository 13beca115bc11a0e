// Records of LogPrint as the log viewer receives them, with the viewer
// started (minimised) before the process's logging set-up.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdio>
#include <regex>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "log/log_print.h"
#include "test_paths.h"
#include "viewer_process.h"

namespace {

ViewerProcess* g_viewer = nullptr;
bool g_iconicAfterSetUp = true;

class ViewerEnvironment : public ::testing::Environment {
 public:
  void SetUp() override {
    g_viewer = new ViewerProcess;
    ASSERT_TRUE(g_viewer->Start(testsupport::BinaryPath(L"log_print_test_records.txt"), true));
    ASSERT_TRUE(IsIconic(g_viewer->window())) << "the viewer starts minimised";
    LogSetUp();
    g_iconicAfterSetUp = IsIconic(g_viewer->window()) != FALSE;
  }
  void TearDown() override {
    delete g_viewer;
    g_viewer = nullptr;
  }
};

const ::testing::Environment* const g_environment =
    ::testing::AddGlobalTestEnvironment(new ViewerEnvironment);

// Records written since `first`.
std::vector<std::string> RecordsFrom(size_t first) {
  std::vector<std::string> lines = g_viewer->ReadLines();
  if (first >= lines.size()) return {};
  return std::vector<std::string>(lines.begin() + first, lines.end());
}

const std::regex kRecord(R"(\((\d+)\) (\d\d):(\d\d):(\d\d)\.(\d\d\d)000 (\w+): (.*))");

std::string ExpectedPrefix(DWORD threadId) {
  return "(" + std::to_string(static_cast<int>(threadId)) + ") ";
}

}  // namespace

TEST(LogRecordTest, LayoutOfOneRecord) {
  char record[8192];
  int length =
      FormatLogRecord(record, sizeof record, 1234, LogClock{9, 5, 3, 7}, LOG_MODULE_BRIMLIB, "abc");
  EXPECT_STREQ("(1234) 09:05:03.007000 BrimLib: abc", record);
  EXPECT_EQ(35, length);
}

TEST(LogRecordTest, RecordIsCutAt8191Characters) {
  std::string text(9000, 'x');
  std::vector<char> record(8192);
  int length =
      FormatLogRecord(record.data(), record.size(), 1, LogClock{0, 0, 0, 0}, 1, text.c_str());
  EXPECT_EQ(8191, length);
  EXPECT_EQ('\0', record[8191]);
}

TEST(LogPrintTest, SetUpRestoredTheMinimisedViewerOnce) {
  EXPECT_FALSE(g_iconicAfterSetUp);
  ShowWindow(g_viewer->window(), SW_MINIMIZE);
  ASSERT_TRUE(IsIconic(g_viewer->window()));
  size_t first = g_viewer->ReadLines().size();
  LogPrint(LOG_MODULE_BRIMLIB, L"still minimised");
  EXPECT_TRUE(IsIconic(g_viewer->window()));
  EXPECT_EQ(1u, RecordsFrom(first).size());
  ShowWindow(g_viewer->window(), SW_RESTORE);
}

TEST(LogPrintTest, RecordCarriesThreadTimeModuleAndFormattedText) {
  size_t first = g_viewer->ReadLines().size();
  SYSTEMTIME before;
  GetLocalTime(&before);
  LogPrint(LOG_MODULE_BRIMLIB, L"abc %d %ls %hs", 42, L"wide", "narrow");
  std::vector<std::string> records = RecordsFrom(first);
  ASSERT_EQ(1u, records.size());
  std::smatch parts;
  ASSERT_TRUE(std::regex_match(records[0], parts, kRecord)) << records[0];
  EXPECT_EQ(std::to_string(GetCurrentThreadId()), parts[1].str());
  long stamped = ((std::stol(parts[2].str()) * 60 + std::stol(parts[3].str())) * 60 +
                  std::stol(parts[4].str())) *
                     1000 +
                 std::stol(parts[5].str());
  long expected =
      ((before.wHour * 60L + before.wMinute) * 60 + before.wSecond) * 1000 + before.wMilliseconds;
  long day = 24L * 3600 * 1000;
  EXPECT_LE((stamped - expected + day) % day, 5000) << records[0];
  EXPECT_EQ("BrimLib", parts[6].str());
  EXPECT_EQ("abc 42 wide narrow", parts[7].str());
}

// A person watching the viewer sees each record as one line of its list, the
// newest in view, while the file still gets every record.
TEST(LogPrintTest, ViewerListsEachRecordWithTheNewestInView) {
  ShowWindow(g_viewer->window(), SW_RESTORE);
  const size_t first = g_viewer->ReadLines().size();
  for (int i = 0; i < 60; ++i) LogPrint(LOG_MODULE_MAIN, L"listed %d", i);
  const std::vector<std::string> records = RecordsFrom(first);
  LogPrint(LOG_MODULE_MAIN, L"two\r\nlines");
  const std::vector<std::string> listed = g_viewer->ListedLines();
  ASSERT_EQ(60u, records.size());
  ASSERT_GT(listed.size(), records.size());
  for (size_t i = 0; i < 60; ++i) EXPECT_EQ(records[i], listed[listed.size() - 61 + i]);
  EXPECT_NE(std::string::npos, listed.back().find("Main: two  lines")) << listed.back();
  EXPECT_TRUE(g_viewer->NewestLineInView());
}

TEST(LogPrintTest, ModuleKeysNameTheirModules) {
  size_t first = g_viewer->ReadLines().size();
  for (int key : {1, 2, 3, 4, 0, 5, -1}) LogPrint(key, L"k%d", key);
  std::vector<std::string> records = RecordsFrom(first);
  ASSERT_EQ(7u, records.size());
  const char* names[] = {"Main", "Error", "BrimLib", "BrimDll", "Unknown", "Unknown", "Unknown"};
  const char* texts[] = {"k1", "k2", "k3", "k4", "k0", "k5", "k-1"};
  for (size_t i = 0; i < records.size(); ++i) {
    std::smatch parts;
    ASSERT_TRUE(std::regex_match(records[i], parts, kRecord)) << records[i];
    EXPECT_EQ(names[i], parts[6].str());
    EXPECT_EQ(texts[i], parts[7].str());
  }
}

TEST(LogPrintTest, MessageOver4095WideCharactersIsCut) {
  size_t first = g_viewer->ReadLines().size();
  std::wstring longText(5000, L'y');
  LogPrint(LOG_MODULE_MAIN, L"%ls", longText.c_str());
  std::wstring exact(4095, L'z');
  LogPrint(LOG_MODULE_MAIN, L"%ls", exact.c_str());
  std::vector<std::string> records = RecordsFrom(first);
  ASSERT_EQ(2u, records.size());
  std::smatch parts;
  ASSERT_TRUE(std::regex_match(records[0], parts, kRecord));
  EXPECT_EQ(std::string(4095, 'y'), parts[7].str());
  ASSERT_TRUE(std::regex_match(records[1], parts, kRecord));
  EXPECT_EQ(std::string(4095, 'z'), parts[7].str());
}

TEST(LogPrintTest, ConcurrentCallersDeliverWholeRecords) {
  size_t first = g_viewer->ReadLines().size();
  constexpr int kThreads = 4;
  constexpr int kLinesEach = 40;
  std::vector<std::thread> threads;
  std::vector<DWORD> ids(kThreads);
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([t, &ids] {
      ids[t] = GetCurrentThreadId();
      std::wstring filler(300 + t * 100, static_cast<wchar_t>(L'a' + t));
      for (int i = 0; i < kLinesEach; ++i) {
        LogPrint(LOG_MODULE_BRIMLIB, L"t%d n%d %ls", t, i, filler.c_str());
      }
    });
  }
  for (std::thread& thread : threads) thread.join();

  std::vector<std::string> records = RecordsFrom(first);
  ASSERT_EQ(static_cast<size_t>(kThreads * kLinesEach), records.size());
  std::set<std::string> seen;
  for (const std::string& record : records) {
    std::smatch parts;
    ASSERT_TRUE(std::regex_match(record, parts, kRecord)) << record.substr(0, 80);
    int t = -1, i = -1;
    ASSERT_EQ(2, std::sscanf(parts[7].str().c_str(), "t%d n%d", &t, &i));
    ASSERT_TRUE(t >= 0 && t < kThreads);
    EXPECT_EQ(ExpectedPrefix(ids[t]), record.substr(0, ExpectedPrefix(ids[t]).size()));
    std::string filler(300 + t * 100, static_cast<char>('a' + t));
    EXPECT_EQ("t" + std::to_string(t) + " n" + std::to_string(i) + " " + filler, parts[7].str());
    seen.insert(parts[7].str().substr(0, 12));
  }
  EXPECT_EQ(static_cast<size_t>(kThreads * kLinesEach), seen.size());
}
