// The player's settings in "tarnconfig.ini" (app/ProgramFolder.h locates the file).
#pragma once

#include "app/ProgramFolder.h"

// The client configuration address ("ClientConfigUrl"), trimmed.
CString ReadClientConfigUrl();
