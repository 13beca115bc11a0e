// The update service's application object.
#pragma once

#include "app/win_app.h"

class CUpdateDeamonApp : public CWinApp {
 public:
  // Parses the parameter string and runs the update flow; the flow's result
  // code.
  int InitInstance() override;
};
