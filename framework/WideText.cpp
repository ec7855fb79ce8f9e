#include "framework/WideText.h"

std::wstring ToWide(const char* psz, int nLength)
{
	if (!psz || !nLength)
		return std::wstring();
	if (nLength < 0)
		nLength = static_cast<int>(strlen(psz));
	int nWide = ::MultiByteToWideChar(kProgramCodePage, 0, psz, nLength, nullptr, 0);
	std::wstring str(nWide > 0 ? nWide : 0, L'\0');
	if (nWide > 0)
		::MultiByteToWideChar(kProgramCodePage, 0, psz, nLength, &str[0], nWide);
	return str;
}

namespace
{
int Narrow(const wchar_t* psz, int nLength, std::string& strOut, BOOL* pbLost)
{
	DWORD dwFlags = pbLost ? WC_NO_BEST_FIT_CHARS : 0;
	int nBytes = ::WideCharToMultiByte(kProgramCodePage, dwFlags, psz, nLength, nullptr, 0, nullptr, pbLost);
	strOut.assign(nBytes > 0 ? nBytes : 0, '\0');
	if (nBytes > 0)
		::WideCharToMultiByte(kProgramCodePage, dwFlags, psz, nLength, &strOut[0], nBytes, nullptr, pbLost);
	return nBytes;
}
}

std::string FromWide(const wchar_t* psz, int nLength)
{
	std::string str;
	if (psz && nLength)
		Narrow(psz, nLength < 0 ? static_cast<int>(wcslen(psz)) : nLength, str, nullptr);
	return str;
}

bool FromWideExact(const wchar_t* psz, std::string& strOut, int nLength)
{
	strOut.clear();
	if (!psz || !nLength)
		return true;
	BOOL bLost = FALSE;
	Narrow(psz, nLength < 0 ? static_cast<int>(wcslen(psz)) : nLength, strOut, &bLost);
	if (bLost)
		strOut.clear();
	return !bLost;
}
