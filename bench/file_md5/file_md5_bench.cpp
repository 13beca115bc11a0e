// Times GetFileMd5 over the file named on the command line and prints the
// digest and the seconds taken, for run.sh to set against md5sum.
#include <windows.h>

#include <cstdio>

#include "app/file_md5.h"

int wmain(int argc, wchar_t** argv) {
  if (argc < 2) {
    std::printf("usage: file_md5_bench FILE\n");
    return 2;
  }
  LARGE_INTEGER frequency, start, end;
  QueryPerformanceFrequency(&frequency);
  QueryPerformanceCounter(&start);
  std::string digest = GetFileMd5(argv[1]);
  QueryPerformanceCounter(&end);
  double seconds = double(end.QuadPart - start.QuadPart) / double(frequency.QuadPart);
  std::printf("%s %.3f\n", digest.c_str(), seconds);
  return digest.empty() ? 1 : 0;
}
