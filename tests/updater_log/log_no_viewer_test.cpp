// With no log viewer at the logging set-up, nothing is ever sent, even to a
// viewer started afterwards.
#include <gtest/gtest.h>
#include <windows.h>

#include "log/log_print.h"
#include "test_paths.h"
#include "viewer_process.h"

TEST(LogNoViewerTest, ViewerStartedAfterSetUpReceivesNothing) {
  ASSERT_EQ(nullptr, FindWindowA("LogView_zumipcmgr", nullptr)) << "another viewer is running";
  LogPrint(LOG_MODULE_MAIN, L"before set-up");
  LogSetUp();

  ViewerProcess viewer;
  ASSERT_TRUE(viewer.Start(testsupport::BinaryPath(L"log_no_viewer_test_records.txt"), false));
  LogSetUp();
  for (int key = 1; key <= 4; ++key) LogPrint(key, L"after the viewer started %d", key);
  viewer.Stop();
  EXPECT_TRUE(viewer.ReadLines().empty());
}
