// End-to-end test of the setup program, in a Wine prefix of its own (installer/test-setup): a silent
// installation into a temporary folder, links opened through the shell as a browser opens them, a silent
// upgrade while the player runs, and the quiet uninstallation that the installed-programs list runs.
// The tests follow one installation through its life, in order. QUILO_SETUP names the setup program,
// QUILO_SHIPPED the built program's folder (QuiloPlayer.exe and skin\) that it must install.
#include "framework/WideText.h"
#include "player/PlayerHarness.h"
#include "player/StandinCalls.h"
#include "resources/Version.h"
#include "support/StandinJournal.h"
#include "support/TestFiles.h"

#include <gtest/gtest.h>
#include <shlobj.h>
#include <tlhelp32.h>

#include <algorithm>
#include <memory>
#include <set>
#include <vector>

namespace
{
const char kUninstallKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\QuiloPlayer";
const char* const kSchemes[] = {"tarntvstream", "wenlive2"};
const char kUserSkin[] = "我的皮肤";
// Setups and players start slowly under an emulated 32-bit Wine; these bound waits that normally take seconds.
const DWORD kSetupTimeout = 180000;
const DWORD kPlayerTimeout = 60000;

std::string Environment(const char* pszName)
{
	char szValue[MAX_PATH * 2] = {};
	DWORD cch = ::GetEnvironmentVariableA(pszName, szValue, sizeof(szValue));
	return cch && cch < sizeof(szValue) ? szValue : "";
}

std::string Value(HKEY hRoot, const std::string& strKey, const char* pszName)
{
	char szData[2048] = {};
	DWORD cb = sizeof(szData) - 1;
	if (::RegGetValueA(hRoot, strKey.c_str(), pszName, RRF_RT_REG_SZ, nullptr, szData, &cb) != ERROR_SUCCESS)
		return "<missing>";
	return szData;
}

DWORD Number(HKEY hRoot, const std::string& strKey, const char* pszName)
{
	DWORD dwData = 0xFFFFFFFF, cb = sizeof(dwData);
	::RegGetValueA(hRoot, strKey.c_str(), pszName, RRF_RT_REG_DWORD, nullptr, &dwData, &cb);
	return dwData;
}

bool KeyExists(HKEY hRoot, const std::string& strKey)
{
	HKEY hKey = nullptr;
	if (::RegOpenKeyExA(hRoot, strKey.c_str(), 0, KEY_READ, &hKey) != ERROR_SUCCESS)
		return false;
	::RegCloseKey(hKey);
	return true;
}

std::set<std::string> Entries(const std::string& strFolder)
{
	std::set<std::string> names;
	WIN32_FIND_DATAA data;
	HANDLE hFind = ::FindFirstFileA((strFolder + "*").c_str(), &data);
	if (hFind == INVALID_HANDLE_VALUE)
		return names;
	do
	{
		if (strcmp(data.cFileName, ".") && strcmp(data.cFileName, ".."))
			names.insert(data.cFileName);
	} while (::FindNextFileA(hFind, &data));
	::FindClose(hFind);
	return names;
}

std::string ShellFolder(int nCsidl)
{
	char szPath[MAX_PATH] = {};
	::SHGetFolderPathA(nullptr, nCsidl, nullptr, SHGFP_TYPE_CURRENT, szPath);
	return std::string(szPath) + "\\";
}

// The program a shortcut starts; "<unreadable>" when it cannot be loaded.
std::string ShortcutTarget(const std::string& strLink)
{
	std::string strTarget = "<unreadable>";
	IShellLinkA* pLink = nullptr;
	if (FAILED(::CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
		reinterpret_cast<void**>(&pLink))))
		return strTarget;
	IPersistFile* pFile = nullptr;
	wchar_t wszLink[MAX_PATH] = {};
	::MultiByteToWideChar(CP_ACP, 0, strLink.c_str(), -1, wszLink, MAX_PATH);
	char szTarget[MAX_PATH] = {};
	if (SUCCEEDED(pLink->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&pFile))))
	{
		if (SUCCEEDED(pFile->Load(wszLink, STGM_READ)) && SUCCEEDED(pLink->GetPath(szTarget, MAX_PATH, nullptr, 0)))
			strTarget = szTarget;
		pFile->Release();
	}
	pLink->Release();
	return strTarget;
}

// Waits for a process and closes its handle; its exit code, or -1 when it did not end in time.
DWORD WaitExit(HANDLE hProcess, DWORD nMs)
{
	if (!hProcess)
		return static_cast<DWORD>(-2);
	DWORD dwCode = static_cast<DWORD>(-1);
	if (::WaitForSingleObject(hProcess, nMs) == WAIT_OBJECT_0)
		::GetExitCodeProcess(hProcess, &dwCode);
	::CloseHandle(hProcess);
	return dwCode;
}

// Waits for the processes that dwParent started (an uninstaller's copy of itself, which ends last) to end.
bool WaitChildren(DWORD dwParent, DWORD nMs)
{
	std::vector<HANDLE> children;
	HANDLE hSnap = ::CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
	PROCESSENTRY32 pe = {};
	pe.dwSize = sizeof(pe);
	for (BOOL b = ::Process32First(hSnap, &pe); b; b = ::Process32Next(hSnap, &pe))
	{
		HANDLE hChild = pe.th32ParentProcessID == dwParent ? ::OpenProcess(SYNCHRONIZE, FALSE, pe.th32ProcessID) : nullptr;
		if (hChild)
			children.push_back(hChild);
	}
	::CloseHandle(hSnap);
	bool bEnded = true;
	for (HANDLE hChild : children)
	{
		bEnded = ::WaitForSingleObject(hChild, nMs) == WAIT_OBJECT_0 && bEnded;
		::CloseHandle(hChild);
	}
	return bEnded;
}

// Opens a link as a browser hands it to the shell; the process started for it, when there is one.
HANDLE OpenLink(const std::string& strLink)
{
	SHELLEXECUTEINFOA sei = {};
	sei.cbSize = sizeof(sei);
	sei.fMask = SEE_MASK_NOCLOSEPROCESS | SEE_MASK_FLAG_NO_UI;
	sei.lpVerb = "open";
	sei.lpFile = strLink.c_str();
	sei.nShow = SW_SHOWNORMAL;
	return ::ShellExecuteExA(&sei) ? sei.hProcess : nullptr;
}

bool OnWine()
{
	return ::GetProcAddress(::GetModuleHandleA("ntdll.dll"), "wine_get_version") != nullptr;
}

std::string ProcessImage(DWORD dwProcessId)
{
	char szPath[MAX_PATH] = {};
	DWORD cch = MAX_PATH;
	HANDLE hProcess = ::OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, dwProcessId);
	if (hProcess)
	{
		::QueryFullProcessImageNameA(hProcess, 0, szPath, &cch);
		::CloseHandle(hProcess);
	}
	return szPath;
}

bool SameText(const std::string& a, const std::string& b)
{
	return ::lstrcmpiA(a.c_str(), b.c_str()) == 0;
}

class SetupE2eTest : public ::testing::Test
{
protected:
	static void SetUpTestSuite()
	{
		::CoInitialize(nullptr);
		s_strSetup = Environment("QUILO_SETUP");
		s_strShipped = Environment("QUILO_SHIPPED");
		char szTemp[MAX_PATH] = {};
		::GetTempPathA(MAX_PATH, szTemp);
		// A blank, a percent sign and Chinese: the scheme command must quote the path and double the sign.
		s_strFolder = std::string(szTemp) + "Quilo 100% 安装\\";
		testfiles::Remove(s_strFolder.substr(0, s_strFolder.size() - 1));
		s_pJournal = std::make_unique<standins::CJournalScope>();
	}

	static void TearDownTestSuite()
	{
		if (s_dwPlayer)
		{
			HANDLE hPlayer = ::OpenProcess(PROCESS_TERMINATE, FALSE, s_dwPlayer);
			if (hPlayer)
			{
				::TerminateProcess(hPlayer, 1);
				::CloseHandle(hPlayer);
			}
		}
		s_pJournal.reset();
		::CoUninitialize();
	}

	void SetUp() override
	{
		ASSERT_FALSE(s_strSetup.empty() || s_strShipped.empty()) << "QUILO_SETUP and QUILO_SHIPPED are not set";
	}

	static std::string Program() { return s_strFolder + "QuiloPlayer.exe"; }
	static std::string Settings() { return s_strFolder + "tarnconfig.ini"; }
	static std::string Command()
	{
		std::string strDoubled = Program();
		for (size_t n = strDoubled.find('%'); n != std::string::npos; n = strDoubled.find('%', n + 2))
			strDoubled.insert(n, "%");
		return "\"" + strDoubled + "\" \"%1\"";
	}
	// The command as the registry reads back (UTF-8).
	static std::string CommandUtf8() { return Utf8(ToWide(Command())); }
	static std::string Setting(const char* pszSection, const char* pszKey)
	{
		char szValue[1024] = {};
		::GetPrivateProfileStringA(pszSection, pszKey, "<missing>", szValue, sizeof(szValue), Settings().c_str());
		return szValue;
	}
	static std::vector<std::string> Calls() { return NamedCalls(s_pJournal->Path()); }

	static inline std::string s_strSetup;
	static inline std::string s_strShipped;
	static inline std::string s_strFolder;
	static inline std::unique_ptr<standins::CJournalScope> s_pJournal;
	static inline DWORD s_dwPlayer = 0;
};

TEST_F(SetupE2eTest, SilentInstallLaysOutTheProgramShortcutsSchemesAndEntry)
{
	ASSERT_FALSE(KeyExists(HKEY_CURRENT_USER, kUninstallKey)) << "the prefix holds an installation already";
	// "/D=" comes last and unquoted, blanks and all.
	std::string strFolder = s_strFolder.substr(0, s_strFolder.size() - 1);
	ASSERT_EQ(WaitExit(processes::Start(s_strSetup, "/S /D=" + strFolder), kSetupTimeout), 0u);

	// The program and every file of the shipped skins, as built; nothing else but the uninstaller.
	EXPECT_EQ(Entries(s_strFolder), (std::set<std::string>{"QuiloPlayer.exe", "skin", "uninstall.exe"}));
	EXPECT_EQ(testfiles::ReadAll(Program()), testfiles::ReadAll(s_strShipped + "QuiloPlayer.exe"));
	std::set<std::string> skins = Entries(s_strShipped + "skin\\");
	EXPECT_EQ(Entries(s_strFolder + "skin\\"), skins);
	EXPECT_TRUE(skins.count("现代") && skins.count("经典"));
	for (const std::string& strSkin : skins)
	{
		std::string strShipped = s_strShipped + "skin\\" + strSkin + "\\", strInstalled = s_strFolder + "skin\\" + strSkin + "\\";
		EXPECT_EQ(Entries(strInstalled), Entries(strShipped)) << strSkin;
		for (const std::string& strFile : Entries(strShipped))
			EXPECT_EQ(testfiles::ReadAll(strInstalled + strFile), testfiles::ReadAll(strShipped + strFile)) << strFile;
	}

	// What the file's properties show.
	DWORD dwHandle = 0, cb = ::GetFileVersionInfoSizeA(Program().c_str(), &dwHandle);
	std::string info(cb, '\0');
	VS_FIXEDFILEINFO* pFixed = nullptr;
	char* pszProduct = nullptr;
	UINT cbValue = 0;
	ASSERT_TRUE(cb && ::GetFileVersionInfoA(Program().c_str(), 0, cb, &info[0])
		&& ::VerQueryValueA(&info[0], "\\", reinterpret_cast<void**>(&pFixed), &cbValue)
		&& ::VerQueryValueA(&info[0], "\\StringFileInfo\\080404b0\\ProductName", reinterpret_cast<void**>(&pszProduct), &cbValue));
	EXPECT_EQ(pFixed->dwFileVersionMS, static_cast<DWORD>(MAKELONG(QUILO_VERSION_MINOR, QUILO_VERSION_MAJOR)));
	EXPECT_EQ(pFixed->dwFileVersionLS, static_cast<DWORD>(MAKELONG(QUILO_VERSION_BUILD, QUILO_VERSION_PATCH)));
	EXPECT_STREQ(pszProduct, QUILO_PRODUCT_NAME);

	std::string strStartMenu = ShellFolder(CSIDL_PROGRAMS) + QUILO_PRODUCT_NAME + "\\";
	EXPECT_TRUE(SameText(ShortcutTarget(strStartMenu + QUILO_PRODUCT_NAME + ".lnk"), Program()));
	EXPECT_TRUE(SameText(ShortcutTarget(strStartMenu + "卸载" + QUILO_PRODUCT_NAME + ".lnk"), s_strFolder + "uninstall.exe"));
	EXPECT_TRUE(SameText(ShortcutTarget(ShellFolder(CSIDL_DESKTOPDIRECTORY) + QUILO_PRODUCT_NAME + ".lnk"), Program()));

	// The keys the program itself writes at every start, under the user's own classes.
	for (const char* pszScheme : kSchemes)
	{
		std::string strKey = std::string("Software\\Classes\\") + pszScheme;
		EXPECT_EQ(Value(HKEY_CURRENT_USER, strKey + "\\shell\\open\\command", nullptr), Command());
		EXPECT_EQ(Value(HKEY_CURRENT_USER, strKey + "\\DefaultIcon", nullptr), Program());
		EXPECT_EQ(Value(HKEY_CURRENT_USER, strKey, nullptr), std::string("URL: ") + pszScheme + " Protocol");
		EXPECT_EQ(Value(HKEY_CURRENT_USER, strKey, "URL Protocol"), "");
	}

	EXPECT_EQ(Value(HKEY_CURRENT_USER, kUninstallKey, "DisplayName"), QUILO_PRODUCT_NAME);
	EXPECT_EQ(Value(HKEY_CURRENT_USER, kUninstallKey, "DisplayVersion"), QUILO_VERSION_TEXT);
	EXPECT_EQ(Value(HKEY_CURRENT_USER, kUninstallKey, "DisplayIcon"), Program());
	EXPECT_EQ(Value(HKEY_CURRENT_USER, kUninstallKey, "InstallLocation") + "\\", s_strFolder);
	EXPECT_EQ(Value(HKEY_CURRENT_USER, kUninstallKey, "UninstallString"), "\"" + s_strFolder + "uninstall.exe\"");
	EXPECT_EQ(Value(HKEY_CURRENT_USER, kUninstallKey, "QuietUninstallString"), "\"" + s_strFolder + "uninstall.exe\" /S");
	EXPECT_EQ(Number(HKEY_CURRENT_USER, kUninstallKey, "NoModify"), 1u);
	EXPECT_EQ(Number(HKEY_CURRENT_USER, kUninstallKey, "NoRepair"), 1u);
	// Kilobytes: at least the program itself.
	EXPECT_GE(Number(HKEY_CURRENT_USER, kUninstallKey, "EstimatedSize"), testfiles::ReadAll(Program()).size() / 1024);
	EXPECT_LT(Number(HKEY_CURRENT_USER, kUninstallKey, "EstimatedSize"), 100000u);
}

TEST_F(SetupE2eTest, LinksOpenedThroughTheShellStartTheInstalledPlayerAndReachIt)
{
	ASSERT_TRUE(testfiles::Exists(Program()));
	// The user's own settings and skin: no configuration server (the refused download is logged and the
	// player goes on), every trace logged, and a skin folder of the user's that the player wears.
	::WritePrivateProfileStringA("Debug", "DebugLevel", "6", Settings().c_str());
	::WritePrivateProfileStringA("tarnTVPlayer", "ClientConfigUrl", "http://127.0.0.9/vmp/clientconfig.html", Settings().c_str());
	std::string strUserSkin = s_strFolder + "skin\\" + kUserSkin + "\\";
	::WritePrivateProfileStringA("tarnTVPlayer", "SkinPath", strUserSkin.c_str(), Settings().c_str());
	ASSERT_TRUE(::CreateDirectoryA(strUserSkin.c_str(), nullptr));
	// The skin's own files; its scale folders stay behind, so the user's skin has only 100 % images.
	for (const std::string& strFile : Entries(s_strFolder + "skin\\经典\\"))
	{
		std::string strFrom = s_strFolder + "skin\\经典\\" + strFile;
		if (::GetFileAttributesA(strFrom.c_str()) & FILE_ATTRIBUTE_DIRECTORY)
			continue;
		ASSERT_TRUE(::CopyFileA(strFrom.c_str(), (strUserSkin + strFile).c_str(), TRUE)) << strFile;
	}

	if (OnWine())
	{
		// Wine's classes root is the machine's classes alone; Windows merges the user's classes (where the
		// setup writes) over them. Lay the setup's keys where Wine's shell looks, as the merged view shows them.
		for (const char* pszScheme : kSchemes)
		{
			HKEY hFrom = nullptr, hTo = nullptr;
			ASSERT_EQ(::RegOpenKeyExA(HKEY_CURRENT_USER, (std::string("Software\\Classes\\") + pszScheme).c_str(), 0, KEY_READ, &hFrom), ERROR_SUCCESS);
			ASSERT_EQ(::RegCreateKeyExA(HKEY_LOCAL_MACHINE, (std::string("Software\\Classes\\") + pszScheme).c_str(), 0, nullptr, 0,
				KEY_ALL_ACCESS, nullptr, &hTo, nullptr), ERROR_SUCCESS);
			EXPECT_EQ(::RegCopyTreeA(hFrom, nullptr, hTo), ERROR_SUCCESS);
			::RegCloseKey(hFrom);
			::RegCloseKey(hTo);
		}
	}
	EXPECT_EQ(ReadClassesValue("tarntvstream\\shell\\open\\command", nullptr), CommandUtf8());

	// The first link starts the player (which, as always, does not play its own command line).
	HANDLE hFirst = OpenLink("tarntvstream://http://127.0.0.9/video/first.flv/");
	ASSERT_TRUE(hFirst) << "the shell did not start anything for the link: " << ::GetLastError();
	::CloseHandle(hFirst);
	HWND hWndPlayer = nullptr;
	ASSERT_TRUE(WaitFor([&] {
		hWndPlayer = FindPlayerWindow(0);
		return hWndPlayer && ::IsWindowVisible(hWndPlayer);
	}, kPlayerTimeout));
	s_dwPlayer = processes::ProcessOf(hWndPlayer);
	EXPECT_TRUE(SameText(ProcessImage(s_dwPlayer), Program())) << ProcessImage(s_dwPlayer);

	// The second is handed over by a second start and played.
	EXPECT_EQ(WaitExit(OpenLink("tarntvstream://http://127.0.0.9/video/second.flv/"), kPlayerTimeout), 0u);
	const std::string strPlayed = "flash SetMovie http://127.0.0.9/video/second.flv";
	EXPECT_TRUE(WaitFor([&] {
		std::vector<std::string> calls = Calls();
		return std::find(calls.begin(), calls.end(), strPlayed) != calls.end();
	}, 10000)) << ::testing::PrintToString(Calls());
	EXPECT_EQ(FindPlayerWindow(0), hWndPlayer);
}

TEST_F(SetupE2eTest, SilentUpgradeClosesTheRunningPlayerAndKeepsTheUsersFiles)
{
	HWND hWndPlayer = FindPlayerWindow(0);
	ASSERT_TRUE(hWndPlayer) << "no player runs";
	HANDLE hPlayer = ::OpenProcess(SYNCHRONIZE, FALSE, processes::ProcessOf(hWndPlayer));
	ASSERT_TRUE(hPlayer);
	// A shipped skin file changed since: the upgrade brings it back.
	std::string strShippedIni = s_strFolder + "skin\\现代\\Main.ini";
	std::string strOriginal = testfiles::ReadAll(strShippedIni);
	testfiles::WriteAll(strShippedIni, "stale");
	std::string strUserSkin = s_strFolder + "skin\\" + kUserSkin + "\\";
	std::set<std::string> userSkinFiles = Entries(strUserSkin);

	// No folder given: the upgrade finds the installation. The player asks its user, who says yes.
	HANDLE hSetup = processes::Start(s_strSetup, "/S");
	ASSERT_TRUE(hSetup);
	HWND hQuestion = FindExitQuestionOf(hWndPlayer, kSetupTimeout);
	EXPECT_TRUE(hQuestion && CPlayerHarness::ClickButton(hQuestion, IDYES));
	EXPECT_EQ(::WaitForSingleObject(hPlayer, kPlayerTimeout), WAIT_OBJECT_0);
	::CloseHandle(hPlayer);
	EXPECT_EQ(WaitExit(hSetup, kSetupTimeout), 0u);
	s_dwPlayer = 0;

	EXPECT_EQ(testfiles::ReadAll(strShippedIni), strOriginal);
	EXPECT_EQ(Value(HKEY_CURRENT_USER, kUninstallKey, "InstallLocation") + "\\", s_strFolder);
	EXPECT_FALSE(testfiles::Exists(ShellFolder(CSIDL_LOCAL_APPDATA) + "Programs\\QuiloPlayer"));
	// The settings as the user left them, with the skin choice the closing player saved; the log; the skin.
	EXPECT_EQ(Setting("tarnTVPlayer", "ClientConfigUrl"), "http://127.0.0.9/vmp/clientconfig.html");
	EXPECT_EQ(Setting("Debug", "DebugLevel"), "6");
	EXPECT_TRUE(SameText(Setting("tarnTVPlayer", "SkinPath"), strUserSkin)) << Setting("tarnTVPlayer", "SkinPath");
	EXPECT_NE(testfiles::ReadAll(s_strFolder + "tarnTVPlayerLog\\tarnTVPlayer.log").find("second.flv"), std::string::npos);
	EXPECT_EQ(Entries(strUserSkin), userSkinFiles);
	EXPECT_FALSE(userSkinFiles.empty());
}

TEST_F(SetupE2eTest, SilentUninstallLeavesOnlyTheUsersFiles)
{
	// As the installed-programs list runs it; the uninstaller goes on in a copy of itself and ends last.
	std::string strQuiet = Value(HKEY_CURRENT_USER, kUninstallKey, "QuietUninstallString");
	STARTUPINFOA si = {};
	si.cb = sizeof(si);
	PROCESS_INFORMATION pi = {};
	ASSERT_TRUE(::CreateProcessA(nullptr, &strQuiet[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) << strQuiet;
	::CloseHandle(pi.hThread);
	EXPECT_EQ(WaitExit(pi.hProcess, kSetupTimeout), 0u);
	// The copy's last step takes the folder away if it is empty: until then the folder may not be listed.
	EXPECT_TRUE(WaitChildren(pi.dwProcessId, kSetupTimeout));
	EXPECT_TRUE(WaitFor([&] {
		return !KeyExists(HKEY_CURRENT_USER, kUninstallKey) && !testfiles::Exists(s_strFolder + "uninstall.exe");
	}, kSetupTimeout));

	EXPECT_EQ(Entries(s_strFolder), (std::set<std::string>{"skin", "tarnconfig.ini", "tarnTVPlayerLog"}));
	EXPECT_EQ(Entries(s_strFolder + "skin\\"), std::set<std::string>{kUserSkin});
	EXPECT_FALSE(testfiles::Exists(ShellFolder(CSIDL_PROGRAMS) + QUILO_PRODUCT_NAME));
	EXPECT_FALSE(testfiles::Exists(ShellFolder(CSIDL_DESKTOPDIRECTORY) + QUILO_PRODUCT_NAME + ".lnk"));
	for (const char* pszScheme : kSchemes)
	{
		EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, std::string("Software\\Classes\\") + pszScheme)) << pszScheme;
		// Nor does the classes root still send links here (the keys the player wrote through it).
		EXPECT_NE(ReadClassesValue(std::string(pszScheme) + "\\shell\\open\\command", nullptr), CommandUtf8()) << pszScheme;
	}
}
}
