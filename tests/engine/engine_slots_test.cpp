// The engine interfaces as the engine calls them: each operation in its
// vtable slot.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <type_traits>

#include "DlCallBack.h"
#include "DownloadEngine.h"

namespace {

// The vtable slot of a virtual member function, from the Itanium C++ ABI's
// member pointer: one more than the slot's byte offset.
template <typename Method>
int SlotOf(Method method) {
  uintptr_t value;
  static_assert(sizeof(method) >= sizeof(value), "member pointer layout");
  std::memcpy(&value, &method, sizeof(value));
  return static_cast<int>((value - 1) / sizeof(void*));
}

TEST(EngineSlotsTest, OutOfProcessEngineSlots) {
  EXPECT_EQ(7, SlotOf(&IDownloader::RegisterClient));
  EXPECT_EQ(8, SlotOf(&IDownloader::Close));
  EXPECT_EQ(9, SlotOf(&IDownloader::CreateTask));
  EXPECT_EQ(10, SlotOf(&IDownloader::DeleteTask));
  EXPECT_EQ(11, SlotOf(&IDownloader::SetProxy));
  EXPECT_EQ(12, SlotOf(&IDownloader::SetDownloadSpeed));
  EXPECT_EQ(13, SlotOf(&IDownloader::SetUploadSpeed));
  EXPECT_EQ(14, SlotOf(&IDownloader::SetSafeMode));
}

TEST(EngineSlotsTest, CoreLibraryObjectSlots) {
  EXPECT_EQ(3, SlotOf(&IDownloadCore::Initialize));
  EXPECT_EQ(4, SlotOf(&IDownloadCore::Close));
  EXPECT_EQ(5, SlotOf(&IDownloadCore::CreateTask));
  EXPECT_EQ(12, SlotOf(&IDownloadCore::SetUploadSpeed));
  EXPECT_EQ(19, SlotOf(&IDownloadCore::SetProxy));
  EXPECT_EQ(23, SlotOf(&IDownloadCore::SetDownloadSpeed));
  EXPECT_EQ(48, SlotOf(&IDownloadCore::ApplySettings));
  EXPECT_EQ(49, SlotOf(&IDownloadCore::SetSafeMode));
  EXPECT_EQ(67, SlotOf(&IDownloadCore::RegisterCallback));
  EXPECT_EQ(69, SlotOf(&IDownloadCore::TaskRegistered));
  EXPECT_EQ(70, SlotOf(&IDownloadCore::DeleteTask));
}

TEST(EngineSlotsTest, CallbackIsSlotZeroWithoutADestructorInTheTable) {
  EXPECT_EQ(0, SlotOf(&DownloadProxy::DlCallBack::OnEngineEvent));
  EXPECT_FALSE(std::has_virtual_destructor<DownloadProxy::DlCallBack>::value);
  EXPECT_FALSE(std::has_virtual_destructor<IDownloadCore>::value);
  EXPECT_FALSE(std::has_virtual_destructor<IDownloader>::value);
}

}  // namespace
