// The settings record of the statistics library and how a fetched settings document fills it.
// Plain standard C++, so that it also builds natively (fuzz target).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

class CSettingsReader;

struct StatSettings
{
	int32_t m_nBootstrap = 0;      // ms from start-up to the first report tick
	int32_t m_nInterval = 0;       // ms between report ticks; 0 or less: no reports
	int32_t m_nUpdateSetting = 0;  // ms between fetches of the document
	int32_t m_nLog = 0;            // reports on (1) or off (0)
	int32_t m_nLogBufmap = 0;      // send the kind-1 report
	int32_t m_nLogConnections = 0; // send the kind-2 report
	std::string m_strHost;         // chosen statistics server
	int32_t m_nPort = 0;           // its UDP port, used as 16 bits
};

enum : int32_t
{
	STAT_DEFAULT_BOOTSTRAP = 10000,
	STAT_DEFAULT_UPDATE = 1800000,
	STAT_MIN_UPDATE = 60000,
};

struct ServerEntry
{
	std::string m_strHost;
	int32_t m_nPort;
};

// The servers of a "servers" value in document order: each piece between commas, blanks trimmed, names
// the section that holds its host and port.
std::vector<ServerEntry> ReadServerList(const CSettingsReader& reader, const std::string& strServers);

// Overwrites every field from the zero-terminated document; keys it lacks take their defaults and the
// server is drawn again at random. With no server listed, reports go off and host and port stay.
void ApplySettings(StatSettings& settings, const char* pszDocument);
