// Registration of the "tarntvstream" and "wenlive2" schemes in the classes root.
#include "app/QuiloPlayerApp.h"

#include <cstdio>

namespace
{
const REGSAM kKeyAccess = KEY_READ | KEY_CREATE_SUB_KEY | KEY_SET_VALUE;

CRegKey CreateKey(HKEY hParent, const char* pszPath)
{
	CRegKey key;
	if (::RegCreateKeyExA(hParent, pszPath, 0, nullptr, REG_OPTION_NON_VOLATILE, kKeyAccess, nullptr, &key, nullptr)
		!= ERROR_SUCCESS)
		key.Reset();
	return key;
}

void SetStringValue(const CRegKey& key, const char* pszName, const char* pszData)
{
	::RegSetValueExA(key.Get(), pszName, 0, REG_SZ, reinterpret_cast<const BYTE*>(pszData),
		static_cast<DWORD>(strlen(pszData) + 1));
}

// The default value, at most cbBuffer - 1 bytes; empty when it is missing, longer or not a string.
CString ReadDefaultValue(const CRegKey& key, DWORD cbBuffer)
{
	CString str;
	char* pBuffer = str.GetBuffer(static_cast<int>(cbBuffer));
	DWORD dwType = 0;
	DWORD cb = cbBuffer;
	LONG nResult = ::RegQueryValueExA(key.Get(), nullptr, nullptr, &dwType, reinterpret_cast<BYTE*>(pBuffer), &cb);
	// A stored string need not end with a NUL: keep only the bytes read, then cut at the NUL if there is one.
	str.ReleaseBuffer(nResult == ERROR_SUCCESS && dwType == REG_SZ ? static_cast<int>(cb) : 0);
	str.ReleaseBuffer();
	return str;
}

CString DoublePercents(const CString& strPath)
{
	CString strResult;
	for (int i = 0; i < strPath.GetLength(); ++i)
	{
		strResult += strPath.GetAt(i);
		if (strPath.GetAt(i) == '%')
			strResult += '%';
	}
	return strResult;
}
}

void CQuiloPlayerApp::RegisterUrlScheme(const char* pszScheme)
{
	CString strPath;
	strPath.Format("%s\\shell\\open\\command", pszScheme);
	CRegKey keyCommand = CreateKey(HKEY_CLASSES_ROOT, strPath);
	if (!keyCommand)
		return;
	CString strCurrent = ReadDefaultValue(keyCommand, 499);

	char szProgram[489] = {};
	DWORD cchProgram = ::GetModuleFileNameA(nullptr, szProgram, sizeof(szProgram));
	if (cchProgram >= sizeof(szProgram))
		szProgram[sizeof(szProgram) - 1] = '\0';
	// The shell expands "%1" in the command, so a "%" of the path itself must be doubled.
	char szCommand[519] = {};
	snprintf(szCommand, sizeof(szCommand), "\"%s\" \"%%1\"", DoublePercents(szProgram).GetString());

	if (CompareNoCaseMbcs(strCurrent, szCommand) != 0)
	{
		SetStringValue(keyCommand, nullptr, szCommand);

		strPath.Format("%s\\DefaultIcon", pszScheme);
		if (CRegKey keyIcon = CreateKey(HKEY_CLASSES_ROOT, strPath))
			SetStringValue(keyIcon, nullptr, szProgram);

		if (CRegKey keyScheme = CreateKey(HKEY_CLASSES_ROOT, pszScheme))
		{
			CString strName;
			strName.Format("URL: %s Protocol", pszScheme);
			SetStringValue(keyScheme, nullptr, strName);
			SetStringValue(keyScheme, "URL Protocol", "");
		}
	}
	strPath.Format("%s\\shell\\open", pszScheme);
	if (CRegKey keyOpen = CreateKey(HKEY_CLASSES_ROOT, strPath))
	{
		// Left behind by other installers, a DDE verb would make the shell talk to the player instead of starting it.
		DeleteKeyTree(keyOpen.Get(), "ddexec");
		DeleteKeyTree(keyOpen.Get(), "ddeexec");
	}
}

LONG CQuiloPlayerApp::DeleteKeyTree(HKEY hParent, const char* pszName)
{
	CRegKey key;
	LONG nResult = ::RegOpenKeyExA(hParent, pszName, 0, kKeyAccess, &key);
	if (nResult != ERROR_SUCCESS)
		return nResult;
	for (;;)
	{
		char szSubKey[257] = {};
		DWORD cchSubKey = sizeof(szSubKey);
		if (::RegEnumKeyExA(key.Get(), 0, szSubKey, &cchSubKey, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
			break;
		nResult = DeleteKeyTree(key.Get(), szSubKey);
		if (nResult != ERROR_SUCCESS)
			return nResult;
	}
	key.Reset();
	return ::RegDeleteKeyA(hParent, pszName);
}
