#include "core/SharedSettings.h"

SharedSettingsState Settings;
ReadConditionsState ReadConditions;
StartFlagsState StartFlags;
CallBoxState CallBox;
