// The records of the player's diagnostic log beside the test program, for checking what was logged.
#pragma once

#include <string>
#include <vector>

namespace logrecords
{
// Writes DebugLevel=6 to tarnconfig.ini beside the program and empties the log.
void Reset();
// Every record as "LABEL|message" (the label without its padding blank).
std::vector<std::string> Read();
// True when a record with this label ("ERR", "DEBG") carries exactly this message.
bool Has(const char* pszLabel, const std::string& strMessage);
}
