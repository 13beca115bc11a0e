// A log viewer for the update service: a window of class "LogView_zumipcmgr"
// that takes each WM_COPYDATA record (narrow text, no terminator) and writes
// it as one line to standard output or to a file.
//
//   logview.exe [--out FILE] [--minimized]
//
// The program runs until its window is closed (WM_CLOSE).
#include <windows.h>

#include <cstdio>
#include <cwchar>

namespace {

constexpr wchar_t kViewerClass[] = L"LogView_zumipcmgr";

struct Options {
  const wchar_t* outPath = nullptr;
  bool minimized = false;
};

FILE* g_output = stdout;

class OutputFile {
 public:
  explicit OutputFile(const wchar_t* path) : m_file(path ? _wfopen(path, L"wb") : nullptr) {}
  ~OutputFile() {
    if (m_file) fclose(m_file);
  }
  OutputFile(const OutputFile&) = delete;
  OutputFile& operator=(const OutputFile&) = delete;
  FILE* get() const { return m_file; }

 private:
  FILE* m_file;
};

void WriteRecord(const COPYDATASTRUCT* data) {
  if (data == nullptr || data->dwData != 0) return;
  if (data->cbData > 0 && data->lpData != nullptr) {
    fwrite(data->lpData, 1, data->cbData, g_output);
  }
  fputc('\n', g_output);
  fflush(g_output);
}

LRESULT CALLBACK ViewerProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_COPYDATA:
      WriteRecord(reinterpret_cast<const COPYDATASTRUCT*>(lParam));
      return TRUE;
    case WM_DESTROY:
      PostQuitMessage(0);
      return 0;
    default:
      return DefWindowProcW(window, message, wParam, lParam);
  }
}

Options ParseOptions(int argc, wchar_t** argv) {
  Options options;
  for (int i = 1; i < argc; ++i) {
    if (wcscmp(argv[i], L"--out") == 0 && i + 1 < argc) {
      options.outPath = argv[++i];
    } else if (wcscmp(argv[i], L"--minimized") == 0) {
      options.minimized = true;
    }
  }
  return options;
}

HWND CreateViewerWindow(bool minimized) {
  WNDCLASSW windowClass = {};
  windowClass.lpfnWndProc = ViewerProc;
  windowClass.hInstance = GetModuleHandleW(nullptr);
  windowClass.lpszClassName = kViewerClass;
  if (!RegisterClassW(&windowClass)) return nullptr;
  HWND window =
      CreateWindowExW(0, kViewerClass, L"Log viewer", WS_OVERLAPPEDWINDOW, CW_USEDEFAULT,
                      CW_USEDEFAULT, 480, 320, nullptr, nullptr, windowClass.hInstance, nullptr);
  if (window) ShowWindow(window, minimized ? SW_SHOWMINNOACTIVE : SW_SHOWNOACTIVATE);
  return window;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  Options options = ParseOptions(argc, argv);
  OutputFile file(options.outPath);
  if (options.outPath) {
    if (!file.get()) {
      fwprintf(stderr, L"logview: cannot write %ls\n", options.outPath);
      return 2;
    }
    g_output = file.get();
  }
  if (!CreateViewerWindow(options.minimized)) {
    fwprintf(stderr, L"logview: cannot create the viewer window\n");
    return 1;
  }
  MSG message;
  while (GetMessageW(&message, nullptr, 0, 0) > 0) {
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
  return 0;
}
