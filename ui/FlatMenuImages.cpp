// Item images of CFlatMenu: from toolbar resources into the process-wide shared image list, by command.
#include "ui/FlatMenu.h"

#include "framework/Gdi.h"
#include "framework/WinApp.h"
#include "ui/BitmapTools.h"

#include <algorithm>

namespace
{
// The toolbar resource type: version, image width and height, item count, then the items' commands (0
// for a separator, which has no image).
const LPCWSTR kToolbarType = MAKEINTRESOURCEW(241);

struct SharedImages
{
	CImageList list;
	// The command of each image of the list, in order.
	std::vector<UINT_PTR> commands;
};

SharedImages& Shared()
{
	static SharedImages s_images;
	return s_images;
}

// The position of the command's image in the toolbar's bitmap; -1 when the toolbar has none.
int ToolbarImageIndex(HINSTANCE hInstance, UINT nToolbarID, UINT_PTR nCommand)
{
	HRSRC hResource = ::FindResourceW(hInstance, MAKEINTRESOURCEW(nToolbarID), kToolbarType);
	HGLOBAL hData = hResource ? ::LoadResource(hInstance, hResource) : nullptr;
	const WORD* pWords = hData ? static_cast<const WORD*>(::LockResource(hData)) : nullptr;
	DWORD nWords = hResource ? ::SizeofResource(hInstance, hResource) / sizeof(WORD) : 0;
	if (!pWords || nWords < 4)
		return -1;
	DWORD nItems = std::min<DWORD>(pWords[3], nWords - 4);
	int nImage = 0;
	for (DWORD i = 0; i < nItems; ++i)
	{
		WORD nItem = pWords[4 + i];
		if (nItem == 0)
			continue;
		if (nItem == nCommand)
			return nImage;
		++nImage;
	}
	return -1;
}

// Adds the faded copy (every pixel but the background blended 0.3) and the shadow copy (every such pixel
// in the shadow colour) of image nIndex to the list, drawn on the button face.
void AddRaisedCopies(HIMAGELIST hList, int nIndex, SIZE size, bool bXpLook)
{
	const COLORREF crFace = ::GetSysColor(COLOR_BTNFACE);
	CClientDC dcScreen(nullptr);
	CBitmap bmpImage(::CreateCompatibleBitmap(dcScreen, size.cx, size.cy));
	{
		CCompatibleDC dc(dcScreen);
		CSelectObject selImage(dc, bmpImage);
		CBrush brush(::CreateSolidBrush(crFace));
		RECT rc = {0, 0, size.cx, size.cy};
		::FillRect(dc, &rc, brush);
		::ImageList_Draw(hList, nIndex, dc, 0, 0, ILD_TRANSPARENT);
	}
	SIZE sizeRead;
	std::vector<DWORD> pixels;
	if (!ReadPixels(bmpImage, sizeRead, pixels))
		return;
	const DWORD dwFace = PixelOf(crFace);
	COLORREF crShadow = ::GetSysColor(COLOR_BTNSHADOW);
	const DWORD dwShadow = PixelOf(bXpLook ? crShadow : BlendTowardWhite(crShadow, 0.49));
	std::vector<DWORD> faded = pixels;
	std::vector<DWORD> shadow = pixels;
	for (size_t i = 0; i < pixels.size(); ++i)
	{
		if (pixels[i] == dwFace)
			continue;
		COLORREF cr = RGB((pixels[i] >> 16) & 0xFF, (pixels[i] >> 8) & 0xFF, pixels[i] & 0xFF);
		faded[i] = PixelOf(BlendTowardWhite(cr, 0.3));
		shadow[i] = dwShadow;
	}
	for (const std::vector<DWORD>* pVariant : {&faded, &shadow})
	{
		CBitmap bmpVariant(BitmapFromPixels(*pVariant, sizeRead));
		::ImageList_AddMasked(hList, bmpVariant, crFace);
	}
}
}

void CFlatMenu::SetItemImage(OwnerMenuItem& item, int nToolbarID)
{
	HINSTANCE hInstance = AfxGetResourceHandle();
	int nIndex = ToolbarImageIndex(hInstance, static_cast<UINT>(nToolbarID), item.m_nCommand);
	if (nIndex < 0)
		return;
	CImageList images;
	if (!images.Create(m_nImageWidth, m_nImageHeight, ILC_COLOR24 | ILC_MASK, 1, 1))
		return;
	if (m_bImagesAreIcons)
	{
		HICON hIcon = static_cast<HICON>(::LoadImageW(hInstance, MAKEINTRESOURCEW(nToolbarID), IMAGE_ICON,
			m_nImageWidth, m_nImageHeight, 0));
		if (!hIcon)
			return;
		::ImageList_AddIcon(images, hIcon);
		::DestroyIcon(hIcon);
		nIndex = 0;
	}
	else
	{
		CBitmap bitmap(static_cast<HBITMAP>(::LoadImageW(hInstance, MAKEINTRESOURCEW(nToolbarID), IMAGE_BITMAP, 0, 0,
			LR_LOADMAP3DCOLORS)));
		if (bitmap.IsNull())
			return;
		::ImageList_AddMasked(images, bitmap, m_bUseMaskColor ? m_crMask : ::GetSysColor(COLOR_BTNFACE));
	}
	if (nIndex >= images.GetImageCount())
		return;

	std::vector<int> variants = {nIndex};
	MenuStyleChoice style = StyleInForce();
	if (style.bFlat && RaisedBitmaps)
	{
		int nBefore = images.GetImageCount();
		AddRaisedCopies(images, nIndex, SIZE{m_nImageWidth, m_nImageHeight}, style.bXpLook);
		if (images.GetImageCount() == nBefore + 2)
			variants = {nIndex, nBefore, nBefore + 1};
	}

	SharedImages& shared = Shared();
	if (shared.list.IsNull() && !shared.list.Create(m_nImageWidth, m_nImageHeight, ILC_COLOR24 | ILC_MASK, 1, 1))
		return;
	auto it = std::find(shared.commands.begin(), shared.commands.end(), item.m_nCommand);
	int nFirst = it != shared.commands.end() ? static_cast<int>(it - shared.commands.begin()) : -1;
	// A command already in the list keeps its place; its copies are replaced when they follow it.
	bool bCopiesInPlace = nFirst >= 0 && variants.size() == 3 && nFirst + 2 < static_cast<int>(shared.commands.size())
		&& shared.commands[nFirst + 1] == item.m_nCommand && shared.commands[nFirst + 2] == item.m_nCommand;
	if (nFirst >= 0 && !bCopiesInPlace)
		variants.resize(1);
	for (size_t i = 0; i < variants.size(); ++i)
	{
		HICON hIcon = ::ImageList_GetIcon(images, variants[i], ILD_NORMAL);
		if (!hIcon)
			break;
		int nPosition = nFirst >= 0 ? nFirst + static_cast<int>(i) : -1;
		int nAdded = ::ImageList_ReplaceIcon(shared.list, nPosition, hIcon);
		::DestroyIcon(hIcon);
		if (nFirst < 0 && nAdded >= 0)
			shared.commands.push_back(item.m_nCommand);
		if (i == 0)
			item.m_nSharedImageIndex = nFirst >= 0 ? nFirst : nAdded;
	}
}

CFlatMenu::ItemImage CFlatMenu::FindItemImage(const OwnerMenuItem& item) const
{
	ItemImage image;
	if (!item.m_ownImages.IsNull() && item.m_nOwnImageIndex >= 0)
	{
		image.hList = item.m_ownImages;
		image.nIndex = item.m_nOwnImageIndex;
		image.bRaised = item.m_nOwnImageIndex == 0 && item.m_ownImages.GetImageCount() > 2;
		return image;
	}
	const SharedImages& shared = Shared();
	int nIndex = item.m_nSharedImageIndex;
	if (nIndex < 0 || nIndex >= static_cast<int>(shared.commands.size()) || shared.list.IsNull())
		return image;
	image.hList = shared.list;
	image.nIndex = nIndex;
	image.bRaised = nIndex + 2 < static_cast<int>(shared.commands.size()) && shared.commands[nIndex + 1] == item.m_nCommand
		&& shared.commands[nIndex + 2] == item.m_nCommand;
	return image;
}

int CFlatMenu::FindSharedImage(UINT_PTR nCommand)
{
	const std::vector<UINT_PTR>& commands = Shared().commands;
	auto it = std::find(commands.begin(), commands.end(), nCommand);
	return it != commands.end() ? static_cast<int>(it - commands.begin()) : -1;
}
