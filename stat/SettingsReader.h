// The statistics settings document: its line parser and the lookups of its keys.
// Plain standard C++, so that the parser also builds natively (fuzz target).
#pragma once

#include <cstdint>
#include <map>
#include <string>

class CSettingsReader
{
public:
	// Parses a zero-terminated document; bad lines are skipped.
	explicit CSettingsReader(const char* pszDocument);

	// The value stored under section and name (letter case ignored), or strDefault.
	std::string LookupText(const std::string& strSection, const std::string& strName,
		const std::string& strDefault) const;
	// The number that starts the value (base detected as in C, saturated to 32 bits), or nDefault when
	// the value is absent or starts with no digit.
	int32_t LookupInteger(const std::string& strSection, const std::string& strName, int32_t nDefault) const;

	size_t GetCount() const { return m_mapValues.size(); }

private:
	void ParseLine(std::string strLine, std::string& strSection);

	std::map<std::string, std::string> m_mapValues;
};

// Converts the start of psz like strtol with base 0, saturating at the 32-bit limits.
// Returns false when no digit was taken.
bool ParseLeadingInteger(const char* psz, int32_t& nValue);
