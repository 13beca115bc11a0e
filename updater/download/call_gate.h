// Lets calls from foreign threads through to an object until it is closed;
// Close waits, within a bound, for the calls already inside to leave.
#pragma once

#include <windows.h>

#include <atomic>

namespace Download {

template <typename Target>
class CallGate {
 public:
  void Open(Target* target) { m_target.store(target); }

  // Closes the gate; false when calls were still inside after timeoutMs.
  bool Close(DWORD timeoutMs) {
    m_target.store(nullptr);
    DWORD started = GetTickCount();
    while (m_inside.load() != 0) {
      if (GetTickCount() - started >= timeoutMs) return false;
      Sleep(1);
    }
    return true;
  }

  // Calls call(target) when the gate is open; false when it is closed.
  template <typename Call>
  bool Pass(Call call) {
    ++m_inside;
    Target* target = m_target.load();
    if (target) call(target);
    --m_inside;
    return target != nullptr;
  }

 private:
  std::atomic<Target*> m_target{nullptr};
  std::atomic<long> m_inside{0};
};

}  // namespace Download
