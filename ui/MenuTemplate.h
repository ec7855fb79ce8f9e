// Reader of the system's standard menu resource template: a header (version 0, offset to the items),
// then items of 16-bit flags, a 16-bit command for items that are not pop-ups, and zero-terminated
// UTF-16 text; a pop-up's items follow it, and the end flag closes a level. Plain C++, so that it builds
// natively for fuzzing.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

const uint16_t kMenuTemplatePopup = 0x0010;
const uint16_t kMenuTemplateEnd = 0x0080;
// Deeper nesting is refused: no menu of a program goes near it.
const int kMaxMenuTemplateDepth = 16;

struct MenuTemplateItem
{
	uint16_t nFlags = 0;
	// 0 for pop-ups, which have none.
	uint16_t nCommand = 0;
	std::u16string strText;
	// 0 for the items of the top level, 1 for those of its pop-ups, and so on.
	int nDepth = 0;
};

// Reads a whole template of cbData bytes; false (items emptied) when it is truncated or malformed: an
// unknown version, items or text running past the end, a level that is never closed, or nesting deeper
// than kMaxMenuTemplateDepth. Bytes after the closed top level are not read. pcbUsed, when given, gets
// the number of bytes the template took.
bool ParseMenuTemplate(const void* pData, size_t cbData, std::vector<MenuTemplateItem>& items,
	size_t* pcbUsed = nullptr);
