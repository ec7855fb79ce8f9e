/* A host of the zipped Stat.dll, built with the zip's Stat.h and import library only: it starts the worker,
   waits until its callback has filled a few connection reports, stops the worker and prints what it saw.
   Exit code 0 only when reports came. */
#include <winsock2.h>
#include <stdio.h>
#include <string.h>

#include "Stat.h"

static volatile LONG g_nKind1, g_nKind2, g_nOther;

/* Kind 1 sends nothing; kind 2 sends 32 bytes, byte 0 included (the library writes the kind there). */
static int __cdecl Report(char* pBuffer, int nKind)
{
	if (nKind == 1)
	{
		InterlockedIncrement(&g_nKind1);
		return 0;
	}
	if (nKind != 2)
	{
		InterlockedIncrement(&g_nOther);
		return 0;
	}
	memcpy(pBuffer, "?zip-host-report-0123456789abcde", 32);
	InterlockedIncrement(&g_nKind2);
	return 32;
}

int main(void)
{
	WSADATA wsa;
	HANDLE hThread;
	int i;
	if (WSAStartup(MAKEWORD(2, 2), &wsa) != 0)
		return 2;
	hThread = StartLogThread(Report);
	if (!hThread)
		return 3;
	for (i = 0; i < 300 && g_nKind2 < 3; ++i)
		Sleep(100);
	printf("exit=%d\n", ExitLogThread(hThread));
	printf("kind1=%ld kind2=%ld other=%ld\n", g_nKind1, g_nKind2, g_nOther);
	fflush(stdout);
	WSACleanup();
	return g_nKind1 > 0 && g_nKind2 >= 3 && g_nOther == 0 ? 0 : 1;
}
