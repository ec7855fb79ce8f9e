#include "controls/AppendDlg.h"

#include "app/Log.h"
#include "framework/DataExchange.h"
#include "framework/Gdi.h"
#include "resources/resource.h"

#include <exdisp.h>

namespace
{
const DISPID kBeforeNavigate2 = 250;
const DISPID kNavigateComplete2 = 252;

// A variant holding an automation string, cleared however the call that takes it ends.
class CTextVariant
{
public:
	explicit CTextVariant(const char* psz)
	{
		::VariantInit(&m_var);
		m_var.vt = VT_BSTR;
		m_var.bstrVal = AfxAllocBstr(psz);
	}
	CTextVariant(const CTextVariant&) = delete;
	CTextVariant& operator=(const CTextVariant&) = delete;
	~CTextVariant() { ::VariantClear(&m_var); }

	VARIANT* operator&() { return &m_var; }

private:
	VARIANT m_var;
};
}

IMPLEMENT_DYNAMIC(CAppendDlg, CDialog)

CAppendDlg::CAppendDlg()
	: CDialog(IDD_APPEND_DIALOG)
{
	m_sinkBrowser.On(kBeforeNavigate2, this, &CAppendDlg::OnBeforeNavigate2);
	m_sinkBrowser.On(kNavigateComplete2, this, &CAppendDlg::OnNavigateComplete2);
}

CAppendDlg::~CAppendDlg()
{
	m_sinkBrowser.Disconnect();
	if (m_browser.GetSafeHwnd())
		m_browser.DestroyWindow();
	m_skinFrame.AttachToHandle(nullptr);
	if (IsWindow())
		DestroyWindow();
}

void CAppendDlg::SetStartUp(const CString& strSkinFile, const CString& strWebUrl,
	std::function<void()> fnCloseRequest, std::function<void(int, int)> fnMenuButton)
{
	m_strSkinFile = strSkinFile;
	m_strWebUrl = strWebUrl;
	m_fnCloseRequest = std::move(fnCloseRequest);
	m_skinFrame.SetMenuButtonHandler(std::move(fnMenuButton));
}

void CAppendDlg::DoDataExchange()
{
	DDX_Control(*this, IDC_EXPLORER, m_browser);
}

BOOL CAppendDlg::OnInitDialog()
{
	CDialog::OnInitDialog();
	// The browser is what the panel shows: when its control could not be made, the panel is not made
	// either, and Create fails.
	if (!AfxGetControl(m_browser.GetSafeHwnd()))
	{
		DestroyWindow();
		return FALSE;
	}
	// Held to the screen no more than the skinned frame holds it (see the player's sizing).
	if (!::IsRectEmpty(&m_rcStart))
		SetWindowPos(nullptr, m_rcStart.left, m_rcStart.top, m_rcStart.right - m_rcStart.left,
			m_rcStart.bottom - m_rcStart.top, SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOSENDCHANGING);
	m_bFirstSkin = 1;
	ApplySkin(m_strSkinFile);

	// Out of sight until its first page has loaded; the panel shows its black background meanwhile.
	if (m_browser.GetSafeHwnd())
		m_browser.MoveWindow(0, 0, 0, 0);
	m_bAwaitingFirstPage = 1;
	if (m_browser.GetSafeHwnd())
	{
		m_sinkBrowser.Connect(m_browser, DIID_DWebBrowserEvents2);
		CTextVariant varUrl(m_strWebUrl);
		m_browser.Navigate2(&varUrl, nullptr, nullptr, nullptr, nullptr);
	}
	// The dialog manager gives no control the focus: that would activate the hidden panel, and its owner's
	// showing deactivate it again. The first tab stop, the browser, takes it when the panel is first activated.
	return FALSE;
}

BOOL CAppendDlg::ApplySkin(const char* pszPath)
{
	if (!m_skinFrame.ApplyTo(this, pszPath, FALSE, TRUE, m_bFirstSkin))
		WriteLog(LOG_ERR, CString("加载皮肤失败: ") + pszPath);
	return TRUE;
}

LRESULT CAppendDlg::OnSizing(WPARAM, LPARAM lParam)
{
	RECT* pRect = reinterpret_cast<RECT*>(lParam);
	if (!pRect)
		return Default();
	pRect->right = pRect->left + kWidth;
	return Default();
}

LRESULT CAppendDlg::OnSize(WPARAM, LPARAM)
{
	LRESULT lResult = Default();
	if (!m_bAwaitingFirstPage)
		FitBrowser();
	return lResult;
}

// The page gets the client area: the frame's borders and caption would hide its right and bottom edges.
void CAppendDlg::FitBrowser()
{
	RECT rc;
	if (m_browser.GetSafeHwnd() && GetClientRect(&rc))
		m_browser.MoveWindow(0, 0, rc.right - rc.left, rc.bottom - rc.top);
}

BOOL CAppendDlg::OnEraseBkgnd(HDC hDC)
{
	RECT rcClient;
	GetClientRect(&rcClient);
	FillOffScreen(hDC, rcClient, static_cast<HBRUSH>(::GetStockObject(BLACK_BRUSH)));
	return TRUE;
}

LRESULT CAppendDlg::OnClose(WPARAM, LPARAM)
{
	RequestClose();
	return 0;
}

void CAppendDlg::RequestClose()
{
	if (m_fnCloseRequest)
		m_fnCloseRequest();
	else
		ShowWindow(SW_HIDE);
}

void CAppendDlg::OnBeforeNavigate2(IDispatch*, VARIANT*, VARIANT*, VARIANT*, VARIANT*, VARIANT*, VARIANT_BOOL*)
{
	// Every navigation goes ahead.
}

void CAppendDlg::OnNavigateComplete2(IDispatch*, VARIANT*)
{
	if (!m_bAwaitingFirstPage)
		return;
	m_bAwaitingFirstPage = 0;
	FitBrowser();
}
