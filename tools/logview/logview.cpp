// A log viewer for the update service: a window of class "LogView_zumipcmgr"
// that takes each WM_COPYDATA record (narrow text in the ANSI code page, no
// terminator), lists it as one line of the window's list, the newest in view,
// and writes it as one line to standard output or to a file.
//
//   logview.exe [--out FILE] [--minimized]
//
// The program runs until its window is closed (WM_CLOSE).
#include <windows.h>

#include <cstdio>
#include <cwchar>
#include <string>

namespace {

constexpr wchar_t kViewerClass[] = L"LogView_zumipcmgr";
constexpr int kListId = 1;
// The oldest lines leave the list beyond this many, so a viewer left open
// for days does not grow without end; the file keeps everything.
constexpr LRESULT kMaxListedLines = 10000;

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

// The record as one line of the list: control characters (a record may hold
// line breaks) become blanks.
std::wstring ListLine(const COPYDATASTRUCT* data) {
  if (data->cbData == 0 || data->lpData == nullptr) return std::wstring();
  const char* text = static_cast<const char*>(data->lpData);
  // Records are at most 8191 bytes; a larger one is listed in part.
  const int bytes = static_cast<int>(data->cbData < 65536 ? data->cbData : 65536);
  const int units = MultiByteToWideChar(CP_ACP, 0, text, bytes, nullptr, 0);
  std::wstring line(static_cast<size_t>(units > 0 ? units : 0), L' ');
  if (units > 0) MultiByteToWideChar(CP_ACP, 0, text, bytes, &line[0], units);
  for (wchar_t& c : line)
    if (c < L' ') c = L' ';
  return line;
}

void ListRecord(HWND window, const COPYDATASTRUCT* data) {
  if (data == nullptr || data->dwData != 0) return;
  HWND list = GetDlgItem(window, kListId);
  if (!list) return;
  while (SendMessageW(list, LB_GETCOUNT, 0, 0) >= kMaxListedLines)
    SendMessageW(list, LB_DELETESTRING, 0, 0);
  const LRESULT index =
      SendMessageW(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(ListLine(data).c_str()));
  if (index >= 0) SendMessageW(list, LB_SETTOPINDEX, static_cast<WPARAM>(index), 0);
}

HWND CreateList(HWND window) {
  HWND list = CreateWindowExW(
      0, L"LISTBOX", nullptr, WS_CHILD | WS_VISIBLE | WS_VSCROLL | LBS_NOINTEGRALHEIGHT | LBS_NOSEL,
      0, 0, 0, 0, window, reinterpret_cast<HMENU>(static_cast<INT_PTR>(kListId)),
      GetModuleHandleW(nullptr), nullptr);
  if (list)
    SendMessageW(list, WM_SETFONT, reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT)), 0);
  return list;
}

LRESULT CALLBACK ViewerProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_CREATE:
      return CreateList(window) ? 0 : -1;
    case WM_SIZE:
      MoveWindow(GetDlgItem(window, kListId), 0, 0, LOWORD(lParam), HIWORD(lParam), TRUE);
      return 0;
    case WM_COPYDATA:
      WriteRecord(reinterpret_cast<const COPYDATASTRUCT*>(lParam));
      ListRecord(window, reinterpret_cast<const COPYDATASTRUCT*>(lParam));
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
