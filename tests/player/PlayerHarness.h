// Runs copies of QuiloPlayer.exe the way the shell does and watches them from outside: their windows,
// the stand-in controls' journal, the diagnostic log and the registry.
#pragma once

#include "support/LoopbackHttpServer.h"
#include "support/Processes.h"

#include <windows.h>

#include <string>
#include <vector>

// The client configuration every started player downloads.
extern const char kDemoPlayerUrl[];
extern const char kDemoLoadingUrl[];
extern const char kDemoConfigUrl[];

class CPlayerHarness
{
public:
	CPlayerHarness();
	~CPlayerHarness();
	CPlayerHarness(const CPlayerHarness&) = delete;
	CPlayerHarness& operator=(const CPlayerHarness&) = delete;

	// Serves the configuration on 127.0.0.3:80 and writes the settings file beside the program.
	bool Start();
	// The configuration served from now on: the demo one followed by strMore ("homeurl=...##").
	void ServeConfig(const std::string& strMore);
	// Where started players fetch their configuration (the settings file's "ClientConfigUrl").
	bool SetConfigUrl(const std::string& strUrl);

	// Starts "<folder>QuiloPlayer.exe" ARGS; the extra variables ("NAME=value") join the environment.
	HANDLE Launch(const std::string& strArgs, const std::vector<std::string>& extraEnv = {},
		const std::string& strFolder = std::string());
	// Starts the first instance and waits until its window is visible; null on failure.
	HWND StartPlayer(const std::vector<std::string>& extraEnv = {}, const std::string& strArgs = std::string(),
		const std::string& strFolder = std::string());
	// Starts a second instance with ARGS and waits until it has handed over and ended; its exit code.
	DWORD HandOff(const std::string& strArgs);
	DWORD HandOff(const std::wstring& strArgs);
	// Asks the player to close and answers the exit question with Yes; true when the process ended.
	bool ClosePlayer();
	// Ends the player without asking (clean-up after a failed check).
	void KillPlayer();

	HWND PlayerWindow() const { return m_hWndPlayer; }
	HANDLE PlayerProcess() const { return m_hProcess; }
	// The exit question (a Yes/No message box owned by the player), waiting up to nMs for it; null when none shows.
	HWND FindExitQuestion(DWORD nMs) const;
	static bool ClickButton(HWND hDlg, int nId);

	CLoopbackHttpServer& Server() { return m_server; }
	std::string Folder() const { return m_strFolder; }
	std::string ProgramPath() const { return m_strFolder + "QuiloPlayer.exe"; }
	// The control calls journalled since the last clear, as "flash SetMovie <url>", "live OpenStream <url> 100"...
	std::vector<std::string> Calls() const;
	void ClearJournal();
	std::string Log() const;
	void ClearLog();
	static int Count(const std::string& strText, const std::string& strPart);
	// Copies the program and the settings file into a subfolder (created) and returns its path.
	std::string CopyProgramTo(const std::string& strSubFolder) const;

private:
	std::string m_strFolder;
	std::string m_strJournal;
	CLoopbackHttpServer m_server;
	HANDLE m_hProcess = nullptr;
	HWND m_hWndPlayer = nullptr;
};

// The top-level window of the process that carries the player's property; null when there is none.
HWND FindPlayerWindow(DWORD dwProcessId);
// The exit question of the player window (a Yes/No message box it owns), waiting up to nMs for it; null when
// none shows.
HWND FindExitQuestionOf(HWND hWndPlayer, DWORD nMs);
// The pop-up menu on the screen (of any process); null when none shows.
HWND FindShownMenu();
// Registry text value under the classes root, in UTF-8 (the program writes its real path, which code page
// 936 may not spell); "<missing>" when it cannot be read.
std::string ReadClassesValue(const std::string& strKey, const char* pszName);
// UTF-8 of the long form of an existing path given in code page 936 (the tests reach folders by short names).
std::string LongPathUtf8(const std::string& strPath);
std::string Utf8(const std::wstring& str);
bool ClassesKeyExists(const std::string& strKey);
// Whether a tooltip window of the thread exists.
bool HasTooltipWindow(DWORD dwThread);
