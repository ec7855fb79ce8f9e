// Reads of classic sectioned settings files ("[section]" headers, "key=value" lines) through the
// platform's private-profile calls.
#pragma once

#include "framework/String.h"

// The text of a key, at most nMaxLength bytes; the default when the key is missing.
inline CString AfxGetPrivateProfileString(const char* pszSection, const char* pszKey, const char* pszDefault,
	const char* pszFile, int nMaxLength = 1000)
{
	CString str;
	::GetPrivateProfileStringA(pszSection, pszKey, pszDefault, str.GetBuffer(nMaxLength), nMaxLength + 1, pszFile);
	str.ReleaseBuffer();
	return str;
}

// The integer of a key as the platform reads it; the default when the key is missing.
inline int AfxGetPrivateProfileInt(const char* pszSection, const char* pszKey, int nDefault, const char* pszFile)
{
	return static_cast<int>(::GetPrivateProfileIntA(pszSection, pszKey, nDefault, pszFile));
}
