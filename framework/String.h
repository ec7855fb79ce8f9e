// CString: the program's narrow (code page 936) text type.
#pragma once

#include <windows.h>
#include <string>
#include <vector>

class CString
{
public:
// Construction
	CString() = default;
	CString(const char* psz) : m_str(psz ? psz : "") {}
	CString(const char* pch, int nLength) : m_str(pch ? pch : "", pch && nLength > 0 ? nLength : 0) {}
	CString(const std::string& str) : m_str(str) {}

// Attributes
	int GetLength() const { return static_cast<int>(m_str.size()); }
	bool IsEmpty() const { return m_str.empty(); }
	char GetAt(int nIndex) const { return m_str[nIndex]; }
	operator const char*() const { return m_str.c_str(); }
	const char* GetString() const { return m_str.c_str(); }
	const std::string& Str() const { return m_str; }

// Comparison
	int Compare(const char* psz) const { return m_str.compare(psz ? psz : ""); }
	int CompareNoCase(const char* psz) const;
	friend bool operator==(const CString& a, const CString& b) { return a.m_str == b.m_str; }
	friend bool operator==(const CString& a, const char* b) { return a.m_str == (b ? b : ""); }
	friend bool operator!=(const CString& a, const CString& b) { return !(a == b); }
	friend bool operator!=(const CString& a, const char* b) { return !(a == b); }

// Search (multibyte-aware: a match never starts on a trail byte); -1 when absent
	int Find(const char* pszSub, int nStart = 0) const;
	int Find(char ch, int nStart = 0) const;
	int ReverseFind(char ch) const;

// Extraction
	CString Mid(int nFirst) const;
	CString Mid(int nFirst, int nCount) const;
	CString Left(int nCount) const;
	CString Right(int nCount) const;

// Modification
	CString& Trim();
	CString& TrimLeft();
	CString& TrimRight();
	CString& MakeLower();
	CString& MakeUpper();
	int Delete(int nIndex, int nCount = 1);
	void Empty() { m_str.clear(); }
	void Format(const char* pszFormat, ...);
	CString& operator=(const char* psz) { m_str = psz ? psz : ""; return *this; }
	CString& operator+=(const CString& str) { m_str += str.m_str; return *this; }
	CString& operator+=(const char* psz) { m_str += psz ? psz : ""; return *this; }
	CString& operator+=(char ch) { m_str += ch; return *this; }
	friend CString operator+(const CString& a, const CString& b) { return CString(a.m_str + b.m_str); }
	friend CString operator+(const CString& a, const char* b) { return CString(a.m_str + (b ? b : "")); }
	friend CString operator+(const char* a, const CString& b) { return CString((a ? a : "") + b.m_str); }

// Raw access: GetBuffer(n) gives room for n bytes plus a terminator; ReleaseBuffer cuts at the first zero byte.
	char* GetBuffer(int nMinLength);
	void ReleaseBuffer(int nNewLength = -1);

private:
	std::string m_str;
};

// Ordered list of texts, as the framework's string array.
class CStringArray
{
public:
	int GetSize() const { return static_cast<int>(m_items.size()); }
	int GetCount() const { return GetSize(); }
	bool IsEmpty() const { return m_items.empty(); }
	const CString& GetAt(int nIndex) const { return m_items[nIndex]; }
	const CString& operator[](int nIndex) const { return m_items[nIndex]; }
	CString& operator[](int nIndex) { return m_items[nIndex]; }
	int Add(const CString& str) { m_items.push_back(str); return GetSize() - 1; }
	void RemoveAll() { m_items.clear(); }

private:
	std::vector<CString> m_items;
};

// Multibyte-aware case-insensitive compare of two texts (ASCII letters fold; DBCS pairs compare as they are).
int CompareNoCaseMbcs(const char* a, const char* b);
