// The update service's diagnostic call. Records go to a log viewer window
// when one was running at set-up; otherwise every call returns at once.
#pragma once

#include "log/log_record.h"

// Runs the once-per-process set-up (finding the viewer). Called before the
// first download component is created; later calls do nothing.
void LogSetUp();

// printf-style wide format: write %ls for wide and %hs for narrow strings.
// Messages longer than 4095 wide characters are cut.
void LogPrint(int nModule, const wchar_t* szFormat, ...);
