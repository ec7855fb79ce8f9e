// CHttpSocket: a blocking HTTP/1.1 client over one Windows Sockets 1.1 stream connection.
// QuiloPlayer.exe exports the class; other modules include this header and link against the
// program's import library. Flags are 1 for success and 0 for failure.
#pragma once

#include <windows.h>

#ifdef QUILO_HTTPSOCKET_EXPORTS
#define QUILO_HTTPSOCKET_API __declspec(dllexport)
#else
#define QUILO_HTTPSOCKET_API __declspec(dllimport)
#endif

struct hostent;

class QUILO_HTTPSOCKET_API CHttpSocket
{
public:
	CHttpSocket();
	// Copies share the connection: the handle is copied, not duplicated.
	CHttpSocket(const CHttpSocket& other);
	CHttpSocket& operator=(const CHttpSocket& other);
	virtual ~CHttpSocket();

// Connection
	int Socket();
	int Connect(char* pszHost, int nPort);
	int CloseSocket();
	// nKind 0 sets the receive time-out, any other value the send time-out.
	int SetTimeout(int nMilliseconds, int nKind);

// Request
	// Composes the GET header in m_szRequest; the range line is written only for a start above 0.
	// A header that would not fit in the buffer is refused: the result is empty and nLength is 0.
	const char* FormatRequestHeader(char* pszHost, char* pszObject, long& nLength, char* pszCookie,
		char* pszReferer, long nFrom, long nTo, int nServerType);
	// Sends pszData (or the composed header when null) and reads the response header.
	int SendRequest(const char* pszData, long nLength);
	int GetRequestHeader(char* pszBuffer, int nCapacity) const;

// Response
	// One receive call: the byte count, 0 when the server closed, -1 on failure (both close the socket).
	long Receive(char* pBuffer, long nCapacity);
	const char* GetResponseHeader(int& nLength);
	int GetResponseLine(char* pszBuffer, int nCapacity);
	int GetField(const char* pszName, char* pszBuffer, int nCapacity);
	int GetServerState();
	// 1 when the body comes in the chunked coding (Transfer-Encoding), which the reader must decode.
	int IsChunked();

protected:
	char m_szRequest[1024];
	char m_szResponse[1024];   // at most 1023 header bytes, always zero-terminated
	int m_nPort;
	char m_szAddress[256];
	int m_bIsConnected;
	UINT_PTR m_hSocket;        // SOCKET; 0 when none
	hostent* m_pHostEntry;     // owned by the socket library
	int m_nLineCursor;
	int m_bHeaderRead;
	int m_nHeaderLength;
};
