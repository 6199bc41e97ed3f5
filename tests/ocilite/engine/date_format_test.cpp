// Every element of an Oracle date format model, as TO_CHAR and the fetch of
// DATE and TIMESTAMP columns as text print it: case taken from the element
// as written, padding of names unless FM, and literal text kept.
#include <gtest/gtest.h>

#include "ora_format.h"

namespace ocilite {
namespace {

OraDateTime sample() {
  OraDateTime dt;  // Thursday 29 February 2024, 13:05:09.123456789 +09:00
  dt.year = 2024;
  dt.month = 2;
  dt.day = 29;
  dt.hour = 13;
  dt.minute = 5;
  dt.second = 9;
  dt.nanos = 123456789;
  dt.has_tz = true;
  dt.tz_minutes = 9 * 60;
  return dt;
}

TEST(DateFormatElements, EachElementPrintsAsOracle) {
  struct Case {
    const char* model;
    const char* text;
  };
  const Case cases[] = {
      {"YYYY", "2024"},       {"RRRR", "2024"},        {"SYYYY", " 2024"},     {"Y,YYY", "2,024"},
      {"YYY", "024"},         {"YY", "24"},            {"RR", "24"},           {"Y", "4"},
      {"MONTH", "FEBRUARY "}, {"Month", "February "},  {"month", "february "}, {"fmMonth", "February"},
      {"MON", "FEB"},         {"Mon", "Feb"},          {"mon", "feb"},         {"MM", "02"},
      {"fmMM", "2"},          {"RM", "II  "},          {"fmRM", "II"},         {"DDD", "060"},
      {"DD", "29"},           {"fmDD", "29"},          {"DAY", "THURSDAY "},   {"Day", "Thursday "},
      {"fmDay", "Thursday"},  {"DY", "THU"},           {"Dy", "Thu"},          {"D", "5"},
      {"HH24", "13"},         {"HH12", "01"},          {"HH", "01"},           {"fmHH", "1"},
      {"MI", "05"},           {"SS", "09"},            {"SSSSS", "47109"},     {"FF3", "123"},
      {"FF", "123456"},       {"FF9", "123456789"},    {"AM", "PM"},           {"am", "pm"},
      {"P.M.", "P.M."},       {"a.m.", "p.m."},        {"TZH", "+09"},         {"TZM", "00"},
      {"TZR", "+09:00"},      {"CC", "21"},            {"Q", "1"},             {"WW", "09"},
      {"J", "2460370"},       {"HH24:MI:SSXFF3", "13:05:09.123"},
      {"DD-MON-RR", "29-FEB-24"},
      {"YYYY/MM/DD \"at\" HH24", "2024/02/29 at 13"},
      {"Dy, DD Month YYYY HH:MI AM", "Thu, 29 February  2024 01:05 PM"},
  };
  for (const Case& c : cases) {
    auto f = DateFormat::compile(c.model);
    ASSERT_TRUE(f) << c.model;
    std::string out = "<";  // appends
    f->format(sample(), out);
    EXPECT_EQ(out, std::string("<") + c.text) << c.model;
  }
}

TEST(DateFormatElements, MorningAndMidnight) {
  OraDateTime dt = sample();
  dt.hour = 0;
  EXPECT_EQ(*format_date(dt, "HH12 AM"), "12 AM");
  dt.hour = 9;
  EXPECT_EQ(*format_date(dt, "fmHH12 a.m."), "9 a.m.");
  dt.month = 5;
  EXPECT_EQ(*format_date(dt, "MONTH|"), "MAY      |");
}

}  // namespace
}  // namespace ocilite
