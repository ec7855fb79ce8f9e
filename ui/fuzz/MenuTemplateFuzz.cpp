// libFuzzer target: arbitrary bytes as a menu template. A template that is read must write back to
// exactly the bytes it took, and its levels must nest as the end flags say.
#include "ui/MenuTemplate.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace
{
void Check(bool bCondition)
{
	if (!bCondition)
		std::abort();
}

void PutWord(std::vector<uint8_t>& out, uint16_t n)
{
	out.push_back(static_cast<uint8_t>(n & 0xFF));
	out.push_back(static_cast<uint8_t>(n >> 8));
}
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* pData, size_t cbData)
{
	std::vector<MenuTemplateItem> items;
	size_t cbUsed = 0;
	if (!ParseMenuTemplate(pData, cbData, items, &cbUsed))
	{
		Check(items.empty());
		return 0;
	}
	Check(!items.empty() && cbUsed <= cbData);

	uint16_t cbHeader = static_cast<uint16_t>(pData[2] | (pData[3] << 8));
	std::vector<uint8_t> out(pData, pData + 4 + cbHeader);
	int nDepth = 0;
	for (const MenuTemplateItem& item : items)
	{
		Check(item.nDepth >= 0 && item.nDepth <= kMaxMenuTemplateDepth);
		Check(item.nDepth <= nDepth);
		PutWord(out, item.nFlags);
		if (!(item.nFlags & kMenuTemplatePopup))
			PutWord(out, item.nCommand);
		else
			Check(item.nCommand == 0);
		for (char16_t ch : item.strText)
		{
			Check(ch != 0);
			PutWord(out, ch);
		}
		PutWord(out, 0);
		nDepth = item.nFlags & kMenuTemplatePopup ? item.nDepth + 1 : item.nDepth;
	}
	Check(out.size() == cbUsed && std::memcmp(out.data(), pData, cbUsed) == 0);
	// Any shorter piece of a template is refused: the last level is never closed in it.
	Check(!ParseMenuTemplate(pData, cbUsed - 1, items));
	return 0;
}
