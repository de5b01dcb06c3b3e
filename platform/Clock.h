#pragma once
// The one place that answers "now", so that every date rule can be tested at a chosen moment.
#include "TDateTime.h"

#include <optional>

namespace platform {

tdt::TDateTime Now();
// Tests fix the clock; std::nullopt gives the system clock back.
void SetNow(std::optional<tdt::TDateTime> fixed);

} // namespace platform
