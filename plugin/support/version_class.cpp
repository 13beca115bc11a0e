// Version classes, kept free of platform headers.
#include "support/write_log.h"

int WindowsVersionClass(uint32_t platformId, uint32_t major, uint32_t minor) {
  if (platformId == 1) {  // Windows 9x
    if (major != 4) return 4;
    if (minor == 0) return 1;
    if (minor == 10) return 2;
    if (minor == 90) return 3;
    return 4;
  }
  if (platformId == 2) {  // Windows NT
    if (major <= 4) return 5;
    if (major == 5) return minor == 0 ? 6 : minor == 1 ? 7 : 8;
    return 8;
  }
  return 0;
}
