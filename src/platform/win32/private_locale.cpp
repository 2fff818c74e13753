#include <windows.h>

#include "platform/platform.h"

namespace orrery::platform {
namespace {

char16_t gDecimalPoint = u'.';

}  // namespace

// The C runtime may be shared with the host, so its global locale is left alone. The
// number conversions need only the user default's decimal point, which the system
// reports directly.
void createPrivateLocale() noexcept {
  wchar_t buffer[8] = {};
  if (GetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_SDECIMAL, buffer, 8) > 1 && buffer[0] != 0) {
    gDecimalPoint = static_cast<char16_t>(buffer[0]);
  } else {
    gDecimalPoint = u'.';
  }
}

void destroyPrivateLocale() noexcept { gDecimalPoint = u'.'; }

char16_t decimalPoint() noexcept { return gDecimalPoint; }

}  // namespace orrery::platform
