#include "net/HttpSocket.h"

#include "app/Log.h"
#include "net/ResponseHeader.h"
#include "net/SocketDeadline.h"

#include <winsock.h>

#include <cstdio>
#include <cstring>

// An object holds one start-up of the socket library exactly while m_hSocket is a valid handle, so
// start-ups and releases stay balanced however often CloseSocket runs.

namespace
{
bool IsValidSocket(UINT_PTR hSocket)
{
	return hSocket != 0 && hSocket != INVALID_SOCKET;
}

// Appends text to a fixed buffer and remembers whether everything fitted with its terminator.
class CFixedText
{
public:
	CFixedText(char* pBuffer, size_t nCapacity) : m_pBuffer(pBuffer), m_nCapacity(nCapacity) {}

	CFixedText& operator<<(const char* psz)
	{
		size_t n = strlen(psz ? psz : "");
		if (m_nLength + n >= m_nCapacity)
			m_bFits = false;
		if (m_bFits)
		{
			memcpy(m_pBuffer + m_nLength, psz, n);
			m_nLength += n;
		}
		return *this;
	}

	CFixedText& operator<<(long n)
	{
		char sz[16];
		snprintf(sz, sizeof(sz), "%ld", n);
		return *this << sz;
	}

	bool Fits() const { return m_bFits; }
	size_t Length() const { return m_nLength; }

private:
	char* m_pBuffer;
	size_t m_nCapacity;
	size_t m_nLength = 0;
	bool m_bFits = true;
};

// The receive time-out of the socket last asked about on this thread, so that the receives of one
// exchange need not ask again each time; SetTimeout tells it, Socket and CloseSocket forget it.
struct CReceiveTimeout
{
	UINT_PTR hSocket = 0;
	DWORD dwMilliseconds = 0;
};
thread_local CReceiveTimeout t_receiveTimeout;

DWORD ReceiveTimeout(UINT_PTR hSocket)
{
	if (t_receiveTimeout.hSocket != hSocket || hSocket == 0)
	{
		DWORD dwTimeout = 0;
		int cbTimeout = sizeof(dwTimeout);
		if (::getsockopt(hSocket, SOL_SOCKET, SO_RCVTIMEO, reinterpret_cast<char*>(&dwTimeout), &cbTimeout) != 0)
			dwTimeout = 0;
		t_receiveTimeout = {hSocket, dwTimeout};
	}
	return t_receiveTimeout.dwMilliseconds;
}

void ForgetReceiveTimeout()
{
	t_receiveTimeout = CReceiveTimeout();
}

// One receive call; under a deadline of the thread it fails as a time-out once the deadline would pass.
// While more is left than the socket's own receive time-out, that time-out bounds the call already.
int BoundedRecv(UINT_PTR hSocket, char* pBuffer, int nCapacity, int nFlags = 0)
{
	DWORD dwLeft = CSocketDeadline::ThreadLeft();
	if (dwLeft != INFINITE)
	{
		DWORD dwTimeout = ReceiveTimeout(hSocket);
		if (dwTimeout == 0 || dwTimeout > dwLeft)
		{
			fd_set readable;
			FD_ZERO(&readable);
			FD_SET(hSocket, &readable);
			timeval tv = {static_cast<long>(dwLeft / 1000), static_cast<long>(dwLeft % 1000 * 1000)};
			if (dwLeft == 0 || ::select(0, &readable, nullptr, nullptr, &tv) != 1)
			{
				CSocketDeadline::ThreadReached();
				::WSASetLastError(WSAETIMEDOUT);
				return SOCKET_ERROR;
			}
		}
	}
	return ::recv(hSocket, pBuffer, nCapacity, nFlags);
}

// A connection attempt; under a deadline of the thread it is given up when the deadline passes.
bool BoundedConnect(UINT_PTR hSocket, const sockaddr_in& addr)
{
	DWORD dwLeft = CSocketDeadline::ThreadLeft();
	if (dwLeft == INFINITE)
		return ::connect(hSocket, reinterpret_cast<const sockaddr*>(&addr), sizeof(addr)) == 0;
	if (dwLeft == 0)
	{
		CSocketDeadline::ThreadReached();
		return false;
	}
	u_long nNonBlocking = 1;
	if (::ioctlsocket(hSocket, FIONBIO, &nNonBlocking) != 0)
		return false;
	bool bConnected = ::connect(hSocket, reinterpret_cast<const sockaddr*>(&addr), sizeof(addr)) == 0;
	if (!bConnected && ::WSAGetLastError() == WSAEWOULDBLOCK)
	{
		fd_set writable, failed;
		FD_ZERO(&writable);
		FD_SET(hSocket, &writable);
		FD_ZERO(&failed);
		FD_SET(hSocket, &failed);
		timeval tv = {static_cast<long>(dwLeft / 1000), static_cast<long>(dwLeft % 1000 * 1000)};
		int nReady = ::select(0, nullptr, &writable, &failed, &tv);
		if (nReady == 0)
			CSocketDeadline::ThreadReached();
		// A failed attempt is reported in the failed set only (then the count would not be 1).
		bConnected = nReady == 1 && FD_ISSET(hSocket, &writable);
	}
	nNonBlocking = 0;
	return ::ioctlsocket(hSocket, FIONBIO, &nNonBlocking) == 0 && bConnected;
}

// The response header straight off the socket: the bytes that have arrived are looked at under the same
// time limits as any receive, and only the header's part of them is taken.
class CSocketHeaderSource : public CHeaderSource
{
public:
	explicit CSocketHeaderSource(UINT_PTR hSocket) : m_hSocket(hSocket) {}

	int Peek(char* pBuffer, int nCapacity) override { return BoundedRecv(m_hSocket, pBuffer, nCapacity, MSG_PEEK); }
	// The bytes are there already: nothing to wait for.
	int Take(char* pBuffer, int nCount) override { return ::recv(m_hSocket, pBuffer, nCount, 0); }
	uint32_t Ticks() override { return ::GetTickCount(); }

private:
	UINT_PTR m_hSocket;
};
}

CHttpSocket::CHttpSocket()
	: m_szRequest{}, m_szResponse{}, m_nPort(80), m_szAddress{}, m_bIsConnected(0), m_hSocket(0),
	  m_pHostEntry(nullptr), m_nLineCursor(0), m_bHeaderRead(0), m_nHeaderLength(-1)
{
}

CHttpSocket::CHttpSocket(const CHttpSocket& other) = default;

CHttpSocket& CHttpSocket::operator=(const CHttpSocket& other) = default;

CHttpSocket::~CHttpSocket()
{
	CloseSocket();
}

int CHttpSocket::Socket()
{
	if (m_bIsConnected)
	{
		WriteLog(LOG_DEBG, "已建立Socket连接，创建Socket失败");
		return 0;
	}
	// A socket made earlier and never connected is replaced; closing it returns its start-up.
	if (IsValidSocket(m_hSocket))
		CloseSocket();

	WSADATA data;
	bool bStarted = ::WSAStartup(MAKEWORD(1, 1), &data) == 0;
	if (bStarted && data.wVersion != MAKEWORD(1, 1))
	{
		::WSACleanup();
		bStarted = false;
	}
	ForgetReceiveTimeout();
	m_hSocket = ::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
	if (m_hSocket != INVALID_SOCKET && !bStarted)
	{
		// Only another module's start-up made this socket possible: there is nothing of ours to release later.
		::closesocket(m_hSocket);
		m_hSocket = INVALID_SOCKET;
	}
	if (m_hSocket == INVALID_SOCKET)
	{
		if (bStarted)
			::WSACleanup();
		WriteLog(LOG_DEBG, "创建Socket对象失败");
		return 0;
	}
	return 1;
}

int CHttpSocket::Connect(char* pszHost, int nPort)
{
	if (!pszHost)
		return 0;
	if (m_bIsConnected)
	{
		WriteLog(LOG_DEBG, "若Socket已经连接,则先关闭");
		CloseSocket();
		Socket();
	}
	m_nPort = nPort;
	m_pHostEntry = ::gethostbyname(pszHost);
	if (!m_pHostEntry || !m_pHostEntry->h_addr_list || !m_pHostEntry->h_addr_list[0])
	{
		WriteLog(LOG_DEBG, "根据主机名获得IP地址失败");
		return 0;
	}
	const unsigned char* pAddress = reinterpret_cast<const unsigned char*>(m_pHostEntry->h_addr_list[0]);
	snprintf(m_szAddress, sizeof(m_szAddress), "%d.%d.%d.%d", pAddress[0], pAddress[1], pAddress[2], pAddress[3]);

	sockaddr_in addr = {};
	addr.sin_family = AF_INET;
	addr.sin_port = ::htons(static_cast<u_short>(m_nPort));
	memcpy(&addr.sin_addr, pAddress, sizeof(addr.sin_addr));
	if (!BoundedConnect(m_hSocket, addr))
	{
		WriteLog(LOG_ERR, "Socket连接失败");
		return 0;
	}
	m_bIsConnected = 1;
	return 1;
}

int CHttpSocket::CloseSocket()
{
	ForgetReceiveTimeout();
	if (m_hSocket != 0)
	{
		if (m_hSocket == INVALID_SOCKET || ::closesocket(m_hSocket) != 0)
			return 0;
		m_hSocket = 0;
		m_bIsConnected = 0;
		::WSACleanup();
		return 1;
	}
	m_bIsConnected = 0;
	return 1;
}

int CHttpSocket::SetTimeout(int nMilliseconds, int nKind)
{
	ForgetReceiveTimeout();
	DWORD dwMilliseconds = static_cast<DWORD>(nMilliseconds);
	bool bSet = ::setsockopt(m_hSocket, SOL_SOCKET, nKind == 0 ? SO_RCVTIMEO : SO_SNDTIMEO,
		reinterpret_cast<const char*>(&dwMilliseconds), sizeof(dwMilliseconds)) == 0;
	// The receives that follow need not ask for what was just set.
	if (bSet && nKind == 0)
		t_receiveTimeout = {m_hSocket, dwMilliseconds};
	return bSet;
}

const char* CHttpSocket::FormatRequestHeader(char* pszHost, char* pszObject, long& nLength, char* pszCookie,
	char* pszReferer, long nFrom, long nTo, int)
{
	memset(m_szRequest, 0, sizeof(m_szRequest));
	CFixedText text(m_szRequest, sizeof(m_szRequest));
	text << "GET " << pszObject << " HTTP/1.1\r\n";
	text << "Host:" << pszHost << "\r\n";
	if (pszReferer)
		text << "Referer:" << pszReferer << "\r\n";
	text << "Accept:*/*\r\n";
	text << "User-Agent:Mozilla/4.0 (compatible; MSIE 5.00; Windows 98)\r\n";
	text << "Connection:Keep-Alive\r\n";
	if (pszCookie)
		text << "Cookie:" << pszCookie << "\r\n";
	if (nFrom > 0)
	{
		text << "Range: bytes=" << nFrom << "-";
		if (nTo > nFrom)
			text << nTo;
		text << "\r\n";
	}
	text << "\r\n";

	// A cut header would be a request the server waits on forever: send nothing instead.
	if (!text.Fits())
		memset(m_szRequest, 0, sizeof(m_szRequest));
	nLength = text.Fits() ? static_cast<long>(text.Length()) : 0;
	return m_szRequest;
}

int CHttpSocket::SendRequest(const char* pszData, long nLength)
{
	if (!m_bIsConnected)
		return 0;
	long nText = static_cast<long>(strlen(m_szRequest));
	long nSend = nLength != 0 ? nLength : nText;
	if (!pszData)
	{
		pszData = m_szRequest;
		if (nSend > nText)
			nSend = nText;
	}
	if (nSend <= 0)
		return 0;
	if (::send(m_hSocket, pszData, nSend, 0) == SOCKET_ERROR)
		return 0;
	int nHeaderLength = 0;
	GetResponseHeader(nHeaderLength);
	return 1;
}

int CHttpSocket::GetRequestHeader(char* pszBuffer, int nCapacity) const
{
	int nCount = static_cast<int>(strlen(m_szRequest));
	if (nCount > nCapacity)
		nCount = nCapacity;
	if (nCount <= 0 || !pszBuffer)
		return 0;
	memcpy(pszBuffer, m_szRequest, nCount);
	return nCount;
}

long CHttpSocket::Receive(char* pBuffer, long nCapacity)
{
	if (!m_bIsConnected)
		return 0;
	long nReceived = BoundedRecv(m_hSocket, pBuffer, static_cast<int>(nCapacity));
	if (nReceived <= 0)
		CloseSocket();
	return nReceived;
}

const char* CHttpSocket::GetResponseHeader(int& nLength)
{
	// Without a connection there is no response to wait for; reading now would mark the header as read
	// and hide the real one.
	if (!m_bHeaderRead && m_bIsConnected)
	{
		CSocketHeaderSource source(m_hSocket);
		m_nHeaderLength = ReadResponseHeader(source, m_szResponse, sizeof(m_szResponse));
		m_bHeaderRead = 1;
	}
	nLength = m_nHeaderLength;
	return m_szResponse;
}

int CHttpSocket::GetResponseLine(char* pszBuffer, int nCapacity)
{
	return HeaderLine(m_szResponse, m_nHeaderLength, m_nLineCursor, pszBuffer, nCapacity);
}

int CHttpSocket::GetField(const char* pszName, char* pszBuffer, int nCapacity)
{
	return m_bHeaderRead ? HeaderField(m_szResponse, pszName, pszBuffer, nCapacity) : -1;
}

int CHttpSocket::IsChunked()
{
	return m_bHeaderRead && HeaderChunked(m_szResponse);
}

int CHttpSocket::GetServerState()
{
	return m_bHeaderRead ? HeaderStatus(m_szResponse, m_nHeaderLength) : -1;
}
