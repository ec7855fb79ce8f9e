// The records of the player's diagnostic log in a program folder (default: the test program's own),
// for checking what was logged.
#pragma once

#include <string>
#include <vector>

namespace logrecords
{
// The default log file of a program folder (with its trailing backslash).
std::string LogPath(const std::string& strFolder);
// Writes DebugLevel=6 to tarnconfig.ini beside the program and empties the log.
void Reset();
// Every record as "LABEL|message" (the label without its padding blank).
std::vector<std::string> Read(const std::string& strFolder = std::string());
// True when a record with this label ("ERR", "DEBG") carries exactly this message.
bool Has(const char* pszLabel, const std::string& strMessage);
}
