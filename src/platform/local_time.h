// Local time as text in the C runtime's ctime form, used in log headers:
// "Sun Dec  6 20:39:45 2026\n" (the trailing line feed is part of the form).
#pragma once

#include <ctime>
#include <string>

namespace kestrel {

std::u16string ctime_text(std::time_t t);
// The same for the current time.
std::u16string ctime_now();

}  // namespace kestrel
