#include "framework/WinApp.h"

namespace
{
CWinApp* g_pApp = nullptr;
}

CWinApp::CWinApp()
{
	g_pApp = this;
}

CWinApp::~CWinApp()
{
	if (g_pApp == this)
		g_pApp = nullptr;
}

int CWinApp::Run()
{
	MSG msg;
	while (::GetMessageW(&msg, nullptr, 0, 0) > 0)
	{
		::TranslateMessage(&msg);
		::DispatchMessageW(&msg);
	}
	return ExitInstance();
}

CWinApp* AfxGetApp()
{
	return g_pApp;
}

HINSTANCE AfxGetResourceHandle()
{
	return g_pApp && g_pApp->m_hInstance ? g_pApp->m_hInstance : ::GetModuleHandleW(nullptr);
}

int AfxWinMain(HINSTANCE hInstance)
{
	CWinApp* pApp = AfxGetApp();
	if (!pApp)
		return 1;
	pApp->m_hInstance = hInstance;
	if (!pApp->InitInstance())
		return pApp->ExitInstance();
	return pApp->Run();
}
