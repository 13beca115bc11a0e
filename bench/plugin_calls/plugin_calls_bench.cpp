// The cost of a one-number and a one-string control method call through the
// plug-in's script path against the control's own IDispatch::Invoke with a
// DISPID looked up beforehand, in alternating pairs. The IDispatch side
// reuses one prepared number, and makes a BSTR for each string call as a
// caller holding the text elsewhere has to.
// Run: build/wine-run.sh build/bin/plugin_calls_bench.exe [seconds per side]
#include <windows.h>
#include <oleauto.h>
#include <wrl/client.h>

#include <stdio.h>
#include <stdlib.h>

#include <functional>
#include <string>

#include "browser.h"
#include "hosted_page.h"
#include "paired_runs.h"
#include "fixture_control.h"
#include "test_paths.h"

using Microsoft::WRL::ComPtr;
namespace npb = npbrowser;

namespace {

constexpr int kPairs = 9;
constexpr double kNumberGoal = 0.75;
constexpr double kStringGoal = 0.9;

// Seconds per call of `call` over about `seconds`; negative on the first
// failure.
double CostPerCall(const std::function<bool()>& call, double seconds,
                   const FixtureControl& fixture) {
  long calls = 0;
  const double start = Seconds();
  double now = start;
  while (now - start < seconds) {
    for (int i = 0; i < 256; ++i) {
      if (!call()) {
        bench::Fail("a call failed");
        return -1;
      }
    }
    calls += 256;
    fixture.ClearJournal();  // the stand-in journals every call: keep it small
    now = Seconds();
  }
  return (now - start) / calls;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  const double seconds = argc > 1 ? _wtof(argv[1]) : 0.2;
  FixtureControl fixture;
  if (!fixture.Ready()) {
    return bench::Fail("stand-in control not registered");
  }
  int result = 1;
  {
    HostedPage page;
    npb::Browser& browser = page.Browser();
    IUnknown* control = nullptr;
    if (page.Open()) {
      HWND host = FindWindowExW(page.Window(), nullptr, L"AtlAxWin80", nullptr);
      if (host)
        control = reinterpret_cast<IUnknown*>(
            SendMessageW(host, RegisterWindowMessageW(L"WM_ATLGETCONTROL"), 0, 0));
    }
    NPObject* object = page.Object();
    ComPtr<IDispatch> dispatch;
    if (control) control->QueryInterface(IID_PPV_ARGS(&dispatch));
    if (dispatch) {
      // Script side: identifiers fetched once, as an engine caches them.
      NPIdentifier numberMethod = browser.Identifier("SetSvrTime");
      NPIdentifier stringMethod = browser.Identifier("SetUserZumi");
      const std::string text = "someone@example";
      NPVariant numberArg = npb::Int(1234567);
      NPVariant stringArg = npb::String(text);
      auto scriptCall = [&](NPIdentifier method, const NPVariant& arg) {
        NPVariant out;
        VOID_TO_NPVARIANT(out);
        return object->_class->invoke(object, method, &arg, 1, &out);
      };

      // IDispatch side: DISPIDs looked up once, arguments prepared once.
      DISPID numberId = 0, stringId = 0;
      LPOLESTR numberName = const_cast<LPOLESTR>(L"SetSvrTime");
      LPOLESTR stringName = const_cast<LPOLESTR>(L"SetUserZumi");
      dispatch->GetIDsOfNames(IID_NULL, &numberName, 1, LOCALE_USER_DEFAULT, &numberId);
      dispatch->GetIDsOfNames(IID_NULL, &stringName, 1, LOCALE_USER_DEFAULT, &stringId);
      VARIANT numberVar;
      VariantInit(&numberVar);
      numberVar.vt = VT_I4;
      numberVar.lVal = 1234567;
      auto dispatchCall = [&](DISPID id, VARIANT* arg) {
        DISPPARAMS params{arg, nullptr, 1, 0};
        return SUCCEEDED(dispatch->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD,
                                          &params, nullptr, nullptr, nullptr));
      };

      const std::wstring wideText = L"someone@example";
      auto dispatchFreshString = [&]() {
        VARIANT arg;
        VariantInit(&arg);
        arg.vt = VT_BSTR;
        arg.bstrVal = SysAllocStringLen(wideText.data(), static_cast<UINT>(wideText.size()));
        const bool ok = dispatchCall(stringId, &arg);
        VariantClear(&arg);
        return ok;
      };

      auto cost = [&](const std::function<bool()>& call) {
        return [&, call] { return CostPerCall(call, seconds, fixture); };
      };
      bench::PrintGoal("number", "cost", "<=", kNumberGoal);
      bench::PrintGoal("string", "cost", "<=", kStringGoal);
      const bool measured =
          bench::RunPairs("number", cost([&] { return dispatchCall(numberId, &numberVar); }),
                          cost([&] { return scriptCall(numberMethod, numberArg); }), kPairs) &&
          bench::RunPairs("string", cost(dispatchFreshString),
                          cost([&] { return scriptCall(stringMethod, stringArg); }), kPairs);
      VariantClear(&numberVar);
      if (measured) result = 0;
    } else {
      bench::Fail("control not hosted");
    }
    dispatch.Reset();
  }
  return result;
}
