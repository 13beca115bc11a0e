// What the event tests share: a hosted page with script listeners, the
// control's events read from its registered type library, and the control
// stand-in firing them.
#pragma once

#include <windows.h>
#include <oleauto.h>

#include <memory>
#include <string>
#include <vector>

#include "host_page.h"

namespace eventtest {

// One event as the control's type library declares it: 'N' for a long
// parameter, 'S' for a string one.
struct Event {
  DISPID dispid;
  std::string name;
  std::string args;
};
// Every event of _IPictavoExEvents, in DISPID order; empty when the library
// cannot be read.
std::vector<Event> EventsOfTheTypeLibrary();

// A page-script function, released when it goes.
class Listener {
 public:
  Listener();
  ~Listener();
  Listener(const Listener&) = delete;
  Listener& operator=(const Listener&) = delete;
  npbrowser::ScriptFunction* operator->() const { return m_function; }
  npbrowser::ScriptFunction* Get() const { return m_function; }
  NPObject* Object() const { return m_function; }
  // Lets go of the test's reference before the listener would.
  void Drop();

 private:
  npbrowser::ScriptFunction* m_function;
};

// "AddEventListener"(name, listener, 0) on the page's object.
bool Listen(hosttest::Page& page, const std::string& name, NPObject* listener);

// Event arguments given in declaration order, owned (strings as BSTRs).
class Args {
 public:
  Args() = default;
  ~Args();
  Args(const Args&) = delete;
  Args& operator=(const Args&) = delete;
  Args& Number(long value);
  Args& Text(const std::wstring& text);  // the whole text, NULs included
  Args& NullText();
  const VARIANT* Data() const { return m_values.data(); }
  int Count() const { return static_cast<int>(m_values.size()); }

 private:
  std::vector<VARIANT> m_values;
};

// Fires through the stand-in control; the result of its sink call.
HRESULT Fire(DISPID id, const Args& args);

// A hosted page: attached, control created, connected.
std::unique_ptr<hosttest::Page> HostedPage();

}  // namespace eventtest
