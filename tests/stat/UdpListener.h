// A UDP socket bound to a loopback address that collects the report datagrams of a test.
#pragma once

#include <winsock2.h>

#include <string>
#include <vector>

class CUdpListener
{
public:
	CUdpListener();
	~CUdpListener();
	CUdpListener(const CUdpListener&) = delete;
	CUdpListener& operator=(const CUdpListener&) = delete;

	// Binds address with a free port.
	bool Start(const char* pszAddress);
	unsigned short Port() const { return m_nPort; }
	// The next datagram, or false when none came within nTimeout ms.
	bool Receive(std::string& strDatagram, DWORD nTimeout);
	// Every datagram that arrives within nDuration ms.
	std::vector<std::string> Collect(DWORD nDuration);

private:
	SOCKET m_hSocket = INVALID_SOCKET;
	unsigned short m_nPort = 0;
};
