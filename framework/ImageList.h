// CImageList: owns one image list of the common controls and destroys it.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <utility>

class CImageList
{
public:
	CImageList() = default;
	explicit CImageList(HIMAGELIST h) : m_h(h) {}
	CImageList(const CImageList&) = delete;
	CImageList& operator=(const CImageList&) = delete;
	CImageList(CImageList&& other) noexcept : m_h(std::exchange(other.m_h, nullptr)) {}
	CImageList& operator=(CImageList&& other) noexcept { Attach(other.Detach()); return *this; }
	~CImageList() { DeleteImageList(); }

	operator HIMAGELIST() const { return m_h; }
	bool IsNull() const { return m_h == nullptr; }
	int GetImageCount() const { return m_h ? ::ImageList_GetImageCount(m_h) : 0; }

	BOOL Create(int cx, int cy, UINT nFlags, int nInitial, int nGrow)
	{
		Attach(::ImageList_Create(cx, cy, nFlags, nInitial, nGrow));
		return m_h != nullptr;
	}
	void Attach(HIMAGELIST h) { DeleteImageList(); m_h = h; }
	HIMAGELIST Detach() { return std::exchange(m_h, nullptr); }
	void DeleteImageList()
	{
		if (m_h)
			::ImageList_Destroy(std::exchange(m_h, nullptr));
	}

private:
	HIMAGELIST m_h = nullptr;
};
