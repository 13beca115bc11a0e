// CMyAdapter: the concrete instance object. It keeps the hosted control's
// interface pointer and the member tables through which page script reaches
// the control, and it is the sink of the control's events, which it hands to
// the script listeners registered under the events' names.
#pragma once

#include <wrl/client.h>

#include <initializer_list>
#include <map>
#include <memory>

#include "control/ZumiPictavoExEvent.h"
#include "entry/np_members.h"
#include "entry/plugin.h"

class CMyAdapter : public CPlugin, public CZumiPictavoExEvent {
 public:
  explicit CMyAdapter(NPP instance);
  ~CMyAdapter() override;

  bool HasMethod(NPIdentifier name) override;
  bool HasProperty(NPIdentifier name) override;
  bool GetProperty(NPIdentifier name, NPVariant* result) override;
  bool SetProperty(NPIdentifier name, const NPVariant* value) override;
  bool Invoke(NPIdentifier name, const NPVariant* args, uint32_t argCount,
              NPVariant* result) override;
  void ResizeHost(int32_t width, int32_t height) override;
  bool OnAttach() override { return true; }
  void OnDetach() override;
  void OnPluginMessage(WPARAM wParam, LPARAM lParam) override;

  // Creates the control in a host window over the plug-in window and
  // connects the event sink to it; S_OK at once when it exists, E_FAIL
  // without a live plug-in window. A failed attempt leaves no host window
  // behind.
  HRESULT CreateAxControl();

  // Event handlers (control/pictavoex_events.h): each turns the event's
  // arguments into script values and calls the listener of the event's name.
  // A required string that is null gives E_POINTER and reaches no script;
  // other null strings arrive as "".
#define PICTAVOEX_ADAPTER_HANDLER(id, name, params, ...) HRESULT name params override;
  PICTAVOEX_EVENTS(PICTAVOEX_ADAPTER_HANDLER)
#undef PICTAVOEX_ADAPTER_HANDLER

 private:
  void FillTables();
  // Has the host window's container create the control and keeps its
  // IPictavoEx.
  HRESULT HostControl();
  void DestroyHostWindow();
  // Takes the sink off the control's connection point.
  void DisconnectEvents();

  // One event argument: a number, or a string (null allowed, read as "").
  struct EventArg {
    EventArg(long value) : number(value) {}
    EventArg(BSTR value) : isText(true), text(value) {}
    bool isText = false;
    long number = 0;
    BSTR text = nullptr;
  };
  // Converts the arguments and fires the event; E_OUTOFMEMORY (nothing
  // fired) when a string cannot be handed to script.
  HRESULT Deliver(const char* name, std::initializer_list<EventArg> args = {});

  Microsoft::WRL::ComPtr<IPictavoEx> m_pControl;
  HWND m_hHostWnd = nullptr;
  std::map<NPIdentifier, std::unique_ptr<npMethod>> methodTable;
  std::map<NPIdentifier, std::unique_ptr<npProperty>> propertyTable;
};
