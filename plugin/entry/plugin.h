// CPlugin: the base of every plug-in instance object. It owns the attachment
// to the browser's window (subclassing it), the instance's scriptable object
// and the registry of script event listeners.
#pragma once

#include <windows.h>

#include <map>
#include <string>

#include "entry/npapi_abi.h"
#include "entry/scoped_npobject.h"

// Private message on the plug-in window; wParam 1 asks for the control.
constexpr UINT WM_PLUGIN_MESSAGE = 0x750;

class CPlugin {
 public:
  explicit CPlugin(NPP instance);
  virtual ~CPlugin();
  CPlugin(const CPlugin&) = delete;
  CPlugin& operator=(const CPlugin&) = delete;

  virtual bool HasMethod(NPIdentifier name);
  virtual bool HasProperty(NPIdentifier name);
  virtual bool GetProperty(NPIdentifier name, NPVariant* result);
  virtual bool SetProperty(NPIdentifier name, const NPVariant* value);
  virtual bool Invoke(NPIdentifier name, const NPVariant* args, uint32_t argCount,
                      NPVariant* result);
  virtual void ResizeHost(int32_t width, int32_t height) = 0;
  virtual bool OnAttach();
  virtual void OnDetach();
  virtual void OnPluginMessage(WPARAM wParam, LPARAM lParam);

  // Subclasses the window of the record; the result of OnAttach.
  bool Attach(NPWindow* window);
  // Undoes the attachment and lets go of the listeners.
  void Detach();
  bool IsAttached() const { return m_bAttached; }
  HWND WindowHandle() const { return m_hWnd; }
  NPP Instance() const { return m_pNPInstance; }

  // The scriptable object with one reference added for the caller; null if
  // the browser could not create it.
  NPObject* GetScriptableObject();

  void AddEventListener(const NPString* name, NPObject* listener);
  void FireEvent(const char* name, const NPVariant* args, uint32_t argCount);

  // NPP_Destroy: detaches and deletes the instance now or, while a call into
  // it is still on the stack, once every such call has returned. Meanwhile
  // script reaches nothing of it and no event reaches script.
  void Destroy();
  bool IsBusy() const { return m_nBusy > 0; }
  bool IsDestroyPending() const { return m_bDestroyPending; }
  // Detaches and deletes the instance.
  void TearDown();

 protected:
  // Marks the instance busy for its lifetime: control events and script
  // calls that may run page script or the control. The instance may be
  // deleted when the outermost one ends, so nothing of it may be used after.
  class BusyScope {
   public:
    explicit BusyScope(CPlugin& plugin) : m_plugin(plugin) { ++m_plugin.m_nBusy; }
    ~BusyScope() { m_plugin.EndBusy(); }
    BusyScope(const BusyScope&) = delete;
    BusyScope& operator=(const BusyScope&) = delete;

   private:
    CPlugin& m_plugin;
  };

 private:
  static LRESULT CALLBACK PluginWinProc(HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam);
  void EndBusy();
  // Page script's object stops leading to this instance; the instance's
  // reference goes.
  void ReleaseScriptableObject();

  HWND m_hWnd = nullptr;
  bool m_bAttached = false;
  NPP m_pNPInstance;
  NPWindow* m_pWindow = nullptr;
  ScopedNPObject m_pScriptableObject;
  LONG_PTR m_lpOldProc = 0;
  int m_nBusy = 0;
  bool m_bDestroyPending = false;

 protected:
  // Event name (bytes, compared bytewise) to a listener holding one reference.
  std::map<std::string, ScopedNPObject, std::less<>> listenerTable;
};
