// Player benchmark, run by scripts/bench.d/player.sh in a folder holding QuiloPlayer.exe and the baseline
// programs. It prints medians and their ratios against baselines measured in the same run:
//   start-up:  process start to the visible player window (configuration served on 127.0.0.3:80), against
//              a bare Win32 dialog program, against the fair floor (a dialog program that initialises the
//              common controls and OLE and fetches the same document with WinINet before it shows) and
//              against the same-work floor (that work, and the player's two dialogs hosting the same three
//              controls in atl.dll's host windows at the player's sizes), the player and that floor timed by
//              the same probe; a second start of the player, probed step by step, gives its phases, and the
//              floor's own probe its phases;
//   memory:    the private memory (committed memory no other process shares) of the player and of the
//              same-work floor when the probe sees their windows shown;
//   hand-off:  start of a second instance to the control receiving the link (stand-in journal), against a
//              minimal program that finds the window and sends the link (the fair floor), and against the
//              start of a process that ends at once, to its end.
//   bench_player [ROUNDS] [start-only]: start-only leaves the hand-off out (the runs at other display scales).
#include "PlayerHarness.h"
#include "support/Wide936.h"

#include <psapi.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <functional>

namespace
{

using processes::Median;
using processes::NowMs;
using processes::Start;

const char kConfigUrl[] = "http://127.0.0.3/vmp/clientconfig.html";

// Milliseconds from the start of a baseline program to its visible window; -1 on failure.
double DialogStart(const std::string& strProgram, const std::string& strArgs = std::string())
{
	double dStart = NowMs();
	HANDLE hProcess = Start(strProgram, strArgs);
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
	const std::vector<double>& baseline, const char* pszUnit = "ms")
{
	double dMeasured = Median(measured);
	double dBaseline = Median(baseline);
	printf("%-10s %8.1f %s   %-28s %8.1f %s   ratio %.2f\n", pszName, dMeasured, pszUnit, pszBaseline, dBaseline,
		pszUnit, dBaseline > 0 ? dMeasured / dBaseline : 0.0);
}

// The process's private memory (its commit charge) in MiB; -1 when it cannot be read. Windows gives it twice,
// as PrivateUsage and as PagefileUsage; Wine 8 fills only the second (from the process's resident anonymous
// memory).
double PrivateMiB(HANDLE hProcess)
{
	PROCESS_MEMORY_COUNTERS_EX counters = {};
	counters.cb = sizeof(counters);
	if (!::GetProcessMemoryInfo(hProcess, reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&counters), sizeof(counters)))
		return -1;
	SIZE_T cbPrivate = counters.PrivateUsage ? counters.PrivateUsage : counters.PagefileUsage;
	return cbPrivate ? static_cast<double>(cbPrivate) / (1024.0 * 1024.0) : -1;
}

// The display scale of the prefix (LogPixels; 96 when unset).
DWORD PrefixDpi()
{
	DWORD dwDpi = 96;
	DWORD cb = sizeof(dwDpi);
	if (::RegGetValueA(HKEY_CURRENT_USER, "Control Panel\\Desktop", "LogPixels", RRF_RT_REG_DWORD, nullptr, &dwDpi, &cb)
		!= ERROR_SUCCESS)
		dwDpi = 96;
	return dwDpi;
}

// The steps of the player's start as another process sees them, each ending a phase; the server's own
// clock gives the two ends of the download.
const char* const kPhases[] = {"loader (to the instance mutex)", "application start (to the window)",
	"dialog creation (to the request)", "download", "skin (caption style gone)", "side panel",
	"controls (both hosted)", "first paint (visible)"};
const size_t kPhaseCount = sizeof(kPhases) / sizeof(kPhases[0]);
// What follows the first paint, timed after the phases and no part of the start: the button's tooltip and both
// URL schemes (taken out of the registry before each start) are there.
const char kAfterPaint[] = "after the first paint (tooltip, schemes)";
const char* const kSchemeCommands[] = {"tarntvstream\\shell\\open\\command", "wenlive2\\shell\\open\\command"};

bool UnseenWorkDone(HWND hWndPlayer)
{
	bool bTooltip = HasTooltipWindow(::GetWindowThreadProcessId(hWndPlayer, nullptr));
	for (const char* pszKey : kSchemeCommands)
	{
		HKEY hKey = nullptr;
		if (!bTooltip || ::RegOpenKeyExA(HKEY_CLASSES_ROOT, pszKey, 0, KEY_READ, &hKey) != ERROR_SUCCESS)
			return false;
		::RegCloseKey(hKey);
	}
	return bTooltip;
}

bool HasSidePanel(DWORD dwProcessId, HWND hWndPlayer)
{
	return processes::FindTopLevel([&](HWND hWnd) {
		return hWnd != hWndPlayer && processes::ProcessOf(hWnd) == dwProcessId
			&& ::GetWindow(hWnd, GW_OWNER) == hWndPlayer;
	}) != nullptr;
}

int HostedControls(HWND hWndPlayer)
{
	int nCount = 0;
	for (HWND hWnd = ::GetWindow(hWndPlayer, GW_CHILD); hWnd; hWnd = ::GetWindow(hWnd, GW_HWNDNEXT))
	{
		char szClass[16] = {};
		::GetClassNameA(hWnd, szClass, sizeof(szClass));
		nCount += strncmp(szClass, "AtlAxWin", 8) == 0;
	}
	return nCount;
}

using Steps = std::vector<std::function<bool(double&)>>;

// Tries each step once its predecessor has held (a step may give the time itself: the server's clock); the
// durations of the phases from dStart, empty when a step was not seen within 15 s or the process ended.
std::vector<double> TimeSteps(double dStart, const Steps& steps, HANDLE hProcess)
{
	std::vector<double> times;
	while (times.size() < steps.size() && NowMs() - dStart < 15000)
	{
		double dAt = NowMs();
		if (steps[times.size()](dAt))
			times.push_back(dAt);
		else if (::WaitForSingleObject(hProcess, 1) == WAIT_OBJECT_0)
			break;
	}
	if (times.size() < steps.size())
		return {};
	std::vector<double> phases;
	for (size_t i = 0; i < times.size(); ++i)
		phases.push_back(std::max(0.0, times[i] - (i ? times[i - 1] : dStart)));
	return phases;
}

// Starts the first instance and times each step of its start; the durations of the phases, empty when a
// step was not seen within 15 s. The player keeps running (hPlayer).
std::vector<double> ProfileStart(CPlayerHarness& harness, HANDLE& hPlayer)
{
	CLoopbackHttpServer& server = harness.Server();
	size_t nRequests = server.RequestTimes().size();
	size_t nCloses = server.ClientCloseTimes().size();
	for (const char* pszScheme : {"tarntvstream", "wenlive2"})
		::RegDeleteTreeA(HKEY_CLASSES_ROOT, pszScheme);
	double dStart = NowMs();
	hPlayer = harness.Launch(std::string());
	if (!hPlayer)
		return {};
	DWORD dwProcessId = ::GetProcessId(hPlayer);
	HWND hWnd = nullptr;
	Steps steps = {
		[&](double&) {
			HANDLE hMutex = ::OpenMutexA(SYNCHRONIZE, FALSE, "Zefra_QuiloPlayer_Client");
			if (hMutex)
				::CloseHandle(hMutex);
			return hMutex != nullptr;
		},
		[&](double&) { return (hWnd = FindPlayerWindow(dwProcessId)) != nullptr; },
		[&](double& dAt) {
			std::vector<double> times = server.RequestTimes();
			return times.size() > nRequests && (dAt = times[nRequests], true);
		},
		[&](double& dAt) {
			std::vector<double> times = server.ClientCloseTimes();
			return times.size() > nCloses && (dAt = times[nCloses], true);
		},
		[&](double&) { return (::GetWindowLongPtrA(hWnd, GWL_STYLE) & WS_CAPTION) != WS_CAPTION; },
		[&](double&) { return HasSidePanel(dwProcessId, hWnd); },
		[&](double&) { return HostedControls(hWnd) >= 2; },
		[&](double&) { return ::IsWindowVisible(hWnd) != FALSE; },
		[&](double&) { return UnseenWorkDone(hWnd); },
	};
	return TimeSteps(dStart, steps, hPlayer);
}

const char* const kFloorPhases[] = {"loader, OLE, atl (to the request)", "download, dialogs and browser",
	"Flash and live controls, shown"};
const size_t kFloorPhaseCount = sizeof(kFloorPhases) / sizeof(kFloorPhases[0]);

// Starts the same-work floor (or the player) and times its start to its visible main window hosting two
// controls beside its visible side panel hosting one, the same probe for both; empty, with the reason in
// strFailure, when that was not seen. dMemory: its private memory in MiB when that was seen.
std::vector<double> ProfileShown(CPlayerHarness& harness, bool bPlayer, std::string& strFailure, double& dMemory)
{
	CLoopbackHttpServer& server = harness.Server();
	size_t nRequests = server.RequestTimes().size();
	double dStart = NowMs();
	HANDLE hProcess = bPlayer ? harness.Launch(std::string())
		: Start(harness.Folder() + "bench_same_work_floor.exe", kConfigUrl);
	if (!hProcess)
	{
		strFailure = "cannot be started";
		return {};
	}
	DWORD dwProcessId = ::GetProcessId(hProcess);
	auto topLevel = [dwProcessId](bool bOwned) {
		return processes::FindTopLevel([=](HWND hWnd) {
			return processes::ProcessOf(hWnd) == dwProcessId && ::IsWindowVisible(hWnd)
				&& (::GetWindow(hWnd, GW_OWNER) != nullptr) == bOwned;
		});
	};
	Steps steps = {
		[&](double& dAt) {
			std::vector<double> times = server.RequestTimes();
			return times.size() > nRequests && (dAt = times[nRequests], true);
		},
		[&](double&) {
			HWND hPanel = topLevel(true);
			return hPanel && HostedControls(hPanel) == 1;
		},
		[&](double&) {
			HWND hWnd = topLevel(false);
			bool bShown = hWnd && HostedControls(hWnd) == 2;
			if (bShown)
				dMemory = PrivateMiB(hProcess);
			return bShown;
		},
	};
	dMemory = -1;
	std::vector<double> phases = TimeSteps(dStart, steps, hProcess);
	DWORD dwExit = STILL_ACTIVE;
	if (phases.empty() && ::GetExitCodeProcess(hProcess, &dwExit) && dwExit != STILL_ACTIVE)
		strFailure = !bPlayer && dwExit == 2 ? "ended: its download failed"
			: !bPlayer && dwExit == 3 ? "ended: a control was not hosted" : "ended with code " + std::to_string(dwExit);
	else if (phases.empty())
		strFailure = "did not show its windows with the three controls hosted within 15 s";
	::TerminateProcess(hProcess, 0);
	::WaitForSingleObject(hProcess, 5000);
	::CloseHandle(hProcess);
	return phases;
}
}

int main(int argc, char** argv)
{
	int nRounds = argc > 1 ? atoi(argv[1]) : 7;
	if (nRounds < 1)
		nRounds = 1;
	bool bHandOff = !(argc > 2 && strcmp(argv[2], "start-only") == 0);
	CPlayerHarness harness;
	if (!harness.Start())
	{
		printf("cannot serve the client configuration on 127.0.0.3:80\n");
		return 1;
	}
	std::string strFolder = harness.Folder();
	// As a user's player runs: failures logged, no traces.
	w936::WritePrivateProfileStringA("Debug", "DebugLevel", "1", (strFolder + "tarnconfig.ini").c_str());
	// The response stays open so that the server sees when the player has read it and closed.
	std::string strBody = std::string("weburl=http://127.0.0.3/vmp/default_new.aspx##playerurl=") + kDemoPlayerUrl
		+ "##defaultloadingurl=" + kDemoLoadingUrl + "##";
	harness.Server().SetScript({{HttpStep::Send, "HTTP/1.1 200 OK\r\nContent-Type: text/html\r\nContent-Length: "
		+ std::to_string(strBody.size()) + "\r\n\r\n" + strBody}});

	std::vector<double> playerStarts, playerShown, bareStarts, fairStarts, sameStarts, handOffs, floorHandOffs,
		bareProcesses, playerMemory, floorMemory;
	std::vector<std::vector<double>> phases(kPhaseCount), floorPhases(kFloorPhaseCount);
	std::vector<double> afterPaint;
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
		HANDLE hPlayer = nullptr;
		std::vector<double> profile = ProfileStart(harness, hPlayer);
		double dHandOff = -1, dFloor = -1;
		if (!profile.empty() && bHandOff)
		{
			std::string strLink = "http://127.0.0.3/bench" + std::to_string(i) + ".flv";
			dHandOff = handOff(nullptr, strLink);
			dFloor = handOff("bench_handoff_floor.exe", strLink + "?floor");
		}
		if (hPlayer)
		{
			::TerminateProcess(hPlayer, 0);
			::WaitForSingleObject(hPlayer, 5000);
			::CloseHandle(hPlayer);
		}
		if (profile.empty())
		{
			printf("a step of the player's start did not show within 15 s\n");
			return 1;
		}
		if (bHandOff && (dHandOff < 0 || dFloor < 0))
		{
			printf("the hand-off did not reach the Flash control\n");
			return 1;
		}
		double dTotal = 0;
		for (size_t n = 0; n < kPhaseCount; ++n)
		{
			phases[n].push_back(profile[n]);
			dTotal += profile[n];
		}
		playerStarts.push_back(dTotal);
		afterPaint.push_back(profile[kPhaseCount]);
		handOffs.push_back(dHandOff);
		floorHandOffs.push_back(dFloor);

		bareStarts.push_back(DialogStart(strFolder + "bench_bare_dialog.exe"));
		fairStarts.push_back(DialogStart(strFolder + "bench_fair_floor.exe", kConfigUrl));
		std::string strFailure;
		double dFloorMemory = -1, dPlayerMemory = -1;
		std::vector<double> floorProfile = ProfileShown(harness, false, strFailure, dFloorMemory);
		if (floorProfile.empty())
		{
			printf("the same-work floor program %s\n", strFailure.c_str());
			return 1;
		}
		std::vector<double> shown = ProfileShown(harness, true, strFailure, dPlayerMemory);
		if (shown.empty())
		{
			printf("the player %s\n", strFailure.c_str());
			return 1;
		}
		if (dFloorMemory < 0 || dPlayerMemory < 0)
		{
			printf("the private memory of a shown window's process could not be read\n");
			return 1;
		}
		floorMemory.push_back(dFloorMemory);
		playerMemory.push_back(dPlayerMemory);
		playerShown.push_back(shown[0] + shown[1] + shown[2]);
		dTotal = 0;
		for (size_t n = 0; n < kFloorPhaseCount; ++n)
		{
			floorPhases[n].push_back(floorProfile[n]);
			dTotal += floorProfile[n];
		}
		sameStarts.push_back(dTotal);
		if (bHandOff)
			bareProcesses.push_back(ExitAtOnce(strFolder));
	}
	if (std::count(fairStarts.begin(), fairStarts.end(), -1.0) || std::count(bareStarts.begin(), bareStarts.end(), -1.0))
	{
		printf("a baseline program did not show its window\n");
		return 1;
	}
	printf("median of %d rounds (%d-bit build under Wine, %lu DPI)\n", nRounds, static_cast<int>(sizeof(void*) * 8),
		PrefixDpi());
	// The start-up lines time the player as the baselines are timed, by a light probe; the profiled start,
	// whose many probes slow the player a little, gives the phases.
	Report("start-up", playerShown, "bare dialog program", bareStarts);
	Report("start-up", playerShown, "fair floor program", fairStarts);
	Report("start-up", playerShown, "same-work floor", sameStarts);
	// Each round starts the player and the floor one after the other: the ratio within a round is less
	// disturbed by a load on the machine that comes and goes than the ratio of the medians.
	std::vector<double> paired;
	for (size_t i = 0; i < playerShown.size() && i < sameStarts.size(); ++i)
		paired.push_back(playerShown[i] / sameStarts[i]);
	std::sort(paired.begin(), paired.end());
	printf("%-10s same-work floor, ratio within each round: median %.2f (lowest %.2f, highest %.2f)\n", "start-up",
		Median(paired), paired.front(), paired.back());
	// Private memory once the windows show: the player's against the same-work floor's.
	Report("memory", playerMemory, "same-work floor", floorMemory, "MiB");
	if (bHandOff)
	{
		Report("hand-off", handOffs, "hand-off floor program", floorHandOffs);
		Report("hand-off", handOffs, "process that ends at once", bareProcesses);
	}
	printf("start-up phases (medians; profiled start %.1f ms):\n", Median(playerStarts));
	for (size_t n = 0; n < kPhaseCount; ++n)
		printf("  %-36s %8.1f ms\n", kPhases[n], Median(phases[n]));
	printf("  %-36s %8.1f ms (longest %.1f)\n", kAfterPaint, Median(afterPaint),
		*std::max_element(afterPaint.begin(), afterPaint.end()));
	printf("same-work floor phases (medians):\n");
	for (size_t n = 0; n < kFloorPhaseCount; ++n)
		printf("  %-36s %8.1f ms\n", kFloorPhases[n], Median(floorPhases[n]));
	return 0;
}
