// The settings server of the Stat.dll tests on 127.0.0.2:80. Another test run on the same machine may
// hold that port for a few seconds: wait for it rather than fail.
#pragma once

#include "support/LoopbackHttpServer.h"

inline bool StartStatServer(CLoopbackHttpServer& server)
{
	for (int nTry = 0; nTry < 480; ++nTry)
	{
		if (server.Start("127.0.0.2", 80))
			return true;
		::Sleep(250);
	}
	return false;
}
