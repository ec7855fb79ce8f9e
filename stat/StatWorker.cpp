#include "stat/StatWorker.h"

#include <cstdio>
#include <cstring>

namespace
{
class CUdpSocket
{
public:
	CUdpSocket() : m_h(::socket(AF_INET, SOCK_DGRAM, 0)) {}
	~CUdpSocket()
	{
		if (m_h != INVALID_SOCKET)
			::closesocket(m_h);
	}
	CUdpSocket(const CUdpSocket&) = delete;
	CUdpSocket& operator=(const CUdpSocket&) = delete;
	SOCKET Get() const { return m_h; }

private:
	SOCKET m_h;
};
}

bool CStatWorker::Prepare(ReportCallback pfnCallback)
{
	m_pfnCallback = pfnCallback;
	m_settings = StatSettings();
	m_bServerResolved = false;
	// The events exist before the thread does, so that an Exit right after Start always has one to wait on.
	return m_reportIdle.Prepare(true) && m_updateIdle.Prepare(false) && m_workerExit.Prepare(false) &&
		m_stopSignal.Prepare(m_bStop != 0);
}

HANDLE CStatWorker::Start(ReportCallback pfnCallback)
{
	if (!pfnCallback)
		return nullptr;
	// A second worker would share every piece of state with the running one: refuse it.
	if (m_bStarted.exchange(true))
		return nullptr;
	HANDLE hThread = nullptr;
	if (Prepare(pfnCallback))
	{
		DWORD nThreadId = 0;
		hThread = ::CreateThread(nullptr, 0, ThreadProc, this, 0, &nThreadId);
		m_nThreadId = nThreadId;
	}
	if (!hThread)
		m_bStarted = false;
	return hThread;
}

int CStatWorker::Exit(HANDLE hThread)
{
	m_bStop = 1;
	m_stopSignal.Set();
	::PostThreadMessageW(m_nThreadId, WM_QUIT, 0, 0);
	CancelAttempt();
	if (m_workerExit.Wait(EXIT_WAIT) == WAIT_TIMEOUT)
	{
		std::fputs("Terminating thread...\n", stdout);
		std::fflush(stdout);
		::TerminateThread(hThread, 1);
	}
	if (hThread)
		::CloseHandle(hThread);
	m_bStarted = false;
	return 0;
}

DWORD WINAPI CStatWorker::ThreadProc(LPVOID pParam)
{
	static_cast<CStatWorker*>(pParam)->Run();
	return 0;
}

void CStatWorker::Run()
{
	// The queue must exist before anything can be posted to this thread.
	MSG msg;
	::PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE);
	m_nReportTimer = 0;
	m_nUpdateTimer = 0;
	try
	{
		InitialFetch();
		m_updateIdle.Set();
		if (!m_bStop)
			RunLoop();
	}
	catch (...)
	{
		m_reportIdle.Set();
		m_updateIdle.Set();
	}
	m_workerExit.Set();
}

void CStatWorker::RunLoop()
{
	ArmTimers();
	MSG msg;
	while (::GetMessageW(&msg, nullptr, 0, 0) > 0)
	{
		// The timers are thread timers without a procedure: their messages come here, to this loop.
		if (!msg.hwnd && msg.message == WM_TIMER)
			OnTimer(msg.wParam);
		else
			::DispatchMessageW(&msg);
	}
	if (m_nUpdateTimer && KillThreadTimer(m_nUpdateTimer))
		m_nUpdateTimer = 0;
	KillReportTimer();
	CancelAttempt();
	m_reportIdle.Wait(INFINITE);
	m_updateIdle.Wait(INFINITE);
}

void CStatWorker::InitialFetch()
{
	for (int nAttempt = 0; nAttempt < INITIAL_ATTEMPTS && !m_bStop; ++nAttempt)
	{
		if (FetchAttempt())
		{
			ApplyDocument();
			return;
		}
	}
	// Given up until the first update tick; reports stay off.
	m_settings.m_nUpdateSetting = FAILED_FETCH_UPDATE;
}

void CStatWorker::ArmTimers()
{
	m_nUpdateTimer = SetThreadTimer(0, m_settings.m_nUpdateSetting);
	if (m_settings.m_nLog && m_settings.m_nInterval > 0)
		m_nReportTimer = SetThreadTimer(0, m_settings.m_nBootstrap);
}

void CStatWorker::OnTimer(UINT_PTR nId)
{
	if (!nId)
		return;
	if (nId == m_nReportTimer)
		ReportTick();
	else if (nId == m_nUpdateTimer)
		UpdateTick();
}

void CStatWorker::KillReportTimer()
{
	if (m_nReportTimer && KillThreadTimer(m_nReportTimer))
		m_nReportTimer = 0;
}

void CStatWorker::ReportTick()
{
	m_reportIdle.Reset();
	try
	{
		if (m_settings.m_nInterval > 0)
		{
			SendReports();
			// The first period was bootstrap; every later one is interval.
			SetThreadTimer(m_nReportTimer, m_settings.m_nInterval);
		}
		else
			KillReportTimer();
	}
	catch (...)
	{
	}
	m_reportIdle.Set();
}

void CStatWorker::UpdateTick()
{
	m_updateIdle.Reset();
	try
	{
		if (FetchAttempt())
		{
			StatSettings old = m_settings;
			ApplyDocument();
			if (m_settings.m_nUpdateSetting != old.m_nUpdateSetting)
				SetThreadTimer(m_nUpdateTimer, m_settings.m_nUpdateSetting);
			if (m_settings.m_nLog && m_settings.m_nInterval > 0)
			{
				// Only a change re-arms: a running report timer keeps its phase otherwise.
				if (m_settings.m_nInterval != old.m_nInterval || !old.m_nLog || !m_nReportTimer)
					m_nReportTimer = SetThreadTimer(m_nReportTimer, m_settings.m_nInterval);
			}
			else
				KillReportTimer();
		}
	}
	catch (...)
	{
	}
	m_updateIdle.Set();
}

void CStatWorker::ApplyDocument()
{
	ApplySettings(m_settings, m_szDocument);
	// A document with a 1 ms interval would otherwise ask the resolver a thousand times a second, and a
	// slow resolver would hold the worker where Exit may have to terminate it.
	m_bServerResolved = m_settings.m_nLog && m_settings.m_nInterval > 0
		&& ResolveHost(m_settings.m_strHost.c_str(), m_addrServer);
}

bool CStatWorker::ResolveHost(const char* pszHost, in_addr& addr)
{
	const hostent* pHost = ::gethostbyname(pszHost);
	if (!pHost || pHost->h_addrtype != AF_INET || !pHost->h_addr_list[0])
		return false;
	std::memcpy(&addr, pHost->h_addr_list[0], sizeof(addr));
	return true;
}

void CStatWorker::SendReports()
{
	if (!m_bServerResolved)
		return;
	sockaddr_in to = {};
	to.sin_family = AF_INET;
	to.sin_addr = m_addrServer;
	to.sin_port = ::htons(static_cast<u_short>(m_settings.m_nPort));

	CUdpSocket socket;
	if (m_settings.m_nLogBufmap)
		SendReport(socket.Get(), to, 1);
	if (m_settings.m_nLogConnections)
		SendReport(socket.Get(), to, 2);
}

void CStatWorker::SendReport(SOCKET hSocket, const sockaddr_in& to, int nKind)
{
	int cb = m_pfnCallback(m_report, nKind);
	// A result outside the buffer is a broken callback: nothing of that kind goes out.
	if (cb <= 0 || cb > STAT_REPORT_BUFFER_SIZE)
		return;
	m_report[0] = static_cast<char>(nKind);
	::sendto(hSocket, m_report, cb, 0, reinterpret_cast<const sockaddr*>(&to), sizeof(to));
}

// One fetch on a thread of its own, with its own handles and document buffer. Closing the handles is enough
// to end a blocked fetch on Windows, but not on every WinINet (Wine's waits for its socket), so the worker
// leaves a fetch behind once it is late or the stop flag is set. The worker, the thread and the slot that
// Exit reads each hold a reference; whoever lets go last frees the attempt, so a thread that comes back
// late writes only here. The thread keeps the library loaded until it ends.
class CStatWorker::CAttempt
{
public:
	CAttempt(const char* pszHost, HMODULE hModule) : m_pszHost(pszHost), m_hModule(hModule) {}
	CAttempt(const CAttempt&) = delete;
	CAttempt& operator=(const CAttempt&) = delete;

	void AddRef() { ::InterlockedIncrement(&m_nRef); }
	void Release()
	{
		if (::InterlockedDecrement(&m_nRef) == 0)
			delete this;
	}

	// Gives the fetch up: it fails at its next step, and its handles are closed (each exactly once,
	// whichever thread gets there first).
	void Abandon()
	{
		m_bAbandoned = 1;
		m_fetch.CloseHandles();
	}

	static DWORD WINAPI ThreadProc(LPVOID pParam)
	{
		CAttempt* pAttempt = static_cast<CAttempt*>(pParam);
		HMODULE hModule = pAttempt->m_hModule;
		pAttempt->m_bFetched = pAttempt->m_fetch.Fetch(pAttempt->m_pszHost, pAttempt->m_szDocument,
			pAttempt->m_bAbandoned);
		pAttempt->m_fetch.CloseHandles();
		pAttempt->Release();
		::FreeLibraryAndExitThread(hModule, 0);
		return 0;
	}

	// Read only once the thread has ended.
	bool Fetched() const { return m_bFetched; }
	const char* Document() const { return m_szDocument; }

private:
	~CAttempt() = default;

	LONG m_nRef = 1;
	const char* const m_pszHost;
	const HMODULE m_hModule;
	CSettingsFetch m_fetch;
	std::atomic<int> m_bAbandoned{0};
	bool m_bFetched = false;
	char m_szDocument[CSettingsFetch::DOCUMENT_BUFFER_SIZE] = {};
};

bool CStatWorker::FetchAttempt()
{
	HMODULE hModule = nullptr;
	if (!::GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS, reinterpret_cast<LPCWSTR>(&CAttempt::ThreadProc),
		&hModule))
		return false;
	CAttempt* pAttempt = new CAttempt(m_pszStatHost, hModule);
	pAttempt->AddRef();
	HANDLE hFetch = ::CreateThread(nullptr, 0, &CAttempt::ThreadProc, pAttempt, 0, nullptr);
	if (!hFetch)
	{
		pAttempt->Release();
		pAttempt->Release();
		::FreeLibrary(hModule);
		return false;
	}
	pAttempt->AddRef();
	if (CAttempt* pOld = m_pAttempt.exchange(pAttempt))
		pOld->Release();
	// A stop that came before the attempt was in its slot found nothing to cut short.
	if (m_bStop)
		pAttempt->Abandon();

	HANDLE handles[] = {hFetch, m_stopSignal.Get()};
	bool bEnded = ::WaitForMultipleObjects(2, handles, FALSE, m_dwAttemptLimit) == WAIT_OBJECT_0;
	::CloseHandle(hFetch);
	if (CAttempt* pSlot = m_pAttempt.exchange(nullptr))
		pSlot->Release();
	// What an attempt that ended read stays in the buffer, as the fetch leaves it; a late one gives nothing.
	if (bEnded)
		std::memcpy(m_szDocument, pAttempt->Document(), sizeof(m_szDocument));
	else
		pAttempt->Abandon();
	bool bFetched = bEnded && pAttempt->Fetched();
	pAttempt->Release();
	return bFetched;
}

void CStatWorker::CancelAttempt()
{
	if (CAttempt* pAttempt = m_pAttempt.exchange(nullptr))
	{
		pAttempt->Abandon();
		pAttempt->Release();
	}
}

UINT_PTR CStatWorker::SetThreadTimer(UINT_PTR nId, int32_t nPeriod)
{
	return ::SetTimer(nullptr, nId, static_cast<UINT>(nPeriod), nullptr);
}

bool CStatWorker::KillThreadTimer(UINT_PTR nId)
{
	return ::KillTimer(nullptr, nId) != FALSE;
}
