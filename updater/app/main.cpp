// Entry point of the update service: runs the application object; the exit
// status is the update flow's result code.
#include <windows.h>

#include "app/update_deamon_app.h"

CUpdateDeamonApp theApp;

int WINAPI wWinMain(HINSTANCE hInstance, HINSTANCE, LPWSTR, int) { return CWinApp::Run(hInstance); }
