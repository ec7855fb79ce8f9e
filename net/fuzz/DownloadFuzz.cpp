// libFuzzer target: a whole response as the download sees it (header, status, Content-Length, body) from
// a connection arriving in segments, possibly endless. The document must be what a plain reading of the
// response gives, with exactly the expected log records, and never more than the bound may be read.
// Input: the connection's control bytes, then the stream.
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

	size_t nBodyStart = connection.Position();
	std::vector<CRecord> records;
	std::string strDocument = ReadDocument(nStatus, bLength ? szLength : nullptr, connection,
		[&records](unsigned int nLevel, const char* pszMessage) { records.push_back({nLevel, pszMessage}); });

	// The same response read plainly.
	std::vector<CRecord> expectedRecords;
	long long nLength = bLength ? strtoll(szLength, nullptr, 10) : 0;
	if (nLength == 0)
		expectedRecords.push_back({LOG_DEBG, "未知原因，取不到要下载的文件大小，有可能是使用了http广告拦截工具"});
	std::string strExpected;
	const char* pszError = nullptr;
	switch (nStatus / 100)
	{
	case 2:
		if (nLength < 0)
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
		pszError = nLength != 0 ? "客户端错误，可能是下载地址不对" : "要下载的文件大小为0";
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
	// Nothing past the announced length, nor past one receive without one, and never more than the bound.
	size_t nRead = connection.Position() - nBodyStart;
	Check(nRead <= static_cast<size_t>(kMaxDocumentBytes) && nRead <= std::max<size_t>(static_cast<size_t>(
		nLength > 0 ? nLength : 0), 4096));
	return 0;
}
