// The text a second instance hands the running player: its command line in code page 936, as players of
// either kind read the copy-data record.
#pragma once

#include <string>

// The command line in code page 936; a character 936 cannot spell becomes its UTF-8 bytes percent-encoded
// ("%C5%81" for "Ł"), which the player's control loads as a link would carry them, never "?".
std::string HandOffText(const wchar_t* pszCommandLine);
