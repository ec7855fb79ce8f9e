// libFuzzer target: arbitrary settings documents through the parser and ApplySettings, as the worker
// sees them (at most 4095 bytes, zero-terminated), with the record's invariants checked afterwards, the
// integer conversion compared with the C library's and the server list with a split by string stream.
#include "stat/SettingsReader.h"
#include "stat/StatSettings.h"

#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <sstream>
#include <string>
#include <vector>

namespace
{
void Check(bool bCondition)
{
	if (!bCondition)
		std::abort();
}

// What LookupInteger must give: strtoll with base detection, clamped to 32 bits.
void CheckInteger(const char* psz)
{
	char* pszEnd = nullptr;
	errno = 0;
	long long nExpected = std::strtoll(psz, &pszEnd, 0);
	int32_t nValue = 0;
	bool bDigits = ParseLeadingInteger(psz, nValue);
	Check(bDigits == (pszEnd != psz));
	if (!bDigits)
		return;
	if (nExpected > INT32_MAX)
		nExpected = INT32_MAX;
	if (nExpected < INT32_MIN)
		nExpected = INT32_MIN;
	Check(nValue == nExpected);
}

// What ReadServerList must give: the pieces std::getline cuts at each ",", blanks " \t\n\r" trimmed.
void CheckServerList(const CSettingsReader& reader, const std::string& strServers)
{
	std::vector<ServerEntry> expected;
	std::istringstream stream(strServers);
	std::string strPiece;
	while (std::getline(stream, strPiece, ','))
	{
		size_t nStart = strPiece.find_first_not_of(" \t\n\r");
		std::string strSection = nStart == std::string::npos ? std::string()
			: strPiece.substr(nStart, strPiece.find_last_not_of(" \t\n\r") - nStart + 1);
		expected.push_back({reader.LookupText(strSection, "host", ""), reader.LookupInteger(strSection, "port", 0)});
	}
	std::vector<ServerEntry> servers = ReadServerList(reader, strServers);
	Check(servers.size() == expected.size());
	for (size_t i = 0; i < servers.size(); ++i)
		Check(servers[i].m_strHost == expected[i].m_strHost && servers[i].m_nPort == expected[i].m_nPort);
}
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* pData, size_t cbData)
{
	char szDocument[4096];
	size_t cb = cbData < sizeof(szDocument) - 1 ? cbData : sizeof(szDocument) - 1;
	std::memcpy(szDocument, pData, cb);
	szDocument[cb] = '\0';

	StatSettings settings;
	settings.m_strHost = "previous";
	settings.m_nPort = 7;
	ApplySettings(settings, szDocument);
	Check(settings.m_nUpdateSetting >= STAT_MIN_UPDATE);
	Check(settings.m_nLog == 0 || settings.m_nLog == 1);
	Check(settings.m_nLogBufmap == 0 || settings.m_nLogBufmap == 1);
	Check(settings.m_nLogConnections == 0 || settings.m_nLogConnections == 1);

	CSettingsReader reader(szDocument);
	if (reader.LookupText("setting", "servers", "").empty())
	{
		Check(settings.m_nLog == 0);
		Check(settings.m_strHost == "previous" && settings.m_nPort == 7);
	}
	Check(reader.LookupInteger("setting", "interval", 0) == settings.m_nInterval);
	// Lines longer than 199 bytes are cut, so no stored value can be longer.
	Check(reader.LookupText("setting", "servers", "").size() < 199);

	CheckInteger(szDocument);
	// The servers value as the document gives it, and the whole input as one: blanks, commas and bytes of
	// every kind, also longer than a line can hold.
	CheckServerList(reader, reader.LookupText("setting", "servers", ""));
	CheckServerList(reader, std::string(szDocument, cb));
	return 0;
}
