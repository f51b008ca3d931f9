#pragma once
// The start-up steps shared by the program and typixctl.
#include "app/Settings.h"

namespace typix {

// Forces the C run-time time zone to GMT without daylight saving (TZ=GMT0), so
// that stored times (seconds since 1970) convert to calendar fields as GMT.
void applyGmtTimeZone();

// Applies the GMT time zone, resolves the data paths for the running
// executable, creates any missing data folder and gives the paths to
// settings().  Call once on the main thread before any worker starts.
Settings& startProgram();

}  // namespace typix
