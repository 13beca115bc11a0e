// The shared owners: what closing does to the caller's last error, what
// Receive does with a slot that still holds a value, the one scoped lock,
// and the failure helpers' values.
#include <gtest/gtest.h>

#include "owners/failure.h"
#include "owners/scoped_com.h"
#include "owners/scoped_win.h"

namespace {

bool IsOpen(HANDLE handle) {
  DWORD flags = 0;
  return GetHandleInformation(handle, &flags) != 0;
}

TEST(Owners, ResetClosesAndKeepsTheLastError) {
  ScopedHandle event(CreateEventW(nullptr, TRUE, FALSE, nullptr));
  const HANDLE raw = event.Get();
  SetLastError(ERROR_FILE_NOT_FOUND);
  event.Reset();
  EXPECT_EQ(static_cast<DWORD>(ERROR_FILE_NOT_FOUND), GetLastError());
  EXPECT_FALSE(IsOpen(raw));
}

TEST(Owners, ReceiveOnAHeldSlotClosesTheValueAndHandsOutAnEmptySlot) {
  ScopedHandle event(CreateEventW(nullptr, TRUE, FALSE, nullptr));
  const HANDLE raw = event.Get();
  HANDLE* slot = event.Receive();
  EXPECT_EQ(nullptr, *slot);
  EXPECT_FALSE(IsOpen(raw));

  ScopedBstr text(SysAllocString(L"held"));
  EXPECT_EQ(nullptr, *text.Receive());
}

struct CountingLock {
  void enter() { ++depth; }
  void leave() { --depth; }
  int depth = 0;
};

TEST(Owners, OneScopedLockForCriticalSectionsAndEnterLeaveLocks) {
  CRITICAL_SECTION section;
  InitializeCriticalSection(&section);
  {
    ScopedCriticalSectionLock hold(section);
    EXPECT_TRUE(TryEnterCriticalSection(&section));  // re-entrant: held by this thread
    LeaveCriticalSection(&section);
  }
  DeleteCriticalSection(&section);

  CountingLock lock;
  {
    ScopedLock<CountingLock> hold(lock);
    EXPECT_EQ(1, lock.depth);
  }
  EXPECT_EQ(0, lock.depth);
}

HRESULT ReturnsEarly(HRESULT first, bool* reachedEnd) {
  RETURN_IF_FAILED(first);
  *reachedEnd = true;
  return S_FALSE;
}

TEST(Owners, FailureHelpersPassValuesOnAndKeepTheLastError) {
  SetLastError(ERROR_ACCESS_DENIED);
  EXPECT_EQ(E_FAIL, LOG_IF_FAILED(E_FAIL));
  EXPECT_FALSE(LOG_IF_FALSE(false));
  EXPECT_EQ(ERROR_MORE_DATA, LOG_IF_WIN32_ERROR(ERROR_MORE_DATA));
  EXPECT_EQ(static_cast<DWORD>(ERROR_ACCESS_DENIED), GetLastError());

  bool reachedEnd = false;
  EXPECT_EQ(E_OUTOFMEMORY, ReturnsEarly(E_OUTOFMEMORY, &reachedEnd));
  EXPECT_FALSE(reachedEnd);
  EXPECT_EQ(S_FALSE, ReturnsEarly(S_OK, &reachedEnd));
  EXPECT_TRUE(reachedEnd);
}

}  // namespace
