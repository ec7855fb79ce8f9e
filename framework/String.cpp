#include "framework/String.h"

#include "framework/WideText.h"

#include <cstdarg>
#include <cstdio>

namespace
{
char FoldAscii(char ch, bool bUpper)
{
	if (!bUpper && ch >= 'A' && ch <= 'Z')
		return static_cast<char>(ch - 'A' + 'a');
	if (bUpper && ch >= 'a' && ch <= 'z')
		return static_cast<char>(ch - 'a' + 'A');
	return ch;
}

void FoldCase(std::string& str, bool bUpper)
{
	for (size_t i = 0; i < str.size(); ++i)
	{
		if (IsLeadByte(str[i]) && i + 1 < str.size())
			++i;  // the trail byte of a double-byte character is not a letter
		else
			str[i] = FoldAscii(str[i], bUpper);
	}
}

bool IsSpace(char ch)
{
	return ch == ' ' || ch == '\t' || ch == '\r' || ch == '\n' || ch == '\v' || ch == '\f';
}
}

int CompareNoCaseMbcs(const char* a, const char* b)
{
	a = a ? a : "";
	b = b ? b : "";
	for (;;)
	{
		if (IsLeadByte(*a) && a[1] && IsLeadByte(*b) && b[1])
		{
			int nDiff = (static_cast<BYTE>(a[0]) << 8 | static_cast<BYTE>(a[1]))
				- (static_cast<BYTE>(b[0]) << 8 | static_cast<BYTE>(b[1]));
			if (nDiff)
				return nDiff;
			a += 2;
			b += 2;
			continue;
		}
		int nDiff = static_cast<BYTE>(FoldAscii(*a, false)) - static_cast<BYTE>(FoldAscii(*b, false));
		if (nDiff || !*a)
			return nDiff;
		++a;
		++b;
	}
}

int CString::CompareNoCase(const char* psz) const
{
	return CompareNoCaseMbcs(m_str.c_str(), psz);
}

int CString::Find(const char* pszSub, int nStart) const
{
	if (!pszSub || nStart < 0 || nStart > GetLength())
		return -1;
	size_t nSub = strlen(pszSub);
	for (size_t i = 0; i < m_str.size(); ++i)
	{
		if (static_cast<int>(i) >= nStart && m_str.compare(i, nSub, pszSub) == 0)
			return static_cast<int>(i);
		if (IsLeadByte(m_str[i]) && i + 1 < m_str.size())
			++i;
	}
	return nSub == 0 && nStart == GetLength() ? nStart : -1;
}

int CString::Find(char ch, int nStart) const
{
	char sz[2] = {ch, 0};
	return Find(sz, nStart);
}

int CString::ReverseFind(char ch) const
{
	int nLast = -1;
	for (size_t i = 0; i < m_str.size(); ++i)
	{
		if (m_str[i] == ch)
			nLast = static_cast<int>(i);
		else if (IsLeadByte(m_str[i]) && i + 1 < m_str.size())
			++i;
	}
	return nLast;
}

CString CString::Mid(int nFirst) const
{
	return Mid(nFirst, GetLength() - nFirst);
}

CString CString::Mid(int nFirst, int nCount) const
{
	if (nFirst < 0)
		nFirst = 0;
	if (nFirst >= GetLength() || nCount <= 0)
		return CString();
	return CString(m_str.substr(nFirst, nCount));
}

CString CString::Left(int nCount) const
{
	return Mid(0, nCount);
}

CString CString::Right(int nCount) const
{
	if (nCount >= GetLength())
		return *this;
	return nCount <= 0 ? CString() : Mid(GetLength() - nCount);
}

CString& CString::Trim()
{
	return TrimRight().TrimLeft();
}

CString& CString::TrimLeft()
{
	size_t n = 0;
	while (n < m_str.size() && IsSpace(m_str[n]))
		++n;
	m_str.erase(0, n);
	return *this;
}

CString& CString::TrimRight()
{
	while (!m_str.empty() && IsSpace(m_str.back()))
		m_str.pop_back();
	return *this;
}

CString& CString::MakeLower()
{
	FoldCase(m_str, false);
	return *this;
}

CString& CString::MakeUpper()
{
	FoldCase(m_str, true);
	return *this;
}

int CString::Delete(int nIndex, int nCount)
{
	if (nIndex >= 0 && nIndex < GetLength() && nCount > 0)
		m_str.erase(nIndex, nCount);
	return GetLength();
}

void CString::Format(const char* pszFormat, ...)
{
	va_list args;
	va_start(args, pszFormat);
	va_list argsCopy;
	va_copy(argsCopy, args);
	int nLength = vsnprintf(nullptr, 0, pszFormat, args);
	va_end(args);
	if (nLength < 0)
	{
		va_end(argsCopy);
		m_str.clear();
		return;
	}
	std::string str(static_cast<size_t>(nLength) + 1, '\0');
	vsnprintf(&str[0], str.size(), pszFormat, argsCopy);
	va_end(argsCopy);
	str.resize(nLength);
	m_str.swap(str);
}

char* CString::GetBuffer(int nMinLength)
{
	if (nMinLength > GetLength())
		m_str.resize(nMinLength);
	m_str.reserve(m_str.size() + 1);
	return &m_str[0];
}

void CString::ReleaseBuffer(int nNewLength)
{
	if (nNewLength < 0)
		nNewLength = static_cast<int>(strnlen(m_str.c_str(), m_str.size()));
	m_str.resize(nNewLength);
}
