// Session NLS parameters (NLS_DATE_FORMAT, ...) and the session time zone.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace ocilite {

class NlsSettings {
 public:
  // Defaults as Oracle derives them from NLS_LANG's territory; the
  // NLS_*_FORMAT environment variables apply only when NLS_LANG is set.
  static NlsSettings from_environment();

  std::optional<std::string> get(std::string_view name) const;
  // Sets a parameter by its upper-case name. False when it is unknown.
  bool set(std::string_view name, std::string value);
  // Every parameter, in nls_session_parameters order.
  const std::vector<std::pair<std::string, std::string>>& all() const { return params_; }

  const std::string& date_format() const { return date_format_; }
  const std::string& timestamp_format() const { return timestamp_format_; }
  const std::string& timestamp_tz_format() const { return timestamp_tz_format_; }
  const std::string& time_zone() const { return time_zone_; }
  void set_time_zone(std::string tz) { time_zone_ = std::move(tz); }
  int time_zone_minutes() const;  // offset of the session time zone

 private:
  void refresh_cache();
  std::vector<std::pair<std::string, std::string>> params_;
  std::string date_format_, timestamp_format_, timestamp_tz_format_;
  std::string time_zone_;
};

}  // namespace ocilite
