// CFileFind: a folder search over FindFirstFile/FindNextFile.
#pragma once

#include "framework/String.h"

class CFileFind
{
public:
	CFileFind() = default;
	CFileFind(const CFileFind&) = delete;
	CFileFind& operator=(const CFileFind&) = delete;
	~CFileFind() { Close(); }

	// Starts a search for a pattern such as "C:\\dir\\*.*"; FALSE when nothing matches.
	BOOL FindFile(const char* pszPattern);
	// Moves to the next entry; FALSE when the current entry is the last one.
	BOOL FindNextFile();
	void Close();

// Attributes of the current entry
	CString GetFileName() const { return m_strName; }
	CString GetFilePath() const { return m_strRoot + m_strName; }
	BOOL IsDirectory() const { return (m_data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0; }
	BOOL IsDots() const;

private:
	HANDLE m_hFind = INVALID_HANDLE_VALUE;
	WIN32_FIND_DATAW m_data = {};   // the current entry
	WIN32_FIND_DATAW m_next = {};   // the entry after it, read ahead
	BOOL m_bHasNext = FALSE;
	CString m_strRoot;
	CString m_strName;   // the current entry's name in code page 936
};
