#include "ui/TrayIcon.h"

#include "framework/WideText.h"
#include "framework/WinApp.h"

#include <algorithm>
#include <cwchar>

#include <cstring>

namespace
{
// Registered at program start; the number is the same for every process of the session.
const UINT g_nTaskbarCreated = ::RegisterWindowMessageW(L"TaskbarCreated");
const size_t kTipSize = 64;
}

UINT CTrayIcon::TaskbarCreatedMessage()
{
	return g_nTaskbarCreated;
}

void CopyTrayTip(char* pszField, size_t cbField, const char* pszText)
{
	if (cbField == 0)
		return;
	size_t nLength = 0;
	while (pszText[nLength])
	{
		size_t nChar = IsLeadByte(pszText[nLength]) && pszText[nLength + 1] ? 2 : 1;
		if (nLength + nChar > cbField - 1)
			break;
		nLength += nChar;
	}
	std::memcpy(pszField, pszText, nLength);
	pszField[nLength] = '\0';
}

LRESULT TrayHook::OnMessage(UINT uMsg, WPARAM wParam, LPARAM lParam)
{
	const NOTIFYICONDATAW& nid = m_pOwner->m_nid;
	if (uMsg == nid.uCallbackMessage && nid.uCallbackMessage && GetHwnd() == nid.hWnd)
		m_pOwner->OnNotify(wParam, lParam);
	else if (uMsg == g_nTaskbarCreated)
		m_pOwner->OnTaskbarRestart(wParam, lParam);
	return PassOn(uMsg, wParam, lParam);
}

CTrayIcon::CTrayIcon(UINT nID)
	: m_nid(), m_hookNotify(this), m_hookParent(this)
{
	m_nid.cbSize = NOTIFYICONDATAW_V1_SIZE;
	m_nid.uID = nID;
	LoadTip(nID);
}

CTrayIcon::~CTrayIcon()
{
	SetIconHandle(nullptr, nullptr);
	m_hookParent.AttachToHandle(nullptr);
	m_hookNotify.AttachToHandle(nullptr);
}

void CTrayIcon::LoadTip(UINT nID)
{
	// Loaded whole and cut here, so that the cut never splits a character.
	wchar_t szText[1024] = {};
	if (::LoadStringW(AfxGetResourceHandle(), nID, szText, 1024) > 0)
		SetTip(FromWide(szText).c_str());
}

void CTrayIcon::SetTip(const char* pszTip)
{
	char szCut[kTipSize] = {};
	CopyTrayTip(szCut, kTipSize, pszTip);
	std::wstring strTip = ToWide(szCut);
	// At most as many UTF-16 units as code page 936 bytes: the cut text always fits.
	size_t nLength = std::min(strTip.size(), kTipSize - 1);
	std::wmemcpy(m_nid.szTip, strTip.c_str(), nLength);
	m_nid.szTip[nLength] = L'\0';
}

BOOL CTrayIcon::SetNotifyWindow(CWnd* pWnd, UINT uMsg)
{
	HWND hWnd = pWnd ? pWnd->GetSafeHwnd() : nullptr;
	m_nid.hWnd = hWnd;
	m_nid.uCallbackMessage = uMsg;
	m_hookNotify.AttachToHandle(hWnd);
	HWND hWndTop = hWnd ? ::GetAncestor(hWnd, GA_ROOT) : nullptr;
	m_hookParent.AttachToHandle(hWndTop != hWnd ? hWndTop : nullptr);
	return TRUE;
}

BOOL CTrayIcon::SetIconFromResource(UINT nID, int nSize)
{
	if (!nID)
		return SetIconHandle(nullptr, nullptr);
	LoadTip(nID);
	if (nSize <= 0)
		return SetIconHandle(::LoadIconW(AfxGetResourceHandle(), MAKEINTRESOURCEW(nID)), nullptr);
	CIconHandle icon(static_cast<HICON>(::LoadImageW(AfxGetResourceHandle(), MAKEINTRESOURCEW(nID), IMAGE_ICON, nSize,
		nSize, 0)));
	if (!icon)
		return SetIconHandle(::LoadIconW(AfxGetResourceHandle(), MAKEINTRESOURCEW(nID)), nullptr);
	BOOL bShown = SetIconHandle(icon.Get(), nullptr);
	// The record holds the new icon whether or not the shell took it; the old one goes only now.
	if (icon)
		m_icon = std::move(icon);
	return bShown;
}

BOOL CTrayIcon::SetIconHandle(HICON hIcon, const char* pszTip)
{
	UINT uFlags = 0;
	DWORD dwAction = NIM_DELETE;
	if (hIcon)
	{
		dwAction = m_nid.hIcon ? NIM_MODIFY : NIM_ADD;
		m_nid.hIcon = hIcon;
		uFlags = NIF_ICON;
	}
	else if (!m_nid.hIcon)
		return TRUE;
	if (pszTip)
		SetTip(pszTip);
	if (m_nid.szTip[0])
		uFlags |= NIF_TIP;
	if (m_nid.uCallbackMessage && m_nid.hWnd)
		uFlags |= NIF_MESSAGE;
	m_nid.uFlags = uFlags;
	BOOL bResult = m_pfnShellNotify(dwAction, &m_nid);
	if (dwAction == NIM_DELETE || !bResult)
		m_nid.hIcon = nullptr;
	return bResult;
}

LRESULT CTrayIcon::OnTaskbarRestart(WPARAM, LPARAM)
{
	HICON hIcon = m_nid.hIcon;
	m_nid.hIcon = nullptr;
	if (hIcon)
		SetIconHandle(hIcon, nullptr);
	return 0;
}
