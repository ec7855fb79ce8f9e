#include "player/SkinMenu.h"

#include "resources/resource.h"
#include "ui/FlatMenu.h"

#include <algorithm>

void FillSkinMenu(CFlatMenu& menu, const CStringArray& arrSkinDirs, int nCurrent)
{
	int nCount = menu.GetMenuItemCount();
	if (nCount < 0)
		return;
	for (int i = 0; i < nCount; ++i)
		menu.RemoveItem(0, MF_BYPOSITION);
	int nListed = std::min(arrSkinDirs.GetSize(), ID_SKIN_LAST - ID_SKIN_FIRST + 1);
	for (int i = 0; i < nListed; ++i)
	{
		// "...\skin\<name>\": the name is what follows the last backslash but the trailing one.
		CString strFolder = arrSkinDirs[i].Left(arrSkinDirs[i].GetLength() - 1);
		CString strName = strFolder.Mid(strFolder.ReverseFind('\\') + 1);
		UINT nCommand = ID_SKIN_FIRST + i;
		menu.AppendItem(MF_STRING, nCommand, strName);
		menu.CheckMenuItem(nCommand, i == nCurrent ? MF_CHECKED : MF_UNCHECKED);
	}
}
