// pagehost.exe [--dll PATH] [--timeout SECONDS] [--screenshot FILE.png]
//              [--origin ORIGIN] [--origin-from document|location|none] PAGE.html
// Runs a page's scripts against the NPAPI plug-in the way a browser does.
#include <fcntl.h>
#include <io.h>
#include <stdio.h>

#include "page_host.h"

int wmain(int argc, wchar_t** argv) {
  // Script output is UTF-8, line by line, as written.
  _setmode(_fileno(stdout), _O_BINARY);
  pagehost::PageOptions options;
  if (!pagehost::ParseOptions(argc, argv, &options)) return pagehost::kPageCannotRun;
  return pagehost::RunPage(options);
}
