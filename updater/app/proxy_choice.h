// Which proxy one HTTP fetch goes through: the one a configuration script
// of the user's Internet settings names for the URL (AutoConfigURL first,
// then AutoDetect), or else the static proxy setting.
#pragma once

#include <string>

struct ProxyChoice {
  enum class Route {
    kStatic,  // the static setting, as without a script
    kDirect,  // the script answered DIRECT
    kNamed,   // the script named `hostPort`
  };
  Route route = Route::kStatic;
  std::string hostPort;
  std::wstring reason;  // one short line for the log: the proxy and why
};

// Asks WinHTTP for `url`'s proxy when the settings name a script or ask for
// detection; blocks for at most a few seconds per step.
ProxyChoice ChooseProxy(const std::string& url);
