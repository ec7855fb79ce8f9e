#include "stat/StatSettings.h"

#include "stat/SettingsReader.h"

#include <cstdlib>
#include <ctime>

namespace
{
std::string TrimServerName(const std::string& str)
{
	const char* pszBlanks = " \t\n\r";
	size_t nStart = str.find_first_not_of(pszBlanks);
	if (nStart == std::string::npos)
		return std::string();
	return str.substr(nStart, str.find_last_not_of(pszBlanks) - nStart + 1);
}

int32_t Flag(const CSettingsReader& reader, const char* pszName)
{
	return reader.LookupInteger("setting", pszName, 0) != 0 ? 1 : 0;
}
}

std::vector<ServerEntry> ReadServerList(const CSettingsReader& reader, const std::string& strServers)
{
	// Even an empty piece names a section (the one before any header); a trailing comma adds none.
	std::vector<ServerEntry> servers;
	size_t nStart = 0;
	while (nStart < strServers.size())
	{
		size_t nComma = strServers.find(',', nStart);
		size_t nEnd = nComma == std::string::npos ? strServers.size() : nComma;
		std::string strSection = TrimServerName(strServers.substr(nStart, nEnd - nStart));
		servers.push_back({reader.LookupText(strSection, "host", std::string()),
			reader.LookupInteger(strSection, "port", 0)});
		nStart = nEnd + 1;
	}
	return servers;
}

void ApplySettings(StatSettings& settings, const char* pszDocument)
{
	CSettingsReader reader(pszDocument);
	std::string strServers = reader.LookupText("setting", "servers", std::string());
	settings.m_nBootstrap = reader.LookupInteger("setting", "bootstrap", STAT_DEFAULT_BOOTSTRAP);
	settings.m_nInterval = reader.LookupInteger("setting", "interval", 0);
	settings.m_nUpdateSetting = reader.LookupInteger("setting", "update_setting", STAT_DEFAULT_UPDATE);
	if (settings.m_nUpdateSetting < STAT_MIN_UPDATE)
		settings.m_nUpdateSetting = STAT_MIN_UPDATE;
	settings.m_nLog = Flag(reader, "log");
	settings.m_nLogBufmap = Flag(reader, "log_bufmap");
	settings.m_nLogConnections = Flag(reader, "log_connections");

	std::vector<ServerEntry> servers = ReadServerList(reader, strServers);
	std::srand(static_cast<unsigned int>(std::time(nullptr)));
	if (servers.empty())
	{
		settings.m_nLog = 0;
		return;
	}
	const ServerEntry& server = servers[static_cast<size_t>(std::rand()) % servers.size()];
	settings.m_strHost = server.m_strHost;
	settings.m_nPort = server.m_nPort;
}
