#include "PlayerHarness.h"

#include "StandinCalls.h"
#include "support/LogRecords.h"
#include "support/TestFiles.h"
#include "support/Wide936.h"
#include "framework/WideText.h"

const char kDemoPlayerUrl[] = "http://127.0.0.3/player/tarnplayer.swf";
const char kDemoLoadingUrl[] = "http://127.0.0.3/source/images/live/loading.swf";
const char kDemoConfigUrl[] = "http://127.0.0.3/vmp/clientconfig.html";

namespace
{
const char kPlayerProp[] = "Tarn_QuiloPlayer_MainWindow";
const DWORD kStartTimeout = 15000;
}

HWND FindPlayerWindow(DWORD dwProcessId)
{
	return processes::FindTopLevel([dwProcessId](HWND hWnd) {
		return (dwProcessId == 0 || processes::ProcessOf(hWnd) == dwProcessId) && ::GetPropA(hWnd, kPlayerProp);
	});
}

HWND FindShownMenu()
{
	return processes::FindTopLevel([](HWND hWnd) {
		char szClass[16] = {};
		::GetClassNameA(hWnd, szClass, sizeof(szClass));
		return strcmp(szClass, "#32768") == 0 && ::IsWindowVisible(hWnd);
	});
}

std::string ReadClassesValue(const std::string& strKey, const char* pszName)
{
	wchar_t szData[2048] = {};
	DWORD cb = sizeof(szData) - sizeof(wchar_t);
	std::wstring strName = pszName ? ToWide(pszName) : std::wstring();
	if (::RegGetValueW(HKEY_CLASSES_ROOT, ToWide(strKey).c_str(), pszName ? strName.c_str() : nullptr, RRF_RT_REG_SZ,
		nullptr, szData, &cb) != ERROR_SUCCESS)
		return "<missing>";
	return Utf8(szData);
}

std::string Utf8(const std::wstring& str)
{
	int cb = ::WideCharToMultiByte(CP_UTF8, 0, str.data(), static_cast<int>(str.size()), nullptr, 0, nullptr, nullptr);
	std::string strOut(static_cast<size_t>(cb > 0 ? cb : 0), '\0');
	if (cb > 0)
		::WideCharToMultiByte(CP_UTF8, 0, str.data(), static_cast<int>(str.size()), &strOut[0], cb, nullptr, nullptr);
	return strOut;
}

std::string LongPathUtf8(const std::string& strPath)
{
	wchar_t szLong[MAX_PATH + 1] = {};
	DWORD cch = ::GetLongPathNameW(ToWide(strPath).c_str(), szLong, MAX_PATH);
	return cch > 0 && cch < MAX_PATH ? Utf8(szLong) : "<no long form of " + strPath + ">";
}

bool ClassesKeyExists(const std::string& strKey)
{
	HKEY hKey = nullptr;
	if (::RegOpenKeyExA(HKEY_CLASSES_ROOT, strKey.c_str(), 0, KEY_READ, &hKey) != ERROR_SUCCESS)
		return false;
	::RegCloseKey(hKey);
	return true;
}

CPlayerHarness::CPlayerHarness()
	: m_strFolder(testfiles::ProgramFolder())
	, m_strJournal(m_strFolder + "journal.txt")
{
}

CPlayerHarness::~CPlayerHarness()
{
	KillPlayer();
	m_server.Stop();
}

bool CPlayerHarness::Start()
{
	w936::WritePrivateProfileStringA("Debug", "DebugLevel", "6", (m_strFolder + "tarnconfig.ini").c_str());
	SetConfigUrl(kDemoConfigUrl);
	w936::SetEnvironmentVariableA("QUILO_STANDIN_JOURNAL", m_strJournal.c_str());
	ServeConfig(std::string());
	return m_server.Start("127.0.0.3", 80);
}

bool CPlayerHarness::SetConfigUrl(const std::string& strUrl)
{
	return w936::WritePrivateProfileStringA("tarnTVPlayer", "ClientConfigUrl", strUrl.c_str(),
		(m_strFolder + "tarnconfig.ini").c_str()) != FALSE;
}

void CPlayerHarness::ServeConfig(const std::string& strMore)
{
	std::string strBody = std::string("weburl=http://127.0.0.3/vmp/default_new.aspx##playerurl=") + kDemoPlayerUrl
		+ "##defaultloadingurl=" + kDemoLoadingUrl + "##" + strMore;
	m_server.SetResponse("HTTP/1.1 200 OK", "Content-Type: text/html\r\n", strBody);
}

HANDLE CPlayerHarness::Launch(const std::string& strArgs, const std::vector<std::string>& extraEnv,
	const std::string& strFolder)
{
	std::string strProgram = (strFolder.empty() ? m_strFolder : strFolder) + "QuiloPlayer.exe";
	for (const std::string& strVar : extraEnv)
	{
		size_t nEquals = strVar.find('=');
		w936::SetEnvironmentVariableA(strVar.substr(0, nEquals).c_str(), strVar.substr(nEquals + 1).c_str());
	}
	HANDLE hProcess = processes::Start(strProgram, strArgs);
	for (const std::string& strVar : extraEnv)
		w936::SetEnvironmentVariableA(strVar.substr(0, strVar.find('=')).c_str(), nullptr);
	return hProcess;
}

HWND CPlayerHarness::StartPlayer(const std::vector<std::string>& extraEnv, const std::string& strArgs,
	const std::string& strFolder)
{
	KillPlayer();
	m_hProcess = Launch(strArgs, extraEnv, strFolder);
	if (!m_hProcess)
		return nullptr;
	DWORD dwProcessId = ::GetProcessId(m_hProcess);
	WaitFor([&] {
		m_hWndPlayer = FindPlayerWindow(dwProcessId);
		return m_hWndPlayer && ::IsWindowVisible(m_hWndPlayer);
	}, kStartTimeout);
	if (m_hWndPlayer && !::IsWindowVisible(m_hWndPlayer))
		m_hWndPlayer = nullptr;
	return m_hWndPlayer;
}

DWORD CPlayerHarness::HandOff(const std::string& strArgs)
{
	return HandOff(ToWide(strArgs));
}

DWORD CPlayerHarness::HandOff(const std::wstring& strArgs)
{
	HANDLE hProcess = processes::Start(ProgramPath(), strArgs);
	if (!hProcess)
		return static_cast<DWORD>(-1);
	DWORD dwExitCode = static_cast<DWORD>(-2);
	if (::WaitForSingleObject(hProcess, kStartTimeout) == WAIT_OBJECT_0)
		::GetExitCodeProcess(hProcess, &dwExitCode);
	else
		::TerminateProcess(hProcess, 1);
	::CloseHandle(hProcess);
	return dwExitCode;
}

HWND CPlayerHarness::FindExitQuestion(DWORD nMs) const
{
	return FindExitQuestionOf(m_hWndPlayer, nMs);
}

HWND FindExitQuestionOf(HWND hWndOwner, DWORD nMs)
{
	if (!hWndOwner)
		return nullptr;
	HWND hWndFound = nullptr;
	WaitFor([&] {
		hWndFound = processes::FindTopLevel([hWndOwner](HWND hWnd) {
			char szClass[16] = {};
			::GetClassNameA(hWnd, szClass, sizeof(szClass));
			// A message box asking Yes or No; the side panel is a dialog the player owns too.
			return strcmp(szClass, "#32770") == 0 && ::GetWindow(hWnd, GW_OWNER) == hWndOwner && ::IsWindowVisible(hWnd)
				&& ::GetDlgItem(hWnd, IDYES) && ::GetDlgItem(hWnd, IDNO);
		});
		return hWndFound != nullptr;
	}, nMs);
	return hWndFound;
}

bool CPlayerHarness::ClickButton(HWND hDlg, int nId)
{
	HWND hButton = ::GetDlgItem(hDlg, nId);
	DWORD_PTR dwResult = 0;
	return hButton && ::SendMessageTimeoutA(hButton, BM_CLICK, 0, 0, SMTO_NORMAL, 5000, &dwResult);
}

bool CPlayerHarness::ClosePlayer()
{
	if (!m_hProcess)
		return false;
	::PostMessageA(m_hWndPlayer, WM_CLOSE, 0, 0);
	HWND hQuestion = FindExitQuestion(5000);
	bool bEnded = hQuestion && ClickButton(hQuestion, IDYES)
		&& ::WaitForSingleObject(m_hProcess, kStartTimeout) == WAIT_OBJECT_0;
	if (bEnded)
	{
		::CloseHandle(m_hProcess);
		m_hProcess = nullptr;
		m_hWndPlayer = nullptr;
	}
	return bEnded;
}

void CPlayerHarness::KillPlayer()
{
	if (!m_hProcess)
		return;
	if (::WaitForSingleObject(m_hProcess, 0) != WAIT_OBJECT_0)
	{
		::TerminateProcess(m_hProcess, 1);
		::WaitForSingleObject(m_hProcess, 5000);
	}
	::CloseHandle(m_hProcess);
	m_hProcess = nullptr;
	m_hWndPlayer = nullptr;
}

std::vector<std::string> CPlayerHarness::Calls() const
{
	return NamedCalls(m_strJournal);
}

void CPlayerHarness::ClearJournal()
{
	testfiles::Remove(m_strJournal);
}

std::string CPlayerHarness::Log() const
{
	return testfiles::ReadAll(logrecords::LogPath(m_strFolder));
}

void CPlayerHarness::ClearLog()
{
	testfiles::Remove(logrecords::LogPath(m_strFolder));
}

int CPlayerHarness::Count(const std::string& strText, const std::string& strPart)
{
	int nCount = 0;
	for (size_t n = strText.find(strPart); n != std::string::npos; n = strText.find(strPart, n + strPart.size()))
		++nCount;
	return nCount;
}

std::string CPlayerHarness::CopyProgramTo(const std::string& strSubFolder) const
{
	std::string strFolder = m_strFolder + strSubFolder + "\\";
	w936::CreateDirectoryA(strFolder.c_str(), nullptr);
	w936::CopyFileA(ProgramPath().c_str(), (strFolder + "QuiloPlayer.exe").c_str(), FALSE);
	w936::CopyFileA((m_strFolder + "tarnconfig.ini").c_str(), (strFolder + "tarnconfig.ini").c_str(), FALSE);
	return strFolder;
}

bool HasTooltipWindow(DWORD dwThread)
{
	return processes::FindTopLevel([dwThread](HWND hWnd) {
		char szClass[32] = {};
		::GetClassNameA(hWnd, szClass, sizeof(szClass));
		return ::GetWindowThreadProcessId(hWnd, nullptr) == dwThread && _stricmp(szClass, "tooltips_class32") == 0;
	}) != nullptr;
}
