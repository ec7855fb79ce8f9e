#include "framework/FileFind.h"

#include "framework/WideText.h"

BOOL CFileFind::FindFile(const char* pszPattern)
{
	Close();
	m_hFind = ::FindFirstFileW(ToWide(pszPattern).c_str(), &m_next);
	if (m_hFind == INVALID_HANDLE_VALUE)
		return FALSE;
	m_bHasNext = TRUE;
	CString strPattern(pszPattern);
	int nSlash = strPattern.ReverseFind('\\');
	m_strRoot = nSlash >= 0 ? strPattern.Left(nSlash + 1) : CString();
	return TRUE;
}

BOOL CFileFind::FindNextFile()
{
	if (!m_bHasNext)
		return FALSE;
	m_data = m_next;
	m_strName = FromWide(m_data.cFileName).c_str();
	m_bHasNext = ::FindNextFileW(m_hFind, &m_next);
	return m_bHasNext;
}

void CFileFind::Close()
{
	if (m_hFind != INVALID_HANDLE_VALUE)
		::FindClose(m_hFind);
	m_hFind = INVALID_HANDLE_VALUE;
	m_bHasNext = FALSE;
}

BOOL CFileFind::IsDots() const
{
	return IsDirectory() && (wcscmp(m_data.cFileName, L".") == 0 || wcscmp(m_data.cFileName, L"..") == 0);
}
