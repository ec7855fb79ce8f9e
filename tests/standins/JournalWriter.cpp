#include "standins/JournalWriter.h"

#include "framework/Handle.h"
#include "framework/OleControl.h"
#include "framework/WideText.h"
#include "standins/StandinIds.h"

#include <string>

namespace
{
std::string Escape(const CString& str)
{
	std::string strOut;
	for (char ch : str.Str())
	{
		switch (ch)
		{
		case '\\': strOut += "\\\\"; break;
		case '\t': strOut += "\\t"; break;
		case '\n': strOut += "\\n"; break;
		case '\r': strOut += "\\r"; break;
		default: strOut += ch; break;
		}
	}
	return strOut;
}

std::string Render(const VARIANT& var)
{
	const VARIANT* pVar = var.vt == (VT_BYREF | VT_VARIANT) ? var.pvarVal : &var;
	if (!pVar)
		return "null";
	switch (pVar->vt)
	{
	case VT_BSTR: return Escape(AfxBstrToString(pVar->bstrVal));
	case VT_I2: return std::to_string(pVar->iVal);
	case VT_I4: return std::to_string(pVar->lVal);
	case VT_UI2: return std::to_string(pVar->uiVal);
	case VT_UI4: return std::to_string(pVar->ulVal);
	case VT_BOOL: return pVar->boolVal ? "true" : "false";
	case VT_EMPTY: return "";
	default: return "vt" + std::to_string(pVar->vt);
	}
}
}

void AppendJournal(const char* pszControl, DISPID dispid, const char* pszKind, const DISPPARAMS* pParams)
{
	WCHAR szPath[MAX_PATH * 2];
	DWORD nLength = ::GetEnvironmentVariableW(ToWide(standins::kEnvJournal).c_str(), szPath, ARRAYSIZE(szPath));
	if (nLength == 0 || nLength >= ARRAYSIZE(szPath))
		return;

	std::string strLine = std::string(pszControl) + "\t" + std::to_string(dispid) + "\t" + pszKind;
	for (UINT i = pParams ? pParams->cArgs : 0; i > 0; --i)
		strLine += "\t" + Render(pParams->rgvarg[i - 1]);
	strLine += "\n";

	// Opened for each line, so that every line is on disk when the call returns; appends from other
	// processes go to the end as well.
	CFileHandle hFile(::CreateFileW(szPath, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
		nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
	if (!hFile)
		return;
	DWORD nWritten = 0;
	::WriteFile(hFile.Get(), strLine.data(), static_cast<DWORD>(strLine.size()), &nWritten, nullptr);
}
