#include "net/UrlDownload.h"

#include "app/Log.h"
#include "framework/Url.h"
#include "net/DownloadResponse.h"
#include "net/HttpSocket.h"
#include "net/SocketDeadline.h"

namespace
{
const int kPort = 80;
const int kReceiveTimeoutMs = 6000;

class CSocketBody : public CBodySource
{
public:
	explicit CSocketBody(CHttpSocket& socket) : m_socket(socket) {}
	long Receive(char* pBuffer, long nCapacity) override { return m_socket.Receive(pBuffer, nCapacity); }

private:
	CHttpSocket& m_socket;
};

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
		WriteLog(LOG_ERR, "接收数据超时");
		return CString();
	}

	char szLength[30] = {};
	bool bLength = socket.GetField("Content-Length", szLength, sizeof(szLength)) >= 0;
	CSocketBody body(socket);
	return CString(ReadDocument(socket.GetServerState(), bLength ? szLength : nullptr, socket.IsChunked() != 0, body,
		[](unsigned int nLevel, const char* pszMessage) { WriteLog(nLevel, pszMessage); }));
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
