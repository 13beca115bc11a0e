#include "entry/plugin.h"

#include <string.h>

#include <string_view>

#include "entry/browser_funcs.h"
#include "entry/instance_reaper.h"
#include "entry/scriptable_object.h"
#include "support/write_log.h"

CPlugin::CPlugin(NPP instance) : m_pNPInstance(instance) {}

CPlugin::~CPlugin() { ReleaseScriptableObject(); }

void CPlugin::ReleaseScriptableObject() {
  if (!m_pScriptableObject) return;
  // The browser may keep its own references after the instance is gone;
  // the object then answers as one without an instance.
  static_cast<ScriptablePluginObject*>(
      ScriptablePluginObjectBase::FromNPObject(m_pScriptableObject.Get()))
      ->SetPlugin(nullptr);
  m_pScriptableObject.Reset();
}

void CPlugin::Destroy() {
  if (!IsBusy()) {
    TearDown();
    return;
  }
  m_bDestroyPending = true;
  ReleaseScriptableObject();
}

void CPlugin::TearDown() {
  Detach();
  delete this;
}

// The last call out of a destroyed instance hands it to the reaper: the
// control that made the call may still use the sink until its own call has
// returned.
void CPlugin::EndBusy() {
  if (--m_nBusy > 0 || !m_bDestroyPending) return;
  if (!reaper::Later(this)) TearDown();
}

bool CPlugin::HasMethod(NPIdentifier) { return false; }
bool CPlugin::HasProperty(NPIdentifier) { return false; }
bool CPlugin::GetProperty(NPIdentifier, NPVariant*) { return false; }
bool CPlugin::SetProperty(NPIdentifier, const NPVariant*) { return false; }
bool CPlugin::Invoke(NPIdentifier, const NPVariant*, uint32_t, NPVariant*) { return false; }
bool CPlugin::OnAttach() { return false; }
void CPlugin::OnDetach() {}
void CPlugin::OnPluginMessage(WPARAM, LPARAM) {}

bool CPlugin::Attach(NPWindow* window) {
  if (!window) return false;
  m_hWnd = static_cast<HWND>(window->window);
  if (!m_hWnd) return false;
  m_lpOldProc = GetWindowLongPtrW(m_hWnd, GWLP_WNDPROC);
  SetWindowLongPtrW(m_hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&CPlugin::PluginWinProc));
  SetWindowLongPtrW(m_hWnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
  m_pWindow = window;
  m_bAttached = OnAttach();
  return m_bAttached;
}

void CPlugin::Detach() {
  OnDetach();
  if (m_hWnd && m_lpOldProc) {
    SetWindowLongPtrW(m_hWnd, GWLP_WNDPROC, m_lpOldProc);
    // The window may outlive the instance; it must not lead back to it.
    SetWindowLongPtrW(m_hWnd, GWLP_USERDATA, 0);
    m_lpOldProc = 0;
  }
  m_hWnd = nullptr;
  m_bAttached = false;
  m_pWindow = nullptr;
  // Entries stay until destruction but hold no reference any more.
  for (auto& entry : listenerTable) entry.second.Reset();
}

LRESULT CALLBACK CPlugin::PluginWinProc(HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  CPlugin* plugin = reinterpret_cast<CPlugin*>(GetWindowLongPtrW(hWnd, GWLP_USERDATA));
  if (plugin && msg == WM_PLUGIN_MESSAGE && !plugin->IsDestroyPending())
    plugin->OnPluginMessage(wParam, lParam);
  return DefWindowProcW(hWnd, msg, wParam, lParam);
}

NPObject* CPlugin::GetScriptableObject() {
  if (!m_pScriptableObject) {
    m_pScriptableObject =
        ScopedNPObject::Adopt(NPN_CreateObject(m_pNPInstance, ScriptablePluginObject::Class()));
    if (!m_pScriptableObject) return nullptr;
    static_cast<ScriptablePluginObject*>(
        ScriptablePluginObjectBase::FromNPObject(m_pScriptableObject.Get()))
        ->SetPlugin(this);
  }
  return NPN_RetainObject(m_pScriptableObject.Get());
}

void CPlugin::AddEventListener(const NPString* name, NPObject* listener) {
  if (!name || !listener || name->UTF8Length == 0 || !name->UTF8Characters) return;
  const void* nul = memchr(name->UTF8Characters, 0, name->UTF8Length);
  size_t length = nul ? static_cast<const char*>(nul) - name->UTF8Characters : name->UTF8Length;
  std::string key(name->UTF8Characters, length);
  // The old listener, if any, is released as its entry is overwritten.
  listenerTable[key] = ScopedNPObject::Retain(listener);
}

// The listener may replace itself, register others, call the control or
// destroy the instance while it runs: the call holds its own reference and
// keeps the instance alive until it returns.
void CPlugin::FireEvent(const char* name, const NPVariant* args, uint32_t argCount) {
  if (!name || m_bDestroyPending) return;
  auto entry = listenerTable.find(std::string_view(name));
  if (entry == listenerTable.end() || !entry->second) return;
  BusyScope busy(*this);
  ScopedNPObject listener = ScopedNPObject::Retain(entry->second.Get());
  if (LoggingEnabled()) {
    wchar_t wideName[256] = {};
    MultiByteToWideChar(CP_UTF8, 0, name, -1, wideName, 255);
    WriteLog(L"npZumiPictavoEx.txt", L"Fire_On : %ls", wideName);
  }
  ScopedNPVariant result;
  // Its outcome is not used: a failing or throwing listener changes nothing
  // for the control.
  NPN_InvokeDefault(m_pNPInstance, listener.Get(), args, argCount, result.Get());
}
