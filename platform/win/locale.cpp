#include "platform/win/locale.h"

#include <windows.h>

namespace ocural {

char LocaleDecimalSeparator() {
  char buf[8] = {};
  if (GetLocaleInfoA(LOCALE_USER_DEFAULT, LOCALE_SDECIMAL, buf, sizeof(buf)) > 0 && buf[0] != '\0' &&
      buf[1] == '\0') {
    return buf[0];
  }
  return '.';
}

}  // namespace ocural
