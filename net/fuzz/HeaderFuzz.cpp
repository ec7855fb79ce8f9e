// libFuzzer target: a response arriving in segments through the header reader, which must give what a
// receive per byte gives (the same bytes, the same stop, the same bytes left for the body), then the
// status, field, line and coding queries checked against plain string searches. Input: the connection's
// control bytes, a name length and name for the field query, then the stream.
#include "net/fuzz/FuzzConnection.h"

#include <algorithm>
#include <string>
#include <vector>

namespace
{
// The header as one receive per byte reads it.
int ReadByBytes(CFuzzConnection& connection, char* pHeader, int nCapacity)
{
	int nIndex = 0;
	while (nIndex < nCapacity - 1)
	{
		uint32_t nStart = connection.Ticks();
		char ch = 0;
		if (connection.Receive(&ch, 1) != 1)
			break;
		pHeader[nIndex++] = ch;
		if (ch == 0 && connection.Ticks() - nStart >= kZeroByteWaitMs)
			break;
		if (nIndex >= 4 && memcmp(pHeader + nIndex - 4, "\r\n\r\n", 4) == 0)
			break;
	}
	memset(pHeader + nIndex, 0, static_cast<size_t>(nCapacity - nIndex));
	return nIndex;
}

void CheckField(const char* pszHeader, const std::string& strName, int nCapacity)
{
	std::string strText(pszHeader);
	int nExpected = -1;
	size_t nMatch = strText.find(strName);
	std::string strValue;
	if (nMatch != std::string::npos && nMatch + strName.size() + 2 <= strText.size())
	{
		size_t nStart = nMatch + strName.size() + 2;
		size_t nEnd = strText.find("\r\n", nStart);
		if (nEnd != std::string::npos)
		{
			strValue = strText.substr(nStart, nEnd - nStart);
			nExpected = static_cast<int>(strValue.size());
		}
	}
	std::vector<char> buffer(static_cast<size_t>(nCapacity) + 1, '#');
	Check(HeaderField(pszHeader, strName.c_str(), buffer.data(), nCapacity) == nExpected);
	Check(buffer[static_cast<size_t>(nCapacity)] == '#');
	if (nExpected >= 0 && nCapacity > 0)
		Check(buffer.data() == strValue.substr(0, static_cast<size_t>(nCapacity - 1)));
	Check(HeaderField(pszHeader, strName.c_str(), nullptr, 0) == nExpected);
}

// Whether a Transfer-Encoding line (name in any case) ends in the coding "chunked", by plain string work.
bool PlainChunked(const std::string& strHeader)
{
	auto lower = [](std::string str) {
		for (char& ch : str)
			ch = ch >= 'A' && ch <= 'Z' ? static_cast<char>(ch - 'A' + 'a') : ch;
		return str;
	};
	auto trim = [](const std::string& str) {
		size_t nFirst = str.find_first_not_of(" \t");
		return nFirst == std::string::npos ? std::string() : str.substr(nFirst, str.find_last_not_of(" \t") + 1 - nFirst);
	};
	bool bChunked = false;
	size_t nLine = strHeader.find("\r\n"), nEnd = 0;
	for (; nLine != std::string::npos && (nEnd = strHeader.find("\r\n", nLine + 2)) != std::string::npos; nLine = nEnd)
	{
		std::string strLine = strHeader.substr(nLine + 2, nEnd - nLine - 2);
		size_t nColon = strLine.find(':');
		if (nColon != std::string::npos && lower(trim(strLine.substr(0, nColon))) == "transfer-encoding")
		{
			std::string strValue = strLine.substr(nColon + 1);
			bChunked = lower(trim(strValue.substr(strValue.find_last_of(',') + 1))) == "chunked";
		}
	}
	return bChunked;
}

// Walking the lines gives back the stored bytes; the walk then ends and starts over.
void CheckLines(const char* pHeader, int nLength, int nCapacity)
{
	std::string strWalk;
	std::vector<char> buffer(static_cast<size_t>(nCapacity));
	int nCursor = 0, nCount = 0;
	for (int nPass = 0; nPass < 2; ++nPass)
	{
		strWalk.clear();
		while ((nCount = HeaderLine(pHeader, nLength, nCursor, buffer.data(), nCapacity)) != -1)
		{
			Check(nCount >= 1 && nCount <= nCapacity);
			Check(nCount == nCapacity || buffer[nCount - 1] == '\n' || nCursor == nLength);
			Check(std::find(buffer.begin(), buffer.begin() + nCount - 1, '\n') == buffer.begin() + nCount - 1);
			strWalk.append(buffer.data(), static_cast<size_t>(nCount));
		}
		Check(nCursor == 0 && strWalk == std::string(pHeader, static_cast<size_t>(nLength)));
	}
}
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* pData, size_t cbData)
{
	if (cbData < CFuzzConnection::kControlBytes + 1)
		return 0;
	size_t nName = pData[CFuzzConnection::kControlBytes] % 32;
	size_t nStream = CFuzzConnection::kControlBytes + 1 + nName;
	if (cbData < nStream)
		return 0;
	std::string strName(reinterpret_cast<const char*>(pData) + CFuzzConnection::kControlBytes + 1, nName);
	strName.resize(strlen(strName.c_str()));
	std::vector<uint8_t> input(pData, pData + CFuzzConnection::kControlBytes);
	input.insert(input.end(), pData + nStream, pData + cbData);

	CFuzzConnection connection(input.data(), input.size()), byBytes(input.data(), input.size());
	int nCapacity = connection.HeaderCapacity();
	std::vector<char> header(static_cast<size_t>(nCapacity), '?'), expected(static_cast<size_t>(nCapacity), '?');
	int nLength = ReadResponseHeader(connection, header.data(), nCapacity);
	Check(nLength == ReadByBytes(byBytes, expected.data(), nCapacity));
	Check(header == expected && connection.Position() == byBytes.Position());
	Check(connection.Position() == static_cast<size_t>(nLength) && nLength < nCapacity);
	// What the body reads next is the same on both.
	char chNext = 0, chExpected = 0;
	Check(connection.Receive(&chNext, 1) == byBytes.Receive(&chExpected, 1) && chNext == chExpected);

	int nStatus = HeaderStatus(header.data(), nLength);
	char szCode[4] = {};
	for (int i = 0; i < 3 && 9 + i < nCapacity; ++i)
		szCode[i] = header[static_cast<size_t>(9 + i)];
	Check(nStatus == atoi(szCode));

	int nSmall = 1 + pData[0] % 9;
	for (const std::string& strQuery : {strName, std::string("Content-Length"), std::string(), std::string("\r\n")})
	{
		CheckField(header.data(), strQuery, 30);
		CheckField(header.data(), strQuery, nSmall);
	}
	CheckLines(header.data(), nLength, 1 + pData[1] % 64);
	Check(HeaderChunked(header.data()) == PlainChunked(header.data()));
	return 0;
}
