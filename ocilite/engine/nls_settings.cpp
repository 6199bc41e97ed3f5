#include "nls_settings.h"

#include <cstdlib>
#include <cstring>
#include <ctime>

namespace ocilite {
namespace {

std::string local_offset_text() {
  time_t now = time(nullptr);
  tm lt{};
  localtime_r(&now, &lt);
  long off = lt.tm_gmtoff / 60;
  char buf[48];
  std::snprintf(buf, sizeof buf, "%c%02ld:%02ld", off < 0 ? '-' : '+', std::labs(off) / 60, std::labs(off) % 60);
  return buf;
}

}  // namespace

NlsSettings NlsSettings::from_environment() {
  NlsSettings s;
  const char* lang = std::getenv("NLS_LANG");
  std::string language = "AMERICAN", territory = "AMERICA";
  if (lang && *lang) {
    std::string v(lang);
    std::string head = v.substr(0, v.find('.'));
    size_t us = head.find('_');
    if (!head.empty() && head[0] != '_') language = head.substr(0, us);
    if (us != std::string::npos) territory = head.substr(us + 1);
  }
  bool japan = territory == "JAPAN";
  std::string date_fmt = japan ? "RR-MM-DD" : "DD-MON-RR";
  std::string ts_fmt = japan ? "RR-MM-DD HH24:MI:SSXFF" : "DD-MON-RR HH.MI.SSXFF AM";
  std::string tstz_fmt = japan ? "RR-MM-DD HH24:MI:SSXFF TZR" : "DD-MON-RR HH.MI.SSXFF AM TZR";
  auto env = [&](const char* name, std::string& target) {
    const char* v = std::getenv(name);
    if (lang && *lang && v && *v) target = v;
  };
  env("NLS_DATE_FORMAT", date_fmt);
  env("NLS_TIMESTAMP_FORMAT", ts_fmt);
  env("NLS_TIMESTAMP_TZ_FORMAT", tstz_fmt);
  s.params_ = {
      {"NLS_LANGUAGE", language},
      {"NLS_TERRITORY", territory},
      {"NLS_CURRENCY", japan ? "\xEF\xBF\xA5" : "$"},
      {"NLS_ISO_CURRENCY", territory},
      {"NLS_NUMERIC_CHARACTERS", ".,"},
      {"NLS_CALENDAR", "GREGORIAN"},
      {"NLS_DATE_FORMAT", date_fmt},
      {"NLS_DATE_LANGUAGE", language},
      {"NLS_SORT", japan ? "BINARY" : "BINARY"},
      {"NLS_TIME_FORMAT", "HH.MI.SSXFF AM"},
      {"NLS_TIMESTAMP_FORMAT", ts_fmt},
      {"NLS_TIME_TZ_FORMAT", "HH.MI.SSXFF AM TZR"},
      {"NLS_TIMESTAMP_TZ_FORMAT", tstz_fmt},
      {"NLS_DUAL_CURRENCY", japan ? "\xEF\xBF\xA5" : "$"},
      {"NLS_COMP", "BINARY"},
      {"NLS_LENGTH_SEMANTICS", "BYTE"},
      {"NLS_NCHAR_CONV_EXCP", "FALSE"},
  };
  const char* tz = std::getenv("ORA_SDTZ");
  s.time_zone_ = tz && *tz && std::strcmp(tz, "OS_TZ") != 0 && std::strcmp(tz, "DB_TZ") != 0 ? tz : local_offset_text();
  s.refresh_cache();
  return s;
}

std::optional<std::string> NlsSettings::get(std::string_view name) const {
  for (const auto& [k, v] : params_)
    if (k == name) return v;
  if (name == "TIME_ZONE") return time_zone_;
  return std::nullopt;
}

bool NlsSettings::set(std::string_view name, std::string value) {
  if (name == "TIME_ZONE") {
    if (value == "LOCAL" || value == "DBTIMEZONE") value = local_offset_text();
    time_zone_ = std::move(value);
    return true;
  }
  for (auto& [k, v] : params_) {
    if (k == name) {
      v = std::move(value);
      refresh_cache();
      return true;
    }
  }
  return false;
}

void NlsSettings::refresh_cache() {
  date_format_ = *get("NLS_DATE_FORMAT");
  timestamp_format_ = *get("NLS_TIMESTAMP_FORMAT");
  timestamp_tz_format_ = *get("NLS_TIMESTAMP_TZ_FORMAT");
}

int NlsSettings::time_zone_minutes() const {
  const std::string& t = time_zone_;
  if (t.size() >= 6 && (t[0] == '+' || t[0] == '-')) {
    int h = std::atoi(t.substr(1, 2).c_str()), m = std::atoi(t.substr(4, 2).c_str());
    return (t[0] == '-' ? -1 : 1) * (h * 60 + m);
  }
  time_t now = time(nullptr);
  tm lt{};
  localtime_r(&now, &lt);
  return static_cast<int>(lt.tm_gmtoff / 60);
}

}  // namespace ocilite
