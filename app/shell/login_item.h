#pragma once

#include "views/settings_window.h"

// The system's login item, for the settings window.
LoginItem systemLoginItem();
