#include "net/ResponseHeader.h"

#include <cstdlib>
#include <cstring>

namespace
{
// Where the header ends within the nNew bytes just looked at, which follow nIndex stored ones: the
// count of them that belong to it, or -1 when it goes on after them.
int HeaderEnd(const char* pHeader, int nIndex, int nNew, bool bLongWait)
{
	// Only the first byte of an arrival can have been waited for; those after it were there already.
	if (bLongWait && pHeader[nIndex] == 0)
		return 1;
	for (int i = nIndex < 3 ? 3 - nIndex : 0; i < nNew; ++i)
	{
		if (memcmp(pHeader + nIndex + i - 3, "\r\n\r\n", 4) == 0)
			return i + 1;
	}
	return -1;
}
}

int ReadResponseHeader(CHeaderSource& source, char* pHeader, int nCapacity)
{
	// One look at what has arrived and one take of the header's part of it, instead of a receive per
	// byte; the body stays behind for the caller.
	int nIndex = 0;
	while (nIndex < nCapacity - 1)
	{
		uint32_t nStart = source.Ticks();
		int nPeeked = source.Peek(pHeader + nIndex, nCapacity - 1 - nIndex);
		if (nPeeked <= 0)
			break;
		bool bLongWait = source.Ticks() - nStart >= kZeroByteWaitMs;
		int nEnd = HeaderEnd(pHeader, nIndex, nPeeked, bLongWait);
		int nWant = nEnd < 0 ? nPeeked : nEnd;
		int nTaken = source.Take(pHeader + nIndex, nWant);
		if (nTaken <= 0)
			break;
		nIndex += nTaken < nWant ? nTaken : nWant;
		if (nEnd >= 0 && nTaken >= nWant)
			break;
	}
	// Bytes looked at but not taken are no part of the header.
	memset(pHeader + nIndex, 0, static_cast<size_t>(nCapacity - nIndex));
	return nIndex;
}

int HeaderStatus(const char* pHeader, int nLength)
{
	char szCode[4] = {};
	for (int i = 0; i < 3 && 9 + i < nLength; ++i)
		szCode[i] = pHeader[9 + i];
	return atoi(szCode);
}

int HeaderField(const char* pszHeader, const char* pszName, char* pszBuffer, int nCapacity)
{
	if (!pszHeader || !pszName)
		return -1;
	const char* pMatch = strstr(pszHeader, pszName);
	if (!pMatch)
		return -1;
	// The value follows the colon and one blank; a line cut off with the header has no known end.
	size_t nStart = static_cast<size_t>(pMatch - pszHeader) + strlen(pszName) + 2;
	if (nStart > strlen(pszHeader))
		return -1;
	const char* pEnd = strstr(pszHeader + nStart, "\r\n");
	if (!pEnd)
		return -1;

	int nValue = static_cast<int>(pEnd - (pszHeader + nStart));
	if (pszBuffer && nCapacity > 0)
	{
		int nCopy = nValue < nCapacity - 1 ? nValue : nCapacity - 1;
		memcpy(pszBuffer, pszHeader + nStart, static_cast<size_t>(nCopy));
		pszBuffer[nCopy] = 0;
	}
	return nValue;
}

namespace
{
bool IsBlank(char ch)
{
	return ch == ' ' || ch == '\t';
}

// Whether [pFirst, pLast) is pszWord, in any letter case, once blanks around it are dropped.
bool IsWord(const char* pFirst, const char* pLast, const char* pszWord)
{
	while (pFirst < pLast && IsBlank(*pFirst))
		++pFirst;
	while (pLast > pFirst && IsBlank(pLast[-1]))
		--pLast;
	size_t nWord = strlen(pszWord);
	if (static_cast<size_t>(pLast - pFirst) != nWord)
		return false;
	for (size_t i = 0; i < nWord; ++i)
	{
		char ch = pFirst[i];
		if ((ch >= 'A' && ch <= 'Z' ? ch - 'A' + 'a' : ch) != pszWord[i])
			return false;
	}
	return true;
}
}

bool HeaderChunked(const char* pszHeader)
{
	if (!pszHeader)
		return false;
	bool bChunked = false;
	// The status line names no field.
	const char* pLine = strstr(pszHeader, "\r\n");
	while (pLine)
	{
		pLine += 2;
		const char* pEnd = strstr(pLine, "\r\n");
		const char* pColon = static_cast<const char*>(memchr(pLine, ':', pEnd ? static_cast<size_t>(pEnd - pLine) : 0));
		if (pColon && IsWord(pLine, pColon, "transfer-encoding"))
		{
			const char* pLastCoding = pColon + 1;
			for (const char* p = pColon + 1; p < pEnd; ++p)
			{
				if (*p == ',')
					pLastCoding = p + 1;
			}
			bChunked = IsWord(pLastCoding, pEnd, "chunked");
		}
		pLine = pEnd;
	}
	return bChunked;
}

int HeaderLine(const char* pHeader, int nLength, int& nCursor, char* pszBuffer, int nCapacity)
{
	if (nCursor >= nLength)
	{
		nCursor = 0;
		return -1;
	}
	if (!pszBuffer || nCapacity < 1)
		return 0;
	int nCount = 0;
	while (nCount < nCapacity && nCursor < nLength)
	{
		char ch = pHeader[nCursor++];
		pszBuffer[nCount++] = ch;
		if (ch == '\n')
			break;
	}
	return nCount;
}
