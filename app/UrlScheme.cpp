// Registration of the "tarntvstream" and "wenlive2" schemes in the classes root.
#include "app/QuiloPlayerApp.h"

#include "framework/WideText.h"

#include <cwchar>
#include <string>

namespace
{
const REGSAM kKeyAccess = KEY_READ | KEY_CREATE_SUB_KEY | KEY_SET_VALUE;

CRegKey CreateKey(HKEY hParent, const std::wstring& strPath)
{
	CRegKey key;
	if (::RegCreateKeyExW(hParent, strPath.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, kKeyAccess, nullptr, &key,
		nullptr) != ERROR_SUCCESS)
		key.Reset();
	return key;
}

void SetStringValue(const CRegKey& key, const wchar_t* pszName, const std::wstring& strData)
{
	::RegSetValueExW(key.Get(), pszName, 0, REG_SZ, reinterpret_cast<const BYTE*>(strData.c_str()),
		static_cast<DWORD>((strData.size() + 1) * sizeof(wchar_t)));
}

// The default value, at most cchBuffer - 1 characters; empty when it is missing, longer or not a string.
std::wstring ReadDefaultValue(const CRegKey& key, DWORD cchBuffer)
{
	std::wstring str(cchBuffer, L'\0');
	DWORD dwType = 0;
	DWORD cb = cchBuffer * sizeof(wchar_t);
	LONG nResult = ::RegQueryValueExW(key.Get(), nullptr, nullptr, &dwType, reinterpret_cast<BYTE*>(&str[0]), &cb);
	// A stored string need not end with a NUL: keep only what was read, then cut at the NUL if there is one.
	str.resize(nResult == ERROR_SUCCESS && dwType == REG_SZ ? cb / sizeof(wchar_t) : 0);
	str.resize(wcsnlen(str.c_str(), str.size()));
	return str;
}

std::wstring DoublePercents(const std::wstring& strPath)
{
	std::wstring strResult;
	for (wchar_t ch : strPath)
	{
		strResult += ch;
		if (ch == L'%')
			strResult += L'%';
	}
	return strResult;
}

// A key's names from the enumeration stay UTF-16: one 936 cannot spell is still deleted.
LONG DeleteWideKeyTree(HKEY hParent, const wchar_t* pszName)
{
	CRegKey key;
	LONG nResult = ::RegOpenKeyExW(hParent, pszName, 0, kKeyAccess, &key);
	if (nResult != ERROR_SUCCESS)
		return nResult;
	for (;;)
	{
		wchar_t szSubKey[257] = {};
		DWORD cchSubKey = ARRAYSIZE(szSubKey);
		if (::RegEnumKeyExW(key.Get(), 0, szSubKey, &cchSubKey, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
			break;
		nResult = DeleteWideKeyTree(key.Get(), szSubKey);
		if (nResult != ERROR_SUCCESS)
			return nResult;
	}
	key.Reset();
	return ::RegDeleteKeyW(hParent, pszName);
}
}

void CQuiloPlayerApp::RegisterUrlScheme(const char* pszScheme)
{
	const std::wstring strScheme = ToWide(pszScheme);
	CRegKey keyCommand = CreateKey(HKEY_CLASSES_ROOT, strScheme + L"\\shell\\open\\command");
	if (!keyCommand)
		return;
	std::wstring strCurrent = ReadDefaultValue(keyCommand, 499);

	// The real path, not a short or 936 form: the shell starts the program by it.
	wchar_t szProgram[489] = {};
	DWORD cchProgram = ::GetModuleFileNameW(nullptr, szProgram, ARRAYSIZE(szProgram));
	if (cchProgram >= ARRAYSIZE(szProgram))
		szProgram[ARRAYSIZE(szProgram) - 1] = L'\0';
	// The shell expands "%1" in the command, so a "%" of the path itself must be doubled.
	std::wstring strCommand = L"\"" + DoublePercents(szProgram) + L"\" \"%1\"";

	if (::lstrcmpiW(strCurrent.c_str(), strCommand.c_str()) != 0)
	{
		SetStringValue(keyCommand, nullptr, strCommand);

		if (CRegKey keyIcon = CreateKey(HKEY_CLASSES_ROOT, strScheme + L"\\DefaultIcon"))
			SetStringValue(keyIcon, nullptr, szProgram);

		if (CRegKey keyScheme = CreateKey(HKEY_CLASSES_ROOT, strScheme))
		{
			SetStringValue(keyScheme, nullptr, L"URL: " + strScheme + L" Protocol");
			SetStringValue(keyScheme, L"URL Protocol", L"");
		}
	}
	if (CRegKey keyOpen = CreateKey(HKEY_CLASSES_ROOT, strScheme + L"\\shell\\open"))
	{
		// Left behind by other installers, a DDE verb would make the shell talk to the player instead of starting it.
		DeleteKeyTree(keyOpen.Get(), "ddexec");
		DeleteKeyTree(keyOpen.Get(), "ddeexec");
	}
}

LONG CQuiloPlayerApp::DeleteKeyTree(HKEY hParent, const char* pszName)
{
	return DeleteWideKeyTree(hParent, ToWide(pszName).c_str());
}
