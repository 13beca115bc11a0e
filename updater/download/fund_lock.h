// Locks of the download component: a re-entrant critical section that
// cannot be copied, and a guard that holds it for one scope.
#pragma once

#include <windows.h>

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

// Enters on construction, leaves on destruction.
class scoped_lock : private noncopyable {
 public:
  explicit scoped_lock(critical_section& section) : m_section(section) { m_section.enter(); }
  ~scoped_lock() { m_section.leave(); }

 private:
  critical_section& m_section;
};

}  // namespace lock
}  // namespace fund
