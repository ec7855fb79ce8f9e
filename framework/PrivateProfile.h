// A classic sectioned settings file ("[section]" headers, "key=value" lines) read once into memory and
// looked up there; writes go through a temporary file, so that a failed write leaves the old file whole.
#pragma once

#include "framework/ProfileText.h"
#include "framework/String.h"

class CProfileFile
{
public:
	enum EEncoding { ENCODING_936, ENCODING_UTF8, ENCODING_UTF16, ENCODING_UTF16BE };

	// Reads the file (code page 936 path): code page 936, or UTF-8 or UTF-16 (either order) by their marks, or
	// UTF-16 without one. A missing file reads as empty with 1; a file that cannot be read (held by another
	// program, say), is larger than kMaxProfileBytes or is not text of its encoding reads as empty with 0
	// and is never written.
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
	// Saves the edited text and keeps it; the file and the text stay as they were when saving fails.
	BOOL SaveEdited(CProfileText text);

	CString m_strPath;
	CProfileText m_text;
	EEncoding m_eEncoding = ENCODING_936;
	// Whether a UTF-16 file starts with its byte-order mark; a write keeps it as it was.
	BOOL m_bMarked = TRUE;
	// A file whose text the program's code page cannot spell exactly is never written back.
	BOOL m_bWritable = TRUE;
};
