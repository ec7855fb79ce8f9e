#include "support/LoopbackHttpServer.h"

#include "support/Processes.h"

#include <ws2tcpip.h>

CLoopbackHttpServer::CLoopbackHttpServer()
{
	WSADATA data;
	::WSAStartup(MAKEWORD(2, 2), &data);
	m_hStopEvent = ::CreateEventA(nullptr, TRUE, FALSE, nullptr);
}

CLoopbackHttpServer::~CLoopbackHttpServer()
{
	Stop();
	::CloseHandle(m_hStopEvent);
	::WSACleanup();
}

bool CLoopbackHttpServer::Start(const char* pszAddress, unsigned short nPort)
{
	m_hListen = ::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
	if (m_hListen == INVALID_SOCKET)
		return false;
	BOOL bReuse = TRUE;
	::setsockopt(m_hListen, SOL_SOCKET, SO_REUSEADDR, reinterpret_cast<const char*>(&bReuse), sizeof(bReuse));
	sockaddr_in addr = {};
	addr.sin_family = AF_INET;
	addr.sin_port = htons(nPort);
	addr.sin_addr.s_addr = ::inet_addr(pszAddress);
	if (::bind(m_hListen, reinterpret_cast<sockaddr*>(&addr), sizeof(addr)) != 0 || ::listen(m_hListen, 8) != 0)
	{
		::closesocket(m_hListen);
		m_hListen = INVALID_SOCKET;
		return false;
	}
	int cb = sizeof(addr);
	::getsockname(m_hListen, reinterpret_cast<sockaddr*>(&addr), &cb);
	m_nPort = ntohs(addr.sin_port);
	m_bStop = false;
	::ResetEvent(m_hStopEvent);
	m_thread = std::thread([this] { Serve(); });
	return true;
}

void CLoopbackHttpServer::Stop()
{
	if (!m_thread.joinable())
		return;
	m_bStop = true;
	::SetEvent(m_hStopEvent);
	::closesocket(m_hListen);
	SOCKET hClient = m_hClient.exchange(INVALID_SOCKET);
	if (hClient != INVALID_SOCKET)
		::closesocket(hClient);
	m_thread.join();
	m_hListen = INVALID_SOCKET;
}

void CLoopbackHttpServer::SetScript(std::vector<HttpStep> steps)
{
	std::lock_guard<std::mutex> lock(m_mutex);
	m_script = std::move(steps);
}

void CLoopbackHttpServer::SetResponse(const std::string& strStatusLine, const std::string& strHeaders,
	const std::string& strBody, bool bAddLength)
{
	std::string strResponse = strStatusLine + "\r\n" + strHeaders;
	if (bAddLength)
		strResponse += "Content-Length: " + std::to_string(strBody.size()) + "\r\n";
	strResponse += "\r\n" + strBody;
	SetScript({{HttpStep::Send, strResponse}, {HttpStep::Close, {}}});
}

std::vector<std::string> CLoopbackHttpServer::Requests() const
{
	std::lock_guard<std::mutex> lock(m_mutex);
	return m_requests;
}

std::vector<double> CLoopbackHttpServer::RequestTimes() const
{
	std::lock_guard<std::mutex> lock(m_mutex);
	return m_requestTimes;
}

std::vector<double> CLoopbackHttpServer::ClientCloseTimes() const
{
	std::lock_guard<std::mutex> lock(m_mutex);
	return m_clientCloseTimes;
}

void CLoopbackHttpServer::Serve()
{
	while (!m_bStop)
	{
		SOCKET hClient = ::accept(m_hListen, nullptr, nullptr);
		if (hClient == INVALID_SOCKET)
			break;
		m_hClient = hClient;
		++m_nConnections;
		Play(hClient);
		hClient = m_hClient.exchange(INVALID_SOCKET);
		if (hClient != INVALID_SOCKET)
			::closesocket(hClient);
	}
}

void CLoopbackHttpServer::Play(SOCKET hClient)
{
	// The request header, taken whole as it arrives (a receive per byte would make a longer request cost
	// the server more time, which benchmarks would charge to the client).
	std::string strRequest;
	char szPiece[4096];
	int nPeeked;
	while (strRequest.size() < 65536 && (nPeeked = ::recv(hClient, szPiece, sizeof(szPiece), MSG_PEEK)) > 0)
	{
		size_t nBefore = strRequest.size();
		strRequest.append(szPiece, nPeeked);
		size_t nEnd = strRequest.find("\r\n\r\n", nBefore < 3 ? 0 : nBefore - 3);
		if (nEnd != std::string::npos)
			strRequest.resize(nEnd + 4);
		if (::recv(hClient, szPiece, static_cast<int>(strRequest.size() - nBefore), 0) <= 0 || nEnd != std::string::npos)
			break;
	}
	std::vector<HttpStep> script;
	{
		std::lock_guard<std::mutex> lock(m_mutex);
		m_requests.push_back(strRequest);
		m_requestTimes.push_back(processes::NowMs());
		script = m_script;
	}
	for (const HttpStep& step : script)
	{
		if (m_bStop)
			return;
		switch (step.kind)
		{
		case HttpStep::Send:
			for (unsigned n = 0; n < step.repeat && !m_bStop; ++n)
			{
				if (::send(hClient, step.data.data(), static_cast<int>(step.data.size()), 0) == SOCKET_ERROR)
					return;
			}
			break;
		case HttpStep::Pause:
			::WaitForSingleObject(m_hStopEvent, step.ms);
			break;
		case HttpStep::Close:
			return;
		}
	}
	// Stalled: hold the connection until the client goes away or the server stops.
	char ch;
	while (!m_bStop && ::recv(hClient, &ch, 1, 0) > 0)
	{
	}
	if (!m_bStop)
	{
		std::lock_guard<std::mutex> lock(m_mutex);
		m_clientCloseTimes.push_back(processes::NowMs());
	}
}
