#include "core/SharedSettings.h"

SharedSettingsState Settings;
