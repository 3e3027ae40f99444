#pragma once

// Regional formats (numbers and dates) and day numbers: the settings in
// force (FormatSettings.h), numbers as texts (NumberText.h), day numbers and
// their texts (DayNumbers.h). Label rendering, the settings file and the
// import all ask these units, which alone decide separators and the short
// date format.

#include "platform/DayNumbers.h"
#include "platform/FormatSettings.h"
#include "platform/NumberText.h"
