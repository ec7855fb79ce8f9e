#include "net/UrlDownload.h"

#include "app/Log.h"
#include "framework/Url.h"
#include "net/HttpSocket.h"
#include "net/SocketDeadline.h"

#include <cstdlib>
#include <string>
#include <vector>

namespace
{
const int kPort = 80;
const int kReceiveTimeoutMs = 6000;
const long kChunk = 1024;
const long kSingleReceive = 4096;
// The body buffer grows with the data, so a false length cannot make us reserve more than this at once.
const long kMaxReserve = 1024 * 1024;
const char kTimedOut[] = "接收数据超时";

// True when a receive brought data; otherwise logs why it did not (closed or timed out).
bool ReceivedData(long nReceived)
{
	if (nReceived == 0)
		WriteLog(LOG_ERR, "服务器已经关闭连接");
	else if (nReceived < 0)
		WriteLog(LOG_ERR, kTimedOut);
	return nReceived > 0;
}

// Receives exactly nLength bytes; "" (after logging why) when the server closes or stalls first.
CString ReceiveAnnounced(CHttpSocket& socket, long nLength)
{
	std::string strBody;
	strBody.reserve(static_cast<size_t>(nLength < kMaxReserve ? nLength : kMaxReserve) + 1);
	std::vector<char> chunk(kChunk);
	long nCount = 0;
	while (nCount < nLength)
	{
		long nWant = nLength - nCount < kChunk ? nLength - nCount : kChunk;
		long nReceived = socket.Receive(chunk.data(), nWant);
		if (!ReceivedData(nReceived))
			return CString();
		strBody.append(chunk.data(), static_cast<size_t>(nReceived));
		nCount += nReceived;
	}
	// The body is text: it ends at its first zero byte.
	return CString(strBody.c_str());
}

// One receive of at most 4096 bytes; a body naming a file is cut to "filename=" ... last "$".
CString ReceiveUnannounced(CHttpSocket& socket)
{
	std::vector<char> body(kSingleReceive + 1);
	long nReceived = socket.Receive(body.data(), kSingleReceive);
	if (!ReceivedData(nReceived))
		return CString();
	body[nReceived] = 0;
	CString strText(body.data());
	// The body is bytes of any encoding: the marker and the "$" are found byte by byte.
	CString strLower(strText);
	strLower.MakeLowerBytes();
	int nFileName = strLower.FindBytes("filename=");
	if (nFileName < 0)
		return strText;
	int nDollar = strLower.ReverseFindByte('$');
	if (nDollar - nFileName <= 1)
		return CString();
	return strText.Mid(nFileName, nDollar - nFileName + 1);
}

CString Download(const CString& strUrl, CString& strCookie, DWORD dwDeadlineMs)
{
	CSocketDeadline deadline(dwDeadlineMs);
	CHttpSocket socket;
	DWORD dwServiceType = 0;
	CString strServer;
	CString strObject;
	INTERNET_PORT nPort = 0;
	if (!AfxParseURL(strUrl, dwServiceType, strServer, strObject, nPort))
		return CString();

	long nRequestLength = 0;
	socket.FormatRequestHeader(strServer.GetBuffer(0), strObject.GetBuffer(0), nRequestLength,
		strCookie.IsEmpty() ? nullptr : strCookie.GetBuffer(0), nullptr, 0, 0, 0);
	// Failures here show as a missing response below.
	socket.Socket();
	socket.Connect(strServer.GetBuffer(0), kPort);
	socket.SetTimeout(kReceiveTimeoutMs, 0);
	socket.SendRequest(nullptr, 0);
	// A header cut short by the deadline is no response.
	if (deadline.Expired())
	{
		WriteLog(LOG_ERR, kTimedOut);
		return CString();
	}

	char szLength[30] = {};
	long nLength = socket.GetField("Content-Length", szLength, sizeof(szLength)) >= 0 ? strtol(szLength, nullptr, 10) : 0;
	if (nLength == 0)
		WriteLog(LOG_DEBG, "未知原因，取不到要下载的文件大小，有可能是使用了http广告拦截工具");

	switch (socket.GetServerState() / 100)
	{
	case 2:
		if (nLength < 0)
		{
			// A negative size cannot be read: count it as a failed download.
			WriteLog(LOG_ERR, "文件下载错误，可能是下载地址不对或者网络故障");
			return CString();
		}
		return nLength > 0 ? ReceiveAnnounced(socket, nLength) : ReceiveUnannounced(socket);
	case 3:
		WriteLog(LOG_ERR, "目标已经转移，新的地址在'Location'域中");
		return CString();
	case 4:
		WriteLog(LOG_ERR, nLength != 0 ? "客户端错误，可能是下载地址不对" : "要下载的文件大小为0");
		return CString();
	case 5:
		WriteLog(LOG_ERR, "服务器端错误");
		return CString();
	default:
		WriteLog(LOG_ERR, "文件下载错误，可能是下载地址不对或者网络故障");
		return CString();
	}
}
}

CString DownloadURL_socket(CString strUrl, CString strCookie, DWORD dwDeadlineMs)
{
	try
	{
		return Download(strUrl, strCookie, dwDeadlineMs);
	}
	catch (...)
	{
		WriteLog(LOG_ERR, "DownloadURL_socket异常");
		return CString();
	}
}
