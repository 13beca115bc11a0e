#include "fixture_control.h"

#include <vector>

#include "test_paths.h"

namespace {

template <typename Function>
bool Bind(HMODULE module, const char* name, Function& function) {
  function = reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(module, name)));
  return function != nullptr;
}

}  // namespace

FixtureControl::FixtureControl() {
  m_module = LoadLibraryW(testsupport::BinaryPath(L"ZumiPictavoEx.dll").c_str());
  if (!m_module) return;
  HRESULT(STDAPICALLTYPE * registerServer)() = nullptr;
  m_ready = Bind(m_module, "DllRegisterServer", registerServer) &&
            Bind(m_module, "ZpJournalRead", m_read) && Bind(m_module, "ZpJournalClear", m_clear) &&
            Bind(m_module, "ZpFixtureReset", m_reset) &&
            Bind(m_module, "ZpSetResult", m_setResult) &&
            Bind(m_module, "ZpSetOutLong", m_setOutLong) &&
            Bind(m_module, "ZpSetOutString", m_setOutString) &&
            Bind(m_module, "ZpLiveControls", m_liveControls) &&
            Bind(m_module, "ZpControlWindow", m_controlWindow) &&
            Bind(m_module, "ZpConnectionCount", m_connectionCount) &&
            Bind(m_module, "ZpFireEvent", m_fireEvent);
  if (m_ready) m_registerResult = registerServer();
  m_ready = m_ready && SUCCEEDED(m_registerResult);
}

FixtureControl::~FixtureControl() {
  if (m_module) FreeLibrary(m_module);
}

std::wstring FixtureControl::Journal() const {
  int length = m_read(nullptr, 0);
  std::vector<wchar_t> buffer(length + 1);
  m_read(buffer.data(), length + 1);
  return std::wstring(buffer.data(), length);
}
