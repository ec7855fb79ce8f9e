// ApplySettings: defaults, limits, flags and the server list.
#include "stat/SettingsReader.h"
#include "stat/StatSettings.h"

#include <gtest/gtest.h>

namespace
{
StatSettings Apply(const std::string& strDocument)
{
	StatSettings settings;
	settings.m_strHost = "old.host";
	settings.m_nPort = 1234;
	ApplySettings(settings, strDocument.c_str());
	return settings;
}

std::vector<std::string> Servers(const std::string& strDocument)
{
	CSettingsReader reader(strDocument.c_str());
	std::vector<std::string> servers;
	for (const ServerEntry& server : ReadServerList(reader, reader.LookupText("setting", "servers", "")))
		servers.push_back(server.m_strHost + ":" + std::to_string(server.m_nPort));
	return servers;
}
}

TEST(ApplySettingsTest, TypicalDocument)
{
	StatSettings settings = Apply(
		"[setting]\r\n"
		"servers=a, b\r\n"
		"log=1\r\n"
		"interval=60000\r\n"
		"log_bufmap=1\r\n"
		"[a]\r\n"
		"host=stat-a.example.com\r\n"
		"port=8000\r\n"
		"[b]\r\n"
		"host=10.1.2.3 ; second\r\n"
		"port=8001\r\n");
	EXPECT_EQ(settings.m_nLog, 1);
	EXPECT_EQ(settings.m_nInterval, 60000);
	EXPECT_EQ(settings.m_nBootstrap, 10000);
	EXPECT_EQ(settings.m_nUpdateSetting, 1800000);
	EXPECT_EQ(settings.m_nLogBufmap, 1);
	EXPECT_EQ(settings.m_nLogConnections, 0);
	std::string strChosen = settings.m_strHost + ":" + std::to_string(settings.m_nPort);
	EXPECT_TRUE(strChosen == "stat-a.example.com:8000" || strChosen == "10.1.2.3:8001") << strChosen;
}

TEST(ApplySettingsTest, MixedCaseKeysAndFlags)
{
	StatSettings settings = Apply("[Setting]\nInterval=0x1388\nLOG=abc\nlog_bufmap=-1\nservers=x\n[X]\nHost=h\n");
	EXPECT_EQ(settings.m_nInterval, 5000);
	EXPECT_EQ(settings.m_nLog, 0);
	EXPECT_EQ(settings.m_nLogBufmap, 1);
	EXPECT_EQ(settings.m_strHost, "h");
	EXPECT_EQ(settings.m_nPort, 0);
}

TEST(ApplySettingsTest, UpdatePeriodHasAFloor)
{
	EXPECT_EQ(Apply("[setting]\nupdate_setting=1000\n").m_nUpdateSetting, 60000);
	EXPECT_EQ(Apply("[setting]\nupdate_setting=-5\n").m_nUpdateSetting, 60000);
	EXPECT_EQ(Apply("[setting]\nupdate_setting=-99999999999\n").m_nUpdateSetting, 60000);
	EXPECT_EQ(Apply("[setting]\n").m_nUpdateSetting, 1800000);
	EXPECT_EQ(Apply("[setting]\nupdate_setting=60000\n").m_nUpdateSetting, 60000);
	EXPECT_EQ(Apply("[setting]\nupdate_setting=90000\n").m_nUpdateSetting, 90000);
}

TEST(ApplySettingsTest, NoServerSwitchesReportsOffAndKeepsTheOldServer)
{
	for (const char* pszServers : {"", "servers=\n", "servers= ; none\n"})
	{
		StatSettings settings = Apply(std::string("[setting]\nlog=1\ninterval=100\n") + pszServers);
		EXPECT_EQ(settings.m_nLog, 0) << pszServers;
		EXPECT_EQ(settings.m_nInterval, 100);
		EXPECT_EQ(settings.m_strHost, "old.host");
		EXPECT_EQ(settings.m_nPort, 1234);
	}
}

TEST(ApplySettingsTest, ServerListPieces)
{
	const std::string strSections = "host=top\nport=1\n[a]\nhost=ha\nport=2\n[b]\nhost=hb\nport=0x10\n";
	using List = std::vector<std::string>;
	EXPECT_EQ(Servers(strSections + "[setting]\nservers=a,b\n"), (List{"ha:2", "hb:16"}));
	EXPECT_EQ(Servers(strSections + "[setting]\nservers= a\t, B ,\n"), (List{"ha:2", "hb:16"}));
	EXPECT_EQ(Servers(strSections + "[setting]\nservers=a,,b\n"), (List{"ha:2", "top:1", "hb:16"}));
	EXPECT_EQ(Servers(strSections + "[setting]\nservers=,a\n"), (List{"top:1", "ha:2"}));
	EXPECT_EQ(Servers(strSections + "[setting]\nservers=a,  ,\n"), (List{"ha:2", "top:1"}));
	EXPECT_EQ(Servers(strSections + "[setting]\nservers=missing\n"), (List{":0"}));
	EXPECT_EQ(Servers(strSections + "[setting]\nservers=\n"), List{});

	// A lone comma gives one empty piece, the section before any header: reports stay on.
	StatSettings settings = Apply(strSections + "[setting]\nlog=1\nservers= ,\n");
	EXPECT_EQ(settings.m_nLog, 1);
	EXPECT_EQ(settings.m_strHost, "top");
	EXPECT_EQ(settings.m_nPort, 1);
}

TEST(ApplySettingsTest, EveryApplyStartsFromTheDefaults)
{
	StatSettings settings;
	ApplySettings(settings, "[setting]\nbootstrap=5\ninterval=7\nlog=1\nlog_bufmap=1\nupdate_setting=70000\n"
		"servers=a\n[a]\nhost=h\nport=9\n");
	EXPECT_EQ(settings.m_nBootstrap, 5);
	ApplySettings(settings, "[setting]\n");
	EXPECT_EQ(settings.m_nBootstrap, 10000);
	EXPECT_EQ(settings.m_nInterval, 0);
	EXPECT_EQ(settings.m_nLogBufmap, 0);
	EXPECT_EQ(settings.m_nUpdateSetting, 1800000);
	EXPECT_EQ(settings.m_nLog, 0);
	EXPECT_EQ(settings.m_strHost, "h");
	EXPECT_EQ(settings.m_nPort, 9);
}
