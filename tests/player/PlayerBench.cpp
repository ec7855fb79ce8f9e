// Player benchmark, run by scripts/bench.d/player.sh in a folder holding QuiloPlayer.exe and the two
// baseline programs. It prints medians and their ratios against the baselines measured in the same run:
//   start-up:  process start to the visible player window (configuration served on 127.0.0.3:80),
//              against the same for a bare Win32 dialog program;
//   hand-off:  start of a second instance to the control receiving the link (stand-in journal),
//              against the same for a minimal program that finds the window and sends the link (the
//              fair floor), and against the start of a process that ends at once, to its end.
#include "PlayerHarness.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>

namespace
{

using processes::Median;
using processes::NowMs;
using processes::Start;

// Milliseconds from the start of the bare dialog program to its visible window; -1 on failure.
double BareDialogStart(const std::string& strFolder)
{
	double dStart = NowMs();
	HANDLE hProcess = Start(strFolder + "bench_bare_dialog.exe");
	if (!hProcess)
		return -1;
	DWORD dwProcessId = ::GetProcessId(hProcess);
	bool bShown = WaitFor([&] {
		return processes::FindTopLevel([dwProcessId](HWND hWnd) {
			return processes::ProcessOf(hWnd) == dwProcessId && ::IsWindowVisible(hWnd);
		}) != nullptr;
	}, 15000);
	double dElapsed = NowMs() - dStart;
	::TerminateProcess(hProcess, 0);
	::WaitForSingleObject(hProcess, 5000);
	::CloseHandle(hProcess);
	return bShown ? dElapsed : -1;
}

double ExitAtOnce(const std::string& strFolder)
{
	double dStart = NowMs();
	HANDLE hProcess = Start(strFolder + "bench_exit_at_once.exe");
	if (!hProcess)
		return -1;
	::WaitForSingleObject(hProcess, 15000);
	double dElapsed = NowMs() - dStart;
	::CloseHandle(hProcess);
	return dElapsed;
}

void Report(const char* pszName, const std::vector<double>& measured, const char* pszBaseline,
	const std::vector<double>& baseline)
{
	double dMeasured = Median(measured);
	double dBaseline = Median(baseline);
	printf("%-10s %8.1f ms   %-28s %8.1f ms   ratio %.2f\n", pszName, dMeasured, pszBaseline, dBaseline,
		dBaseline > 0 ? dMeasured / dBaseline : 0.0);
}
}

int main(int argc, char** argv)
{
	int nRounds = argc > 1 ? atoi(argv[1]) : 7;
	if (nRounds < 1)
		nRounds = 1;
	CPlayerHarness harness;
	if (!harness.Start())
	{
		printf("cannot serve the client configuration on 127.0.0.3:80\n");
		return 1;
	}
	std::string strFolder = harness.Folder();
	std::vector<double> playerStarts, bareStarts, handOffs, floorHandOffs, bareProcesses;
	// Milliseconds from the start of the process (null: a second player) to the link reaching the control.
	auto handOff = [&](const char* pszFloor, const std::string& strLink) {
		std::string strExpected = "flash SetMovie " + strLink;
		std::string strArgs = "\"tarntvstream://" + strLink + "/\"";
		harness.ClearJournal();
		double dStart = NowMs();
		HANDLE hProcess = pszFloor ? Start(strFolder + pszFloor, strArgs) : harness.Launch(strArgs);
		bool bPlayed = WaitFor([&] {
			std::vector<std::string> calls = harness.Calls();
			return std::find(calls.begin(), calls.end(), strExpected) != calls.end();
		}, 15000);
		double dElapsed = NowMs() - dStart;
		if (hProcess)
		{
			::WaitForSingleObject(hProcess, 15000);
			::CloseHandle(hProcess);
		}
		return bPlayed ? dElapsed : -1;
	};
	for (int i = 0; i < nRounds; ++i)
	{
		double dStart = NowMs();
		if (!harness.StartPlayer())
		{
			printf("the player window did not show\n");
			return 1;
		}
		playerStarts.push_back(NowMs() - dStart);

		std::string strLink = "http://127.0.0.3/bench" + std::to_string(i) + ".flv";
		double dHandOff = handOff(nullptr, strLink);
		double dFloor = handOff("bench_handoff_floor.exe", strLink + "?floor");
		harness.KillPlayer();
		if (dHandOff < 0 || dFloor < 0)
		{
			printf("the hand-off did not reach the Flash control\n");
			return 1;
		}
		handOffs.push_back(dHandOff);
		floorHandOffs.push_back(dFloor);

		bareStarts.push_back(BareDialogStart(strFolder));
		bareProcesses.push_back(ExitAtOnce(strFolder));
	}
	printf("median of %d rounds (64-bit build under Wine)\n", nRounds);
	Report("start-up", playerStarts, "bare dialog program", bareStarts);
	Report("hand-off", handOffs, "hand-off floor program", floorHandOffs);
	Report("hand-off", handOffs, "process that ends at once", bareProcesses);
	return 0;
}
