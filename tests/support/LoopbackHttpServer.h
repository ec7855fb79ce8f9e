// A scripted HTTP server on a loopback address, running on its own thread inside the test program.
// For every connection it reads the request header, records it, then plays the current script:
// bytes to send, pauses, and an optional close. A script that ends without a close leaves the
// connection open (a stalled server) until the client closes it or the server stops.
#pragma once

// windows.h brings the Winsock 1.1 header, which provides the same SOCKET type; including winsock2.h
// after it only warns, so any include order works.
#ifndef _WINSOCKAPI_
#include <winsock2.h>
#endif

#include <atomic>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

struct HttpStep
{
	enum Kind { Send, Pause, Close } kind;
	std::string data;
	DWORD ms = 0;
	// Send: how many times the data goes out, until the client stops taking it.
	unsigned repeat = 1;
};

class CLoopbackHttpServer
{
public:
	CLoopbackHttpServer();
	~CLoopbackHttpServer();
	CLoopbackHttpServer(const CLoopbackHttpServer&) = delete;
	CLoopbackHttpServer& operator=(const CLoopbackHttpServer&) = delete;

	// Listens on address:port (port 0 picks a free one, see Port()).
	bool Start(const char* pszAddress, unsigned short nPort);
	void Stop();
	unsigned short Port() const { return m_nPort; }

	void SetScript(std::vector<HttpStep> steps);
	// A whole response in one piece followed by a close: status line, header lines, body.
	// A Content-Length line is added when bAddLength is set.
	void SetResponse(const std::string& strStatusLine, const std::string& strHeaders, const std::string& strBody,
		bool bAddLength = true);

	std::vector<std::string> Requests() const;
	int ConnectionCount() const { return m_nConnections; }
	// When (processes::NowMs) each request header was in, and each client closed a connection that its
	// script left open: what a client's download took, seen from the server.
	std::vector<double> RequestTimes() const;
	std::vector<double> ClientCloseTimes() const;

private:
	void Serve();
	void Play(SOCKET hClient);

	SOCKET m_hListen = INVALID_SOCKET;
	std::atomic<SOCKET> m_hClient{INVALID_SOCKET};
	unsigned short m_nPort = 0;
	std::thread m_thread;
	std::atomic<bool> m_bStop{false};
	std::atomic<int> m_nConnections{0};
	mutable std::mutex m_mutex;
	std::vector<HttpStep> m_script;
	std::vector<std::string> m_requests;
	std::vector<double> m_requestTimes;
	std::vector<double> m_clientCloseTimes;
	HANDLE m_hStopEvent = nullptr;
};
