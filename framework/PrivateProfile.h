// A classic sectioned settings file ("[section]" headers, "key=value" lines) read once into memory and
// looked up there; writes go through a temporary file, so that a failed write leaves the old file whole.
#pragma once

#include "framework/ProfileText.h"
#include "framework/String.h"

class CProfileFile
{
public:
	enum EEncoding { ENCODING_936, ENCODING_UTF8, ENCODING_UTF16 };

	// Reads the file (code page 936 path). A missing file reads as empty with 1; a file that cannot be read,
	// is larger than kMaxProfileBytes or is not text of its encoding reads as empty with 0.
	BOOL Load(const char* pszPath);

	CString GetString(const char* pszSection, const char* pszKey, const char* pszDefault,
		int nMaxLength = 1000) const;
	int GetInt(const char* pszSection, const char* pszKey, int nDefault) const;
	// Sets the key and saves the file in its own encoding; 0 (file unchanged) on failure.
	BOOL WriteString(const char* pszSection, const char* pszKey, const char* pszValue);
	// Drops the key (with a null key, the whole section) and saves the file; one without it stays untouched.
	BOOL Remove(const char* pszSection, const char* pszKey);

private:
	BOOL Save(const std::string& strText) const;

	CString m_strPath;
	CProfileText m_text;
	EEncoding m_eEncoding = ENCODING_936;
	// A file whose text the program's code page cannot spell exactly is never written back.
	BOOL m_bWritable = TRUE;
};
