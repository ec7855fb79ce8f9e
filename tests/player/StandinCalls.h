// The stand-in controls' journal in the form the player tests compare: one text per call,
// "flash SetMovie <address>", "live OpenStream <address> 100" ...
#pragma once

#include <string>
#include <vector>

std::vector<std::string> NamedCalls(const std::string& strJournalPath);
