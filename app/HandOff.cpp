#include "app/HandOff.h"

#include "framework/WideText.h"

#include <cstdio>
#include <cwchar>

namespace
{
// One character: a UTF-16 unit, or a surrogate pair (an unpaired surrogate stands alone).
size_t CharLength(const wchar_t* psz, size_t nLength)
{
	return nLength >= 2 && psz[0] >= 0xD800 && psz[0] < 0xDC00 && psz[1] >= 0xDC00 && psz[1] < 0xE000 ? 2 : 1;
}

// The running player unescapes the whole text once before it plays it: the escapes are escaped once more, so
// that the character reaches the control percent-encoded as UTF-8, the form a URL gives it, instead of
// as UTF-8 bytes that code page 936 would read as other characters.
void AppendPercentUtf8(const wchar_t* pch, int nChars, std::string& strOut)
{
	char szUtf8[8] = {};
	int cb = ::WideCharToMultiByte(CP_UTF8, 0, pch, nChars, szUtf8, sizeof(szUtf8), nullptr, nullptr);
	// An unpaired surrogate has no UTF-8 form: U+FFFD's bytes stand for it.
	if (cb <= 0)
		cb = snprintf(szUtf8, sizeof(szUtf8), "\xEF\xBF\xBD");
	for (int i = 0; i < cb; ++i)
	{
		char szByte[8];
		snprintf(szByte, sizeof(szByte), "%%25%02X", static_cast<unsigned char>(szUtf8[i]));
		strOut += szByte;
	}
}
}

std::string HandOffText(const wchar_t* pszCommandLine)
{
	std::string strOut;
	if (!pszCommandLine || FromWideExact(pszCommandLine, strOut))
		return strOut;
	size_t nLength = wcslen(pszCommandLine);
	std::string strChar;
	for (size_t i = 0; i < nLength;)
	{
		int nChars = static_cast<int>(CharLength(pszCommandLine + i, nLength - i));
		if (FromWideExact(pszCommandLine + i, strChar, nChars))
			strOut += strChar;
		else
			AppendPercentUtf8(pszCommandLine + i, nChars, strOut);
		i += nChars;
	}
	return strOut;
}
