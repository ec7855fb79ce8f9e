// The statistics worker: the state behind the two exports, the worker thread with its message loop,
// and the report and update ticks of its two thread timers.
#pragma once

// Sockets first: windows.h must not bring in the old socket header before it.
#include <winsock2.h>

#include "stat/ManualEvent.h"
#include "stat/SettingsFetch.h"
#include "stat/Stat.h"
#include "stat/StatSettings.h"

#include <atomic>

class CStatWorker
{
public:
	enum
	{
		INITIAL_ATTEMPTS = 3,
		FAILED_FETCH_UPDATE = 1200000,
		EXIT_WAIT = 100,
		// A fetch attempt that has not ended by then counts as failed. The document is at most 4 KB, which
		// any server that answers at all sends in well under a second; while an attempt runs no report goes
		// out, so 10 s keeps a stalled server from costing more than one short gap in the reports (and the
		// three attempts at start-up from costing more than 30 s).
		ATTEMPT_LIMIT = 10000,
	};

	// pszStatHost: the statistics web server, fixed for the life of the object.
	explicit CStatWorker(const char* pszStatHost, DWORD dwAttemptLimit = ATTEMPT_LIMIT)
		: m_pszStatHost(pszStatHost), m_dwAttemptLimit(dwAttemptLimit) {}
	virtual ~CStatWorker() = default;
	CStatWorker(const CStatWorker&) = delete;
	CStatWorker& operator=(const CStatWorker&) = delete;

// Operations of the host's thread
	// NULL for a NULL callback, a failure, or while the worker started earlier has not been stopped.
	HANDLE Start(ReportCallback pfnCallback);
	// Stops the worker (forcibly after EXIT_WAIT ms) and closes hThread; always 0.
	int Exit(HANDLE hThread);

// Operations of the worker thread (public so that tests can drive each step)
	// The whole life of the worker thread.
	void Run();
	// Up to INITIAL_ATTEMPTS fetches; on failure only update_setting changes (to FAILED_FETCH_UPDATE).
	void InitialFetch();
	// The update timer, and the report timer with period bootstrap when reports are on.
	void ArmTimers();
	// A timer message of this thread; unknown ids are ignored.
	void OnTimer(UINT_PTR nId);
	// One datagram per report kind that is on and that the callback fills.
	void SendReports();

// Attributes
	const StatSettings& GetSettings() const { return m_settings; }
	UINT_PTR GetReportTimer() const { return m_nReportTimer; }
	UINT_PTR GetUpdateTimer() const { return m_nUpdateTimer; }

protected:
	// Stores the callback, resets the record and the events: what Start does before the thread exists.
	bool Prepare(ReportCallback pfnCallback);
	// One fetch attempt into the document buffer, its handles closed afterwards; false when it failed or
	// did not end within the attempt limit.
	virtual bool FetchAttempt();
	char* GetDocumentBuffer() { return m_szDocument; }
	// Thread timers of the calling thread: nId 0 creates one, an existing id is re-armed.
	virtual UINT_PTR SetThreadTimer(UINT_PTR nId, int32_t nPeriod);
	virtual bool KillThreadTimer(UINT_PTR nId);
	// The first IPv4 address of a host name; false when it does not resolve.
	virtual bool ResolveHost(const char* pszHost, in_addr& addr);

private:
	class CAttempt;

	static DWORD WINAPI ThreadProc(LPVOID pParam);
	void RunLoop();
	void ReportTick();
	void UpdateTick();
	void KillReportTimer();
	// Cuts the attempt in progress short, from any thread.
	void CancelAttempt();
	void SendReport(SOCKET hSocket, const sockaddr_in& to, int nKind);
	// Applies the fetched document and, when it turns reports on, looks its server up: once per document,
	// not at every report tick.
	void ApplyDocument();

	const char* const m_pszStatHost;
	const DWORD m_dwAttemptLimit;
	ReportCallback m_pfnCallback = nullptr;
	StatSettings m_settings;
	// The address of the server of the last applied document; reports go nowhere while it did not resolve.
	in_addr m_addrServer = {};
	bool m_bServerResolved = false;
	char m_szDocument[CSettingsFetch::DOCUMENT_BUFFER_SIZE] = {};
	char m_report[STAT_REPORT_BUFFER_SIZE] = {};
	std::atomic<DWORD> m_nThreadId{0};
	// Set once by Exit and never cleared: the library reports at most once per process.
	std::atomic<int> m_bStop{0};
	// Between a Start that made a thread and the Exit that stopped it.
	std::atomic<bool> m_bStarted{false};
	UINT_PTR m_nReportTimer = 0;
	UINT_PTR m_nUpdateTimer = 0;
	CManualEvent m_reportIdle;
	CManualEvent m_updateIdle;
	CManualEvent m_workerExit;
	// Signalled with the stop flag, so that the worker need not wait for a fetch that does not end.
	CManualEvent m_stopSignal;
	// The attempt in progress, for Exit to cut short; the slot holds a reference of its own.
	std::atomic<CAttempt*> m_pAttempt{nullptr};
};
