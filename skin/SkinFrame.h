// CSkinFrame: draws a window's frame from the images of a skin description file instead of the
// system's: caption strip, left, right and bottom borders, caption buttons (close, minimise,
// maximise/restore, stay on top, menu), the small icon and the caption text. It hooks the window's
// messages, answers the non-client ones itself, keeps its own maximised and minimised state and passes
// everything else on.
//   skin/SkinLoader.cpp   the description file and its images
//   skin/SkinPaint.cpp    edges, caption strip, buttons, the window shape
//   skin/SkinFrame.cpp    messages, hit testing, window states, system menu
//   skin/SkinScale.cpp    the window's display scale: images drawn for it or enlarged to it
//   skin/SkinTitleBarAccessible.cpp   the caption and its buttons to screen readers (MSAA)
// The description's figures are 96-DPI ones; the frame keeps them, and its images, scaled to the
// window's DPI, so that painting, hit testing and the window shape all read device pixels.
#pragma once

#include "framework/Gdi.h"
#include "framework/String.h"
#include "skin/SkinTitleBarAccessible.h"
#include "ui/DpiScale.h"
#include "ui/SubclassWnd.h"

#include <functional>

class CProfileFile;

// Hit codes of the frame's own buttons, beside the platform's.
enum
{
	HT_SKIN_TOPMOST = 7777,
	HT_SKIN_MENU = 7778,
};

// What a caption button does: the "Action" key of a "Button%d" section.
enum SkinButtonAction
{
	SKIN_ACTION_CLOSE = 0,
	SKIN_ACTION_MAXIMIZE = 1,
	SKIN_ACTION_MINIMIZE = 2,
	SKIN_ACTION_NONE = 3,
	SKIN_ACTION_TOPMOST = 4,
	SKIN_ACTION_MENU = 5,
};

// The seven button images of a skin.
enum SkinButtonSlot
{
	SKIN_SLOT_MINIMIZE,
	SKIN_SLOT_MAXIMIZE,
	SKIN_SLOT_CLOSE,
	SKIN_SLOT_RESTORE,
	SKIN_SLOT_TOPMOST,
	SKIN_SLOT_PINNED,
	SKIN_SLOT_MENU,
	SKIN_SLOT_COUNT,
};

enum SkinWindowState
{
	SKIN_STATE_NORMAL = 0,
	SKIN_STATE_MAXIMIZED = 1,
	SKIN_STATE_MINIMIZED = 2,
};

class CSkinFrame : public CSubclassWnd
{
public:
	CSkinFrame();
	~CSkinFrame() override;

	// While one lives, on the thread that made it, each skin description and image the frames load is read
	// (and decoded) once, images once at each scale: a frame loading what another frame loaded (the player and
	// its panel wear the same borders and close button) takes a copy of that first reading. The player's start
	// reads its skin on a thread of its own and hands the share over to the window thread.
	class CImageShare
	{
	public:
		CImageShare();
		~CImageShare();
		CImageShare(const CImageShare&) = delete;
		CImageShare& operator=(const CImageShare&) = delete;

		// What this share holds goes to thread dwThread, whose next share takes it over; this thread's loads
		// share no more. The receiving thread makes that share only once this thread is done with its loads.
		void HandOver(DWORD dwThread);

	private:
		bool m_bActive = false;
	};

// Operations
	// Reads a skin description file and its images; may be called again to change the skin, which shows
	// when the owner next makes the window recalculate its frame.
	BOOL LoadSkinFile(const char* pszPath);
	// Hooks the window (once) and takes its caption away; fails while no description is loaded.
	BOOL InstallSkin(CWnd* pWnd, BOOL bShowIcon, BOOL bShowSystemMenu);
	// What each owner does with its skin: loads the description, attaches the frame while bFirstSkin is set
	// (clearing it once attached; a frame that cannot attach yet attaches with the next skin that loads),
	// and makes the window take its frame afresh. FALSE when the description did not load.
	BOOL ApplyTo(CWnd* pWnd, const char* pszPath, BOOL bShowIcon, BOOL bShowSystemMenu, int& bFirstSkin);
	// Called with the screen point where the menu button was released.
	// Takes the window's new DPI: the description is read again at that scale. FALSE when unchanged.
	BOOL SetDpi(UINT nDpi);
	void SetMenuButtonHandler(std::function<void(int x, int y)> fnHandler) { m_fnMenuButton = std::move(fnHandler); }

// Attributes
	BOOL IsLoaded() const { return m_bLoaded; }
	const CDpiScale& GetScale() const { return m_dpi; }
	// Colours the description keeps for the owners' own drawing.
	COLORREF GetBarColor() const { return m_crBar; }
	COLORREF GetMenuColor() const { return m_crMenu; }
	COLORREF GetButtonFaceColor() const { return m_crButtonFace; }
	COLORREF GetButtonTextColor() const { return m_crButtonText; }
	COLORREF GetButtonHilightColor() const { return m_crButtonHilight; }
	COLORREF GetButtonFocusColor() const { return m_crButtonFocus; }

// Description file helpers (skin/SkinLoader.cpp)
	// "R G B" in decimal, one blank between; the default for a missing key or an empty value.
	static COLORREF ReadSkinColour(const char* pszSection, const char* pszKey, const CProfileFile& profile,
		COLORREF crDefault);
	// Loads an image file into an empty slot as a screen bitmap filled first with crBack (CLR_INVALID: no fill).
	static BOOL LoadPictureFile(CBitmap& bmpSlot, const char* pszPath, COLORREF crBack);
	// Everything up to and including the last backslash or slash.
	static CString SplitFolder(const CString& strPath);
	// Everything after the last backslash or slash; without bKeepExtension cut at its first ".".
	static CString SplitFileName(const CString& strPath, BOOL bKeepExtension);
	// Copies the text up to the first separator (null: space, tab, newline) into strToken, keeping a
	// two-byte character whole, trims blanks off both ends, and returns where the next token starts.
	static const char* NextToken(const char* pszText, CString& strToken, const char* pszSeparators = nullptr);

// Scaled images (skin/SkinScale.cpp); nCols x nRows equal cells (state pictures, active and inactive
// halves) are each scaled alone, so that the cells stay equal.
	static SIZE ScaledImageSize(SIZE size, int nCols, int nRows, const CDpiScale& scale);
	// The image enlarged by nearest neighbour, never smoothed; null when too large or unreadable.
	static CBitmap EnlargeImage(HBITMAP hImage, int nCols, int nRows, const CDpiScale& scale);

// Screen readers (skin/SkinTitleBarAccessible.cpp)
	// The caption and its buttons as readers are told them; FALSE while the frame draws no skin.
	BOOL DescribeCaption(SkinCaption& caption) const;
	// The hit code of a screen point, as WM_NCHITTEST answers it.
	int HitTestScreen(POINT pt) const { return HitTest(pt.x, pt.y); }
	// Does what a click on the caption button does, once the messages queued before are handled; FALSE
	// when the caption shows no such button.
	BOOL PressCaptionButton(int nHitCode);
	// Every attachment or detachment (the window's destruction included) cuts the readers' object off.
	BOOL AttachToHandle(HWND hWnd) override;

// Painting helpers (skin/SkinPaint.cpp)
	// One-pixel-high rectangles of every run of pixels that differ from the key (8, 16, 24, 32 bits);
	// the pixels are read through hDC, or a DC of its own when null.
	static CRgn RegionFromColourKey(HBITMAP hBitmap, COLORREF crKey, HDC hDC = nullptr);
	// Copies a part of the image selected into hSource; transparent: the key colour's pixels are left out,
	// drawn through the two scratch DCs when given (or DCs of its own).
	static void DrawImagePart(HDC hSource, HDC hDC, int x, int y, const RECT& rcSource, COLORREF crKey,
		BOOL bTransparent, HDC hMaskDC = nullptr, HDC hCopyDC = nullptr);

protected:
	// The small icon's top edge, below the window's top edge, and its size (96-DPI figures).
	static constexpr int kIconTop = 5;
	static constexpr int kIconSize = 16;

	LRESULT OnMessage(UINT uMsg, WPARAM wParam, LPARAM lParam) override;

	int HitTest(int x, int y) const;
	// The button of an action relative to the window's top-left corner; empty when the skin has none.
	RECT GetButtonRect(int nAction) const;
	void PaintFrame();
	// The window shape: the caption strip less its key-coloured pixels, and everything below it.
	CRgn BuildCaptionRegion(int nWidth, int nHeight) const;
	// The caption strip of a window nWidth wide, active halves, no buttons, icon or text.
	CBitmap PaintActiveStrip(HDC hDC, int nWidth) const;
	void DrawCaptionButton(HDC hDC, HDC hSource, int nAction, int nState, HDC hMaskDC, HDC hCopyDC) const;
	void ShowSystemMenu(int x, int y);
	void MaximizeToWorkArea();
	void RestoreFromMaximized();
	void SetTopmost(BOOL bTopmost);

	// Each painter tiles its image (already selected into hSource) along the edge: first cap, middle
	// tiles, last cap.
	void DrawTopEdge(HDC hDC, HDC hSource, int x, int y, int nLength, BOOL bInactive) const;
	void DrawLeftEdge(HDC hDC, HDC hSource, int x, int y, int nLength, BOOL bInactive) const;
	void DrawRightEdge(HDC hDC, HDC hSource, int x, int y, int nLength, BOOL bInactive) const;
	void DrawBottomEdge(HDC hDC, HDC hSource, int x, int y, int nLength, BOOL bInactive) const;

	CString m_strTitle;
	CString m_strPath;
	CDpiScale m_dpi{CDpiScale::GetWindowDpi(nullptr)};
	CBitmap m_bmpTop;
	CBitmap m_bmpLeft;
	CBitmap m_bmpRight;
	CBitmap m_bmpBottom;
	CBitmap m_bmpDialog;
	int m_nLastHoverCode = 0;
	int m_nHoverCode = 0;
	int m_nPressedCode = 0;
	int m_nTopCapLeft = 0;
	int m_nTopCapRightStart = 0;
	int m_nLeftCapTop = 0;
	int m_nLeftCapBottomStart = 0;
	int m_nRightCapTop = 0;
	int m_nRightCapBottomStart = 0;
	int m_nBottomCapLeft = 0;
	int m_nBottomCapRightStart = 0;
	CBitmap m_bmpButtons[SKIN_SLOT_COUNT];
	RECT m_rcButtons[SKIN_SLOT_COUNT] = {};
	RECT m_rcRestore = {};
	int m_nWindowState = SKIN_STATE_NORMAL;
	int m_nStateBeforeMinimize = SKIN_STATE_NORMAL;
	BOOL m_bTopmost = FALSE;
	BOOL m_bHadThickFrame = FALSE;
	BOOL m_bHadMinimizeBox = FALSE;
	BOOL m_bHadMaximizeBox = FALSE;
	int m_nCaptionHeight = 0;
	int m_nLeftWidth = 0;
	int m_nRightWidth = 0;
	int m_nBottomHeight = 0;
	int m_nTextShift = 0;
	int m_nTextShiftVert = 0;
	COLORREF m_crTitle = 0;
	COLORREF m_crInactiveTitle = 0;
	COLORREF m_crTrans = 0;
	COLORREF m_crBar = 0;
	COLORREF m_crMenu = 0;
	COLORREF m_crButtonFace = 0;
	COLORREF m_crButtonText = 0;
	COLORREF m_crButtonHilight = 0;
	COLORREF m_crButtonFocus = 0;
	BOOL m_bUsesTran = FALSE;
	BOOL m_bLoaded = FALSE;
	BOOL m_bActive = FALSE;
	BOOL m_bShowIcon = TRUE;
	BOOL m_bShowSystemMenu = FALSE;
	// State pictures side by side in every button image.
	int m_nButtonImgCount = 3;
	BOOL m_bTrackingLeave = FALSE;
	// The caption style bits that InstallSkin took from the window.
	LONG_PTR m_nCaptionStyle = 0;

private:
	BOOL ReadDescription(const char* pszPath);
	// An attached window without a loaded skin gets back the caption the frame took, and loses the shape,
	// so that it keeps an ordinary frame; with a skin loaded the caption goes again.
	void FitCaptionStyle();
	void ReleaseImages();
	BOOL LoadSkinImage(CBitmap& bmpSlot, const CString& strFolder, const CString& strValue);
	// The image at the window's scale: drawn for it in the skin's percentage folder, or enlarged; a copy of
	// the one loaded before while a CImageShare lives.
	BOOL LoadImageForScale(CBitmap& bmpSlot, const CString& strFolder, const CString& strValue, int nCols, int nRows);
	// The same, read from the files (skin/SkinScale.cpp).
	BOOL ReadImageForScale(CBitmap& bmpSlot, const CString& strFolder, const CString& strValue, int nCols, int nRows);
	// The screen's device context that the images decoded while a CImageShare lives on this thread share; null
	// when none lives.
	static HDC SharedScreenDC();
	// Reads a description file (refused when larger than its bound), or takes the share's reading of it.
	static BOOL LoadDescription(const CString& strPath, CProfileFile& profile);
	// At attachment: the window's own DPI, and the dialog manager kept from re-laying it out.
	void AdoptWindowScale(HWND hWnd);
	// The new scale and the rectangle the system suggests; then the owner lays out its own contents.
	LRESULT OnDpiChanged(WPARAM wParam, LPARAM lParam);
	void StoreButtonRect(int nSlot, int nXCoord, int nYCoord);
	void PaintEdges(HDC hSource, HDC hStrip, HDC hWindow, int nWidth, int nHeight, BOOL bInactive) const;
	void DrawIconAndTitle(HDC hStrip, int nWidth);
	BOOL HandleSystemMenuCommand(WPARAM wParam, LPARAM lParam);
	void RestoreFromMinimized();
	void ToggleMaximized();
	// The slot of a button with one image (close, minimise, menu); -1 for the others.
	static int FixedSlotOf(int nAction);
	// The image a button shows now; null when it has none.
	HBITMAP GetButtonImage(int nAction) const;
	BOOL IsButtonShown(int nAction) const;
	int GetButtonState(int nHitCode) const;

	std::function<void(int, int)> m_fnMenuButton;
	CSkinCaptionAccess m_access;
};
