#include "net/DownloadResponse.h"

#include "app/LogLevel.h"
#include "net/ChunkedBody.h"

#include <cstdlib>
#include <cstring>

namespace
{
const long kChunk = 1024;
const long kSingleReceive = 4096;
const char kFailed[] = "文件下载错误，可能是下载地址不对或者网络故障";
const char kTooLarge[] = "要下载的文件过大，超过1MB";

// True when a receive brought data; otherwise logs why it did not (closed or timed out).
bool ReceivedData(long nReceived, const DownloadLog& log)
{
	if (nReceived == 0)
		log(LOG_ERR, "服务器已经关闭连接");
	else if (nReceived < 0)
		log(LOG_ERR, "接收数据超时");
	return nReceived > 0;
}

// The body is text: it ends at its first zero byte.
std::string Text(const char* pBytes, size_t nCount)
{
	return std::string(pBytes, strnlen(pBytes, nCount));
}

// Receives exactly nLength bytes (at most kMaxDocumentBytes); "" when the server closes or stalls first.
std::string ReceiveAnnounced(CBodySource& body, long nLength, const DownloadLog& log)
{
	std::string strBody(static_cast<size_t>(nLength), '\0');
	long nCount = 0;
	while (nCount < nLength)
	{
		long nWant = nLength - nCount < kChunk ? nLength - nCount : kChunk;
		long nReceived = body.Receive(&strBody[nCount], nWant);
		if (!ReceivedData(nReceived, log))
			return std::string();
		nCount += nReceived < nWant ? nReceived : nWant;
	}
	return Text(strBody.data(), strBody.size());
}

// A body naming a file is cut to "filename=" ... last "$"; the marker is found in any letter case and,
// since the body is bytes of any encoding, byte by byte.
std::string CutAtFileName(const std::string& strText)
{
	std::string strLower(strText);
	for (char& ch : strLower)
	{
		if (ch >= 'A' && ch <= 'Z')
			ch = static_cast<char>(ch - 'A' + 'a');
	}
	size_t nFileName = strLower.find("filename=");
	if (nFileName == std::string::npos)
		return strText;
	size_t nDollar = strText.rfind('$');
	if (nDollar == std::string::npos || nDollar <= nFileName + 1)
		return std::string();
	return strText.substr(nFileName, nDollar - nFileName + 1);
}

std::string ReceiveChunked(CBodySource& body, const DownloadLog& log)
{
	std::string strBody;
	switch (ReadChunkedBody(body, strBody))
	{
	case ChunkedEnd::Done:
		return Text(strBody.data(), strBody.size());
	case ChunkedEnd::Closed:
		ReceivedData(0, log);
		break;
	case ChunkedEnd::Failed:
		ReceivedData(-1, log);
		break;
	case ChunkedEnd::Malformed:
		log(LOG_ERR, "分块传输的数据格式错误");
		break;
	case ChunkedEnd::TooLarge:
		log(LOG_ERR, kTooLarge);
		break;
	}
	return std::string();
}

// One receive of at most 4096 bytes.
std::string ReceiveUnannounced(CBodySource& body, const DownloadLog& log)
{
	char szBody[kSingleReceive + 1];
	long nReceived = body.Receive(szBody, kSingleReceive);
	if (!ReceivedData(nReceived, log))
		return std::string();
	return CutAtFileName(Text(szBody, static_cast<size_t>(nReceived < kSingleReceive ? nReceived : kSingleReceive)));
}
}

std::string ReadDocument(int nStatus, const char* pszLength, bool bChunked, CBodySource& body,
	const DownloadLog& log)
{
	// Counted in 64 bits on every platform, so that no length wraps into a small one. The chunked coding
	// overrides a length, and tells where the body ends as a length does.
	int64_t nLength = pszLength ? strtoll(pszLength, nullptr, 10) : 0;
	if (nLength == 0 && !bChunked)
		log(LOG_DEBG, "未知原因，取不到要下载的文件大小，有可能是使用了http广告拦截工具");

	switch (nStatus / 100)
	{
	case 2:
		if (bChunked)
			return ReceiveChunked(body, log);
		// A negative size cannot be read: count it as a failed download.
		if (nLength < 0)
		{
			log(LOG_ERR, kFailed);
			return std::string();
		}
		if (nLength > kMaxDocumentBytes)
		{
			log(LOG_ERR, kTooLarge);
			return std::string();
		}
		return nLength > 0 ? ReceiveAnnounced(body, static_cast<long>(nLength), log) : ReceiveUnannounced(body, log);
	case 3:
		log(LOG_ERR, "目标已经转移，新的地址在'Location'域中");
		return std::string();
	case 4:
		log(LOG_ERR, nLength != 0 || bChunked ? "客户端错误，可能是下载地址不对" : "要下载的文件大小为0");
		return std::string();
	case 5:
		log(LOG_ERR, "服务器端错误");
		return std::string();
	default:
		log(LOG_ERR, kFailed);
		return std::string();
	}
}
