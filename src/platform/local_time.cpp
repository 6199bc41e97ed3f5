#include "platform/local_time.h"

#include <cstdio>

#include "platform/utf16.h"

namespace kestrel {

std::u16string ctime_text(std::time_t t) {
  static constexpr const char* kDays[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
  static constexpr const char* kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                            "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
  struct tm tm {};
  if (!::localtime_r(&t, &tm)) return u"??? ??? ?? ??:??:?? ????\n";
  char buf[64];
  std::snprintf(buf, sizeof buf, "%.3s %.3s%3d %.2d:%.2d:%.2d %d\n", kDays[tm.tm_wday % 7], kMonths[tm.tm_mon % 12],
                tm.tm_mday, tm.tm_hour, tm.tm_min, tm.tm_sec, 1900 + tm.tm_year);
  return utf8_to_utf16(buf);
}

std::u16string ctime_now() { return ctime_text(std::time(nullptr)); }

}  // namespace kestrel
