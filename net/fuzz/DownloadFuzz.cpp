// libFuzzer target: a whole response as the download sees it (header, status, Content-Length, chunked
// coding, body) from a connection arriving in segments, possibly endless. The document must be what a
// plain reading of the response gives, with exactly the expected log records, and never more than the
// bound may be read.
// Input: the connection's control bytes, then the stream.
#include "net/ChunkedBody.h"
#include "net/fuzz/FuzzConnection.h"

#include "app/LogLevel.h"

#include <algorithm>
#include <string>
#include <vector>

namespace
{
struct CRecord
{
	unsigned int nLevel;
	std::string strMessage;
	bool operator==(const CRecord& other) const { return nLevel == other.nLevel && strMessage == other.strMessage; }
};

// The span "filename=" (any letter case) through the last "$", "" when too short; the text when unmarked.
std::string ExpectedCut(const std::string& strText)
{
	static const std::string kMarker = "filename=";
	auto itMarker = std::search(strText.begin(), strText.end(), kMarker.begin(), kMarker.end(),
		[](char a, char b) { return (a >= 'A' && a <= 'Z' ? a + 32 : a) == b; });
	if (itMarker == strText.end())
		return strText;
	size_t nMarker = static_cast<size_t>(itMarker - strText.begin());
	size_t nDollar = strText.find_last_of('$');
	if (nDollar == std::string::npos || nDollar < nMarker + 2)
		return std::string();
	return strText.substr(nMarker, nDollar - nMarker + 1);
}

std::string UpToZero(const std::string& strBytes)
{
	return strBytes.substr(0, strBytes.find('\0'));
}

// A chunked body read a byte at a time; null, or the record of why it failed.
const char* PlainChunked(CFuzzConnection& connection, std::string& strBody)
{
	long long nRaw = 0;
	const char* pszEnd = nullptr;
	auto next = [&](char& ch) {
		if (nRaw == kMaxChunkedBytes)
			pszEnd = "要下载的文件过大，超过1MB";
		else if (long nReceived = connection.Receive(&ch, 1); nReceived <= 0)
			pszEnd = nReceived == 0 ? "服务器已经关闭连接" : "接收数据超时";
		++nRaw;
		return pszEnd == nullptr;
	};
	const char* const kMalformed = "分块传输的数据格式错误";
	auto line = [&](std::string& strLine) {
		strLine.clear();
		char ch = 0;
		while (next(ch) && ch != '\n')
		{
			if (strLine.size() == kMaxChunkLine)
				return kMalformed;
			strLine += ch;
		}
		if (!strLine.empty() && strLine.back() == '\r')
			strLine.pop_back();
		return pszEnd;
	};
	std::string strLine;
	for (;;)
	{
		if (line(strLine))
			return pszEnd ? pszEnd : kMalformed;
		size_t nDigits = strLine.find_first_not_of("0123456789abcdefABCDEF");
		nDigits = nDigits == std::string::npos ? strLine.size() : nDigits;
		size_t nRest = strLine.find_first_not_of(" \t", nDigits);
		if (nDigits == 0 || (nRest != std::string::npos && strLine[nRest] != ';'))
			return kMalformed;
		std::string strDigits = strLine.substr(0, nDigits);
		strDigits.erase(0, std::min(strDigits.find_first_not_of('0'), strDigits.size()));
		if (strDigits.empty())
			return nullptr;
		long long nSize = strDigits.size() > 6 ? kMaxDocumentBytes + 1 : std::stoll(strDigits, nullptr, 16);
		if (nSize > kMaxDocumentBytes - static_cast<long long>(strBody.size()))
			return "要下载的文件过大，超过1MB";
		for (char ch = 0; nSize > 0 && next(ch); --nSize)
			strBody += ch;
		if (pszEnd)
			return pszEnd;
		if (line(strLine))
			return pszEnd ? pszEnd : kMalformed;
		if (!strLine.empty())
			return kMalformed;
	}
}
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* pData, size_t cbData)
{
	CFuzzConnection connection(pData, cbData), expected(pData, cbData);
	char szHeader[1024];
	int nHeader = ReadResponseHeader(connection, szHeader, sizeof(szHeader));
	char szUnused[1024];
	ReadResponseHeader(expected, szUnused, sizeof(szUnused));
	char szLength[30] = {};
	bool bLength = HeaderField(szHeader, "Content-Length", szLength, sizeof(szLength)) >= 0;
	int nStatus = HeaderStatus(szHeader, nHeader);
	bool bChunked = HeaderChunked(szHeader);

	size_t nBodyStart = connection.Position();
	std::vector<CRecord> records;
	std::string strDocument = ReadDocument(nStatus, bLength ? szLength : nullptr, bChunked, connection,
		[&records](unsigned int nLevel, const char* pszMessage) { records.push_back({nLevel, pszMessage}); });

	// The same response read plainly.
	std::vector<CRecord> expectedRecords;
	long long nLength = bLength ? strtoll(szLength, nullptr, 10) : 0;
	if (nLength == 0 && !bChunked)
		expectedRecords.push_back({LOG_DEBG, "未知原因，取不到要下载的文件大小，有可能是使用了http广告拦截工具"});
	std::string strExpected;
	const char* pszError = nullptr;
	switch (nStatus / 100)
	{
	case 2:
		if (bChunked)
		{
			pszError = PlainChunked(expected, strExpected);
			strExpected = pszError ? std::string() : UpToZero(strExpected);
		}
		else if (nLength < 0)
			pszError = "文件下载错误，可能是下载地址不对或者网络故障";
		else if (nLength > kMaxDocumentBytes)
			pszError = "要下载的文件过大，超过1MB";
		else if (nLength > 0)
		{
			std::vector<char> piece(4096);
			while (static_cast<long long>(strExpected.size()) < nLength)
			{
				long nReceived = expected.Receive(piece.data(),
					static_cast<long>(std::min<long long>(4096, nLength - static_cast<long long>(strExpected.size()))));
				if (nReceived <= 0)
				{
					pszError = nReceived == 0 ? "服务器已经关闭连接" : "接收数据超时";
					break;
				}
				strExpected.append(piece.data(), static_cast<size_t>(nReceived));
			}
			strExpected = pszError ? std::string() : UpToZero(strExpected);
		}
		else
		{
			std::vector<char> piece(4096);
			long nReceived = expected.Receive(piece.data(), 4096);
			if (nReceived <= 0)
				pszError = nReceived == 0 ? "服务器已经关闭连接" : "接收数据超时";
			else
				strExpected = ExpectedCut(UpToZero(std::string(piece.data(), static_cast<size_t>(nReceived))));
		}
		break;
	case 3:
		pszError = "目标已经转移，新的地址在'Location'域中";
		break;
	case 4:
		pszError = nLength != 0 || bChunked ? "客户端错误，可能是下载地址不对" : "要下载的文件大小为0";
		break;
	case 5:
		pszError = "服务器端错误";
		break;
	default:
		pszError = "文件下载错误，可能是下载地址不对或者网络故障";
	}
	if (pszError)
		expectedRecords.push_back({LOG_ERR, pszError});

	Check(strDocument == strExpected);
	Check(records == expectedRecords);
	// Nothing past the announced length, nor past one receive without one, and never more than the bound;
	// chunks within the bound of their raw stream.
	size_t nRead = connection.Position() - nBodyStart;
	if (bChunked)
		Check(nRead <= static_cast<size_t>(kMaxChunkedBytes));
	else
		Check(nRead <= static_cast<size_t>(kMaxDocumentBytes) && nRead <= std::max<size_t>(static_cast<size_t>(
			nLength > 0 ? nLength : 0), 4096));
	return 0;
}
