// CWinApp: the one application object; the process entry runs its InitInstance.
#pragma once

#include "framework/Wnd.h"

class CWinApp
{
public:
	CWinApp();
	CWinApp(const CWinApp&) = delete;
	CWinApp& operator=(const CWinApp&) = delete;
	virtual ~CWinApp();

// Attributes
	HINSTANCE m_hInstance = nullptr;
	CWnd* m_pMainWnd = nullptr;
	CString m_strRegistryKey;

// Overridables
	// Returns TRUE to run the message loop, FALSE to end the process at once.
	virtual BOOL InitInstance() { return TRUE; }
	virtual int Run();
	virtual int ExitInstance() { return 0; }

// Operations
	void SetRegistryKey(const char* pszRegistryKey) { m_strRegistryKey = pszRegistryKey; }
};

CWinApp* AfxGetApp();
// The application's main window; null when there is none.
inline CWnd* AfxGetMainWnd() { return AfxGetApp() ? AfxGetApp()->m_pMainWnd : nullptr; }
HINSTANCE AfxGetResourceHandle();
// Runs the application object; called by the process entry.
int AfxWinMain(HINSTANCE hInstance);
