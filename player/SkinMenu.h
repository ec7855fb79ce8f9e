// The skin sub-menu of the button menu: one item per skin folder, command ID_SKIN_FIRST + index.
#pragma once

#include "framework/String.h"

class CFlatMenu;

// Empties the menu (the resource's placeholder item included) and lists the folders by name, the one at
// nCurrent checked; only as many as the skin commands can reach.
void FillSkinMenu(CFlatMenu& menu, const CStringArray& arrSkinDirs, int nCurrent);
