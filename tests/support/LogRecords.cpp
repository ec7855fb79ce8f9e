#include "support/LogRecords.h"

#include "support/TestFiles.h"
#include "support/Wide936.h"

#include <regex>

namespace logrecords
{
std::string LogPath(const std::string& strFolder)
{
	return strFolder + "tarnTVPlayerLog\\tarnTVPlayer.log";
}

void Reset()
{
	std::string strDir = testfiles::ProgramFolder();
	w936::WritePrivateProfileStringA("Debug", "DebugLevel", "6", (strDir + "tarnconfig.ini").c_str());
	testfiles::Remove(strDir + "tarnTVPlayerLog");
}

std::vector<std::string> Read(const std::string& strFolder)
{
	std::string strLog = testfiles::ReadAll(LogPath(strFolder.empty() ? testfiles::ProgramFolder() : strFolder));
	std::regex record("(!SEC_INFO|ERR |WARN|IMPT|INFO|VERB|DEBG) \\d{4}-\\d\\d-\\d\\d \\d\\d:\\d\\d:\\d\\d \xA1\xAA "
		"([\\s\\S]*?)\r\n\r\n");
	std::vector<std::string> records;
	for (std::sregex_iterator it(strLog.begin(), strLog.end(), record), end; it != end; ++it)
	{
		std::string strLabel = (*it)[1];
		if (strLabel.back() == ' ')
			strLabel.pop_back();
		records.push_back(strLabel + "|" + (*it)[2].str());
	}
	return records;
}

bool Has(const char* pszLabel, const std::string& strMessage)
{
	for (const std::string& strRecord : Read())
	{
		if (strRecord == std::string(pszLabel) + "|" + strMessage)
			return true;
	}
	return false;
}
}
