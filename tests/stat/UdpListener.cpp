#include "tests/stat/UdpListener.h"

CUdpListener::CUdpListener()
{
	WSADATA data;
	::WSAStartup(MAKEWORD(2, 2), &data);
}

CUdpListener::~CUdpListener()
{
	if (m_hSocket != INVALID_SOCKET)
		::closesocket(m_hSocket);
	::WSACleanup();
}

bool CUdpListener::Start(const char* pszAddress)
{
	m_hSocket = ::socket(AF_INET, SOCK_DGRAM, IPPROTO_UDP);
	if (m_hSocket == INVALID_SOCKET)
		return false;
	sockaddr_in addr = {};
	addr.sin_family = AF_INET;
	addr.sin_addr.s_addr = ::inet_addr(pszAddress);
	if (::bind(m_hSocket, reinterpret_cast<sockaddr*>(&addr), sizeof(addr)) != 0)
		return false;
	int cb = sizeof(addr);
	::getsockname(m_hSocket, reinterpret_cast<sockaddr*>(&addr), &cb);
	m_nPort = ntohs(addr.sin_port);
	return true;
}

bool CUdpListener::Receive(std::string& strDatagram, DWORD nTimeout)
{
	fd_set readable;
	FD_ZERO(&readable);
	FD_SET(m_hSocket, &readable);
	timeval wait = {static_cast<long>(nTimeout / 1000), static_cast<long>(nTimeout % 1000 * 1000)};
	if (::select(0, &readable, nullptr, nullptr, &wait) != 1)
		return false;
	char buffer[65536];
	int cb = ::recv(m_hSocket, buffer, sizeof(buffer), 0);
	if (cb < 0)
		return false;
	strDatagram.assign(buffer, cb);
	return true;
}

std::vector<std::string> CUdpListener::Collect(DWORD nDuration)
{
	std::vector<std::string> datagrams;
	DWORD nStart = ::GetTickCount();
	for (;;)
	{
		DWORD nElapsed = ::GetTickCount() - nStart;
		std::string strDatagram;
		if (nElapsed >= nDuration || !Receive(strDatagram, nDuration - nElapsed))
			break;
		datagrams.push_back(strDatagram);
	}
	return datagrams;
}
