// The settings of this run, read at start and written at the end.
#pragma once

#include "settings/core/app_settings.h"

namespace ocural {

// The module-level record of the nine settings.
extern AppSettingsRecord AppSettings;

// The locale's decimal separator, for reading numbers typed by hand.
char LocaleDecimalSeparator();

}  // namespace ocural
