#include "framework/PrivateProfile.h"

#include "framework/Handle.h"
#include "framework/WideText.h"

namespace
{
const char kUtf8Bom[] = "\xEF\xBB\xBF";
const char kUtf16Bom[] = "\xFF\xFE";
const char kUtf16BeBom[] = "\xFE\xFF";

// UTF-16 units from bytes in either order; an odd last byte is dropped.
std::wstring DecodeUtf16(const std::string& strBytes, size_t nFrom, bool bBigEndian)
{
	std::wstring strWide((strBytes.size() - nFrom) / 2, L'\0');
	for (size_t i = 0; i < strWide.size(); ++i)
	{
		unsigned char chFirst = static_cast<unsigned char>(strBytes[nFrom + 2 * i]);
		unsigned char chSecond = static_cast<unsigned char>(strBytes[nFrom + 2 * i + 1]);
		strWide[i] = static_cast<wchar_t>(bBigEndian ? chFirst << 8 | chSecond : chSecond << 8 | chFirst);
	}
	return strWide;
}

// Text of code page 936 never holds a zero byte: a file without a mark whose zero bytes all fall on even or
// all on odd places (the high bytes of its ASCII characters) is UTF-16, in the order they say.
bool LooksLikeUnmarkedUtf16(const std::string& strBytes, bool& bBigEndian)
{
	size_t nZeros[2] = {};
	for (size_t i = 0; i < strBytes.size(); ++i)
		nZeros[i % 2] += strBytes[i] == '\0';
	bBigEndian = nZeros[0] > 0;
	return (nZeros[0] > 0) != (nZeros[1] > 0);
}

bool DecodeUtf8(const std::string& strBytes, std::wstring& strWide)
{
	int cch = strBytes.empty() ? 0 : ::MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, strBytes.data(),
		static_cast<int>(strBytes.size()), nullptr, 0);
	if (cch <= 0)
		return strBytes.empty();
	strWide.assign(cch, L'\0');
	::MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, strBytes.data(), static_cast<int>(strBytes.size()),
		&strWide[0], cch);
	return true;
}

std::string EncodeUtf8(const std::wstring& strWide)
{
	int cb = strWide.empty() ? 0 : ::WideCharToMultiByte(CP_UTF8, 0, strWide.data(),
		static_cast<int>(strWide.size()), nullptr, 0, nullptr, nullptr);
	std::string str(cb > 0 ? cb : 0, '\0');
	if (cb > 0)
		::WideCharToMultiByte(CP_UTF8, 0, strWide.data(), static_cast<int>(strWide.size()), &str[0], cb, nullptr,
			nullptr);
	return str;
}
}

BOOL CProfileFile::Load(const char* pszPath)
{
	m_strPath = pszPath ? pszPath : "";
	m_text = CProfileText();
	m_eEncoding = ENCODING_936;
	m_bMarked = TRUE;
	m_bWritable = TRUE;
	CFileHandle hFile(::CreateFileW(ToWide(m_strPath).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
		nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
	if (!hFile)
	{
		// Only a file that is not there reads as empty and may be written; one held by another program
		// (a scanner, a backup) is not empty, and writing its empty reading back would wipe it.
		DWORD dwError = ::GetLastError();
		m_bWritable = dwError == ERROR_FILE_NOT_FOUND || dwError == ERROR_PATH_NOT_FOUND;
		return m_bWritable;
	}
	LARGE_INTEGER liSize = {};
	if (!::GetFileSizeEx(hFile.Get(), &liSize) || liSize.QuadPart > static_cast<LONGLONG>(kMaxProfileBytes))
	{
		m_bWritable = FALSE;
		return FALSE;
	}
	std::string strBytes(static_cast<size_t>(liSize.QuadPart), '\0');
	DWORD cbRead = 0;
	if (!strBytes.empty() && (!::ReadFile(hFile.Get(), &strBytes[0], static_cast<DWORD>(strBytes.size()), &cbRead,
		nullptr) || cbRead != strBytes.size()))
	{
		m_bWritable = FALSE;
		return FALSE;
	}

	std::string strText;
	bool bBigEndian = strBytes.compare(0, 2, kUtf16BeBom) == 0;
	bool bUnmarked = !bBigEndian && strBytes.compare(0, 2, kUtf16Bom) != 0 && strBytes.compare(0, 3, kUtf8Bom) != 0
		&& LooksLikeUnmarkedUtf16(strBytes, bBigEndian);
	if (bBigEndian || bUnmarked || strBytes.compare(0, 2, kUtf16Bom) == 0)
	{
		m_eEncoding = bBigEndian ? ENCODING_UTF16BE : ENCODING_UTF16;
		m_bMarked = !bUnmarked;
		std::wstring strWide = DecodeUtf16(strBytes, bUnmarked ? 0 : 2, bBigEndian);
		m_bWritable = FromWideExact(strWide.data(), strText, static_cast<int>(strWide.size()))
			&& strBytes.size() % 2 == 0;
		if (!m_bWritable)
			strText = FromWide(strWide);
	}
	else if (strBytes.compare(0, 3, kUtf8Bom) == 0)
	{
		m_eEncoding = ENCODING_UTF8;
		std::wstring strWide;
		if (!DecodeUtf8(strBytes.substr(3), strWide))
		{
			m_bWritable = FALSE;
			return FALSE;
		}
		m_bWritable = FromWideExact(strWide.data(), strText, static_cast<int>(strWide.size()));
		if (!m_bWritable)
			strText = FromWide(strWide);
	}
	else
	{
		strText.swap(strBytes);
	}
	m_text = CProfileText(std::move(strText));
	return TRUE;
}

CString CProfileFile::GetString(const char* pszSection, const char* pszKey, const char* pszDefault,
	int nMaxLength) const
{
	std::string strValue;
	if (!m_text.Lookup(pszSection, pszKey, strValue))
		strValue = pszDefault ? pszDefault : "";
	if (nMaxLength >= 0 && strValue.size() > static_cast<size_t>(nMaxLength))
		strValue.resize(nMaxLength);
	return CString(strValue.c_str());
}

int CProfileFile::GetInt(const char* pszSection, const char* pszKey, int nDefault) const
{
	return m_text.GetInt(pszSection, pszKey, nDefault);
}

BOOL CProfileFile::WriteString(const char* pszSection, const char* pszKey, const char* pszValue)
{
	if (!m_bWritable || m_strPath.IsEmpty())
		return FALSE;
	CProfileText text = m_text;
	return text.SetString(pszSection, pszKey, pszValue ? pszValue : "") && SaveEdited(std::move(text));
}

BOOL CProfileFile::Remove(const char* pszSection, const char* pszKey)
{
	if (!m_bWritable || m_strPath.IsEmpty() || !pszSection)
		return FALSE;
	CProfileText text = m_text;
	if (!(pszKey ? text.RemoveKey(pszSection, pszKey) : text.RemoveSection(pszSection)))
		return TRUE;
	return SaveEdited(std::move(text));
}

BOOL CProfileFile::SaveEdited(CProfileText text)
{
	if (!Save(text.GetText()))
		return FALSE;
	m_text = std::move(text);
	return TRUE;
}

BOOL CProfileFile::Save(const std::string& strText) const
{
	std::string strBytes;
	if (m_eEncoding == ENCODING_936)
	{
		strBytes = strText;
	}
	else
	{
		std::wstring strWide = ToWide(strText);
		if (m_eEncoding == ENCODING_UTF8)
		{
			strBytes = kUtf8Bom + EncodeUtf8(strWide);
		}
		else
		{
			bool bBigEndian = m_eEncoding == ENCODING_UTF16BE;
			if (m_bMarked)
				strBytes.assign(bBigEndian ? kUtf16BeBom : kUtf16Bom, 2);
			for (wchar_t ch : strWide)
			{
				char bytes[2] = {static_cast<char>(ch & 0xFF), static_cast<char>(ch >> 8)};
				strBytes += bytes[bBigEndian];
				strBytes += bytes[!bBigEndian];
			}
		}
	}
	if (strBytes.size() > kMaxProfileBytes)
		return FALSE;
	std::wstring strTarget = ToWide(m_strPath);
	std::wstring strTemporary = strTarget + L".new";
	{
		CFileHandle hFile(::CreateFileW(strTemporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
			FILE_ATTRIBUTE_NORMAL, nullptr));
		DWORD cbWritten = 0;
		if (!hFile || (!strBytes.empty() && (!::WriteFile(hFile.Get(), strBytes.data(),
			static_cast<DWORD>(strBytes.size()), &cbWritten, nullptr) || cbWritten != strBytes.size()))
			|| !::FlushFileBuffers(hFile.Get()))
		{
			hFile = CFileHandle();
			::DeleteFileW(strTemporary.c_str());
			return FALSE;
		}
	}
	if (!::MoveFileExW(strTemporary.c_str(), strTarget.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
	{
		::DeleteFileW(strTemporary.c_str());
		return FALSE;
	}
	return TRUE;
}
