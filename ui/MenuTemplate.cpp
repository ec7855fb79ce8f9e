#include "ui/MenuTemplate.h"

namespace
{
class CWordReader
{
public:
	CWordReader(const unsigned char* pData, size_t cbData) : m_pData(pData), m_cbData(cbData) {}

	bool Read(uint16_t& nValue)
	{
		if (m_nPos > m_cbData || m_cbData - m_nPos < 2)
			return false;
		nValue = static_cast<uint16_t>(m_pData[m_nPos] | (m_pData[m_nPos + 1] << 8));
		m_nPos += 2;
		return true;
	}
	bool Skip(size_t cb)
	{
		if (cb > m_cbData - m_nPos)
			return false;
		m_nPos += cb;
		return true;
	}
	size_t Position() const { return m_nPos; }

private:
	const unsigned char* m_pData;
	size_t m_cbData;
	size_t m_nPos = 0;
};

bool ReadItems(CWordReader& reader, std::vector<MenuTemplateItem>& items)
{
	// For each open pop-up level: whether its pop-up item ended the level it stands in.
	std::vector<bool> popupEnds;
	for (;;)
	{
		MenuTemplateItem item;
		item.nDepth = static_cast<int>(popupEnds.size());
		if (!reader.Read(item.nFlags))
			return false;
		if (!(item.nFlags & kMenuTemplatePopup) && !reader.Read(item.nCommand))
			return false;
		for (uint16_t ch; ;)
		{
			if (!reader.Read(ch))
				return false;
			if (ch == 0)
				break;
			item.strText += static_cast<char16_t>(ch);
		}
		uint16_t nFlags = item.nFlags;
		items.push_back(std::move(item));

		if (nFlags & kMenuTemplatePopup)
		{
			if (static_cast<int>(popupEnds.size()) >= kMaxMenuTemplateDepth)
				return false;
			popupEnds.push_back((nFlags & kMenuTemplateEnd) != 0);
			continue;
		}
		if (!(nFlags & kMenuTemplateEnd))
			continue;
		// The end flag closes this level, and each enclosing one whose pop-up item was its last.
		for (;;)
		{
			if (popupEnds.empty())
				return true;
			bool bParentEnds = popupEnds.back();
			popupEnds.pop_back();
			if (!bParentEnds)
				break;
		}
	}
}
}

bool ParseMenuTemplate(const void* pData, size_t cbData, std::vector<MenuTemplateItem>& items, size_t* pcbUsed)
{
	items.clear();
	if (!pData)
		return false;
	CWordReader reader(static_cast<const unsigned char*>(pData), cbData);
	uint16_t nVersion = 0;
	uint16_t cbHeader = 0;
	if (!reader.Read(nVersion) || !reader.Read(cbHeader) || nVersion != 0 || !reader.Skip(cbHeader)
		|| !ReadItems(reader, items))
	{
		items.clear();
		return false;
	}
	if (pcbUsed)
		*pcbUsed = reader.Position();
	return true;
}
