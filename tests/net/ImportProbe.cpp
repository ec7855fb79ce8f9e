// A module that uses CHttpSocket only through the program's import library: built without the
// program's sources, it binds to CHttpSocket in whichever QuiloPlayer.exe loads it.
#include "net/HttpSocket.h"

#include <cstdio>
#include <memory>

// Fetches "/probe" from 127.0.0.1:nPort and writes "status|X-Probe value|body" into pszResult.
extern "C" __declspec(dllexport) int ProbeHttpSocket(unsigned short nPort, char* pszResult, int nCapacity)
{
	// Created and destroyed through the program's constructor and virtual destructor.
	auto socket = std::make_unique<CHttpSocket>();
	char szHost[] = "127.0.0.1", szObject[] = "/probe";
	long nLength = 0;
	socket->FormatRequestHeader(szHost, szObject, nLength, nullptr, nullptr, 0, 0, 0);
	if (!socket->Socket() || !socket->Connect(szHost, nPort) || !socket->SetTimeout(6000, 0)
		|| !socket->SendRequest(nullptr, 0))
		return 0;
	CHttpSocket copy(*socket);
	char szValue[16] = {};
	copy.GetField("X-Probe", szValue, sizeof(szValue));
	char szBody[16] = {};
	long nBody = socket->Receive(szBody, sizeof(szBody) - 1);
	snprintf(pszResult, nCapacity, "%d|%s|%s", copy.GetServerState(), szValue, nBody > 0 ? szBody : "");
	return 1;
}
