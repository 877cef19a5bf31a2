// The program's text form of a date and time, "YYYY/MM/DD hh:nn:ss" in local time (the
// form the Japanese system gives by default): the error log's start line, the completion
// mail's body.
#pragma once

#include <ctime>
#include <string>

namespace qvr {

std::string DateTimeText(std::time_t when);

}  // namespace qvr
