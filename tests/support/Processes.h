// Starting programs as the shell does, finding their windows, waiting, and the figures of benchmarks.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

namespace processes
{
// Starts the program with its path quoted and ARGS after a blank; its process handle, null on failure.
HANDLE Start(const std::string& strProgram, const std::string& strArgs = std::string());
// The same with ARGS in UTF-16, for texts that code page 936 cannot spell.
HANDLE Start(const std::string& strProgram, const std::wstring& strArgs);
// The first top-level window that passes the test; null when none does.
HWND FindTopLevel(const std::function<bool(HWND)>& test);
// The window's text read as UTF-16 and given in code page 936, whatever the system's code page.
std::string WindowText(HWND hWnd);
// The process that owns the window.
DWORD ProcessOf(HWND hWnd);

// Milliseconds of a steady clock.
double NowMs();
// The middle value (the mean of the two middle ones for an even count); 0 for none.
double Median(std::vector<double> values);
}

// Waits until the predicate holds, polling every 10 ms, at most nMs; the last result.
template <typename Pred>
bool WaitFor(Pred pred, DWORD nMs)
{
	DWORD dwStart = ::GetTickCount();
	for (;;)
	{
		if (pred())
			return true;
		if (::GetTickCount() - dwStart >= nMs)
			return pred();
		::Sleep(10);
	}
}
