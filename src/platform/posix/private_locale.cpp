#include <langinfo.h>
#include <locale.h>

#include "platform/platform.h"

namespace orrery::platform {
namespace {

locale_t gLocale = static_cast<locale_t>(0);
char16_t gDecimalPoint = u'.';

// The radix text is in the locale's own multibyte charset; UTF-8 and ASCII cover
// every locale a host is likely to run. Anything else keeps '.'.
char16_t firstCharacter(const char* s) {
  const auto* p = reinterpret_cast<const unsigned char*>(s);
  if (p[0] == 0) return u'.';
  if (p[0] < 0x80) return static_cast<char16_t>(p[0]);
  if ((p[0] & 0xE0) == 0xC0 && (p[1] & 0xC0) == 0x80)
    return static_cast<char16_t>(((p[0] & 0x1F) << 6) | (p[1] & 0x3F));
  if ((p[0] & 0xF0) == 0xE0 && (p[1] & 0xC0) == 0x80 && (p[2] & 0xC0) == 0x80)
    return static_cast<char16_t>(((p[0] & 0x0F) << 12) | ((p[1] & 0x3F) << 6) | (p[2] & 0x3F));
  return u'.';
}

}  // namespace

void createPrivateLocale() noexcept {
  if (gLocale != static_cast<locale_t>(0)) return;
  gLocale = newlocale(LC_ALL_MASK, "", static_cast<locale_t>(0));
  gDecimalPoint = gLocale ? firstCharacter(nl_langinfo_l(RADIXCHAR, gLocale)) : u'.';
}

void destroyPrivateLocale() noexcept {
  if (gLocale != static_cast<locale_t>(0)) freelocale(gLocale);
  gLocale = static_cast<locale_t>(0);
  gDecimalPoint = u'.';
}

char16_t decimalPoint() noexcept { return gDecimalPoint; }

}  // namespace orrery::platform
