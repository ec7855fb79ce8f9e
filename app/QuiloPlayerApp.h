// CQuiloPlayerApp: the application object. The first instance runs the player window modally and, once
// the window has painted, registers the URL schemes; a later instance hands its command line to the running
// player and ends.
#pragma once

#include "framework/Handle.h"
#include "framework/WinApp.h"

class CQuiloPlayerApp : public CWinApp
{
public:
	BOOL InitInstance() override;

// Operations
	// Points the scheme at this program in the classes root; silent on every failure.
	void RegisterUrlScheme(const char* pszScheme);
	// Deletes the named subkey of the parent with everything below it; the first failure's code, or ERROR_SUCCESS.
	static LONG DeleteKeyTree(HKEY hParent, const char* pszName);

private:
	// Finds the running player by its window property and sends it this process's command line.
	static void HandOffCommandLine();

	// Owned until the process ends: its existence tells later instances that a player runs.
	CHandle m_hMutex;
};
