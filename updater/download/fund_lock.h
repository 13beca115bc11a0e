// Locks of the download component: a re-entrant critical section that
// cannot be copied, and the guard that holds it for one scope.
#pragma once

#include <windows.h>

#include "owners/scoped_win.h"

namespace fund {

class noncopyable {
 protected:
  noncopyable() = default;
  ~noncopyable() = default;

 public:
  noncopyable(const noncopyable&) = delete;
  noncopyable& operator=(const noncopyable&) = delete;
};

namespace lock {

class critical_section : private noncopyable {
 public:
  critical_section();
  ~critical_section();

  void enter();
  void leave();

 private:
  CRITICAL_SECTION m_section;
};

// Enters on construction, leaves on destruction: the owners' one scoped lock.
using scoped_lock = ::ScopedLock<critical_section>;

}  // namespace lock
}  // namespace fund
