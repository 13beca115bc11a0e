// Calls per second of a one-number and a one-string control method, once
// through the plug-in's script path and once through the control's own
// IDispatch::Invoke with a DISPID looked up beforehand; prints both and the
// ratio. Run: build/wine-run.sh build/bin/plugin_calls_bench.exe [seconds]
#include <windows.h>
#include <oleauto.h>
#include <wrl/client.h>

#include <stdio.h>
#include <stdlib.h>

#include <functional>
#include <string>

#include "browser.h"
#include "hosted_page.h"
#include "fixture_control.h"
#include "test_paths.h"

using Microsoft::WRL::ComPtr;
namespace npb = npbrowser;

namespace {

// Calls per second of `call` over about `seconds`; false on the first failure.
double Rate(const std::function<bool()>& call, double seconds, const FixtureControl& fixture) {
  long calls = 0;
  const double start = Seconds();
  double now = start;
  while (now - start < seconds) {
    for (int i = 0; i < 256; ++i) {
      if (!call()) {
        fprintf(stderr, "a call failed\n");
        exit(1);
      }
    }
    calls += 256;
    fixture.ClearJournal();  // the stand-in journals every call: keep it small
    now = Seconds();
  }
  return calls / (now - start);
}

struct Pair {
  double script;
  double dispatch;
};

// The IDispatch baseline either reuses one prepared argument (the cheapest
// possible caller) or, for strings, makes the BSTR for each call as a caller
// holding the text elsewhere has to.
void Report(const char* what, const Pair& rates) {
  printf(
      "%-32s script path %10.0f calls/s   IDispatch::Invoke %10.0f calls/s   "
      "cost ratio (script/IDispatch) %.2f\n",
      what, rates.script, rates.dispatch, rates.dispatch / rates.script);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  const double seconds = argc > 1 ? _wtof(argv[1]) : 1.0;
  FixtureControl fixture;
  if (!fixture.Ready()) {
    fprintf(stderr, "stand-in control not registered: %08lx\n", fixture.RegisterResult());
    return 1;
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
      VARIANT stringVar;
      VariantInit(&stringVar);
      stringVar.vt = VT_BSTR;
      stringVar.bstrVal = SysAllocString(L"someone@example");
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

      Pair number{}, string{}, freshString{};
      // Alternate short rounds so that both paths see the same conditions.
      for (int round = 0; round < 4; ++round) {
        number.script +=
            Rate([&] { return scriptCall(numberMethod, numberArg); }, seconds / 4, fixture);
        number.dispatch +=
            Rate([&] { return dispatchCall(numberId, &numberVar); }, seconds / 4, fixture);
        string.script +=
            Rate([&] { return scriptCall(stringMethod, stringArg); }, seconds / 4, fixture);
        string.dispatch +=
            Rate([&] { return dispatchCall(stringId, &stringVar); }, seconds / 4, fixture);
        freshString.dispatch += Rate(dispatchFreshString, seconds / 4, fixture);
      }
      VariantClear(&stringVar);
      for (Pair* pair : {&number, &string, &freshString}) {
        pair->script /= 4;
        pair->dispatch /= 4;
      }
      freshString.script = string.script;
      Report("SetSvrTime(number)", number);
      Report("SetUserZumi(string)", string);
      Report("SetUserZumi(string, BSTR/call)", freshString);
      result = 0;
    } else {
      fprintf(stderr, "control not hosted\n");
    }
    dispatch.Reset();
  }
  return result;
}
