// The modal loop of CDialog and its pre-translation step.
#include "framework/Dialog.h"

#include "framework/OleControl.h"

#include <cwchar>

namespace
{
bool IsKeyMessage(UINT uMsg)
{
	return uMsg >= WM_KEYFIRST && uMsg <= WM_KEYLAST;
}

bool IsControlHost(HWND hWnd)
{
	wchar_t szClass[16] = {};
	::GetClassNameW(hWnd, szClass, sizeof(szClass) / sizeof(szClass[0]));
	return std::wcsncmp(szClass, L"AtlAxWin", 8) == 0;
}

// The innermost hosted control around the window a key is for gets it before the dialog manager, which
// would take Tab, Enter and Escape from it; S_OK from the control means it used the key.
BOOL ForwardToHostedControl(HWND hWndDlg, MSG* pMsg)
{
	for (HWND hWnd = pMsg->hwnd; hWnd && hWnd != hWndDlg; hWnd = ::GetParent(hWnd))
	{
		if (!IsControlHost(hWnd))
			continue;
		CComPtr<IOleInPlaceActiveObject> pActive =
			AfxGetControl(hWnd).Query<IOleInPlaceActiveObject>(IID_IOleInPlaceActiveObject);
		return pActive && pActive->TranslateAccelerator(pMsg) == S_OK;
	}
	return FALSE;
}
}

void CDialog::EndDialog(INT_PTR nResult)
{
	if (!m_bModal)
	{
		::EndDialog(m_hWnd, nResult);
		return;
	}
	m_nModalResult = nResult;
	m_bEndModal = true;
	// Wakes the loop when this comes from a message sent from elsewhere.
	::PostMessageW(m_hWnd, WM_NULL, 0, 0);
}

BOOL CDialog::PreTranslateMessage(MSG* pMsg)
{
	if (!IsKeyMessage(pMsg->message))
		return FALSE;
	if (ForwardToHostedControl(m_hWnd, pMsg))
		return TRUE;
	return ::IsDialogMessageW(m_hWnd, pMsg);
}

INT_PTR CDialog::RunModalLoop()
{
	MSG msg;
	while (!m_bEndModal && m_hWnd)
	{
		BOOL bResult = ::GetMessageW(&msg, nullptr, 0, 0);
		if (bResult == -1)
			break;
		if (bResult == 0)
		{
			// The quit request belongs to the loop outside this one.
			::PostQuitMessage(static_cast<int>(msg.wParam));
			break;
		}
		if (!WalkPreTranslateTree(m_hWnd, &msg))
		{
			::TranslateMessage(&msg);
			::DispatchMessageW(&msg);
		}
	}
	return m_nModalResult;
}
