// A sectioned settings document ("[section]" headers, "key=value" lines) held in memory: read once,
// looked up and edited in memory, by the rules the platform's private-profile calls follow.
// Plain standard C++, so that the parser also builds natively (fuzz target).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

// Documents larger than this are refused by the file layer.
constexpr size_t kMaxProfileBytes = 1024 * 1024;

class CProfileText
{
public:
	CProfileText() = default;
	// Parses code page 936 text; lines that are neither a header nor a key line are kept but unread.
	explicit CProfileText(std::string strText);

	// The first key named so in the first section named so (ASCII letter case ignored), its value trimmed
	// and without matching outer quotes; 0 when absent.
	bool Lookup(const std::string& strSection, const std::string& strKey, std::string& strValue) const;
	std::string GetString(const std::string& strSection, const std::string& strKey,
		const std::string& strDefault) const;
	// The number read as the platform reads it: blanks, one sign, "0x"/"0o"/"0b" or decimal digits up to
	// the first other character, wrapping at 32 bits; nDefault when the value is absent or empty.
	int32_t GetInt(const std::string& strSection, const std::string& strKey, int32_t nDefault) const;

	// Replaces the value in place, or adds the key at the end of its section, or adds the section at the
	// end; every other byte stays. 0 when a name or the value could not be read back (line breaks, "=",
	// "]" in a section name or a lead byte at its end, blanks at the ends).
	bool SetString(const std::string& strSection, const std::string& strKey, const std::string& strValue);
	// Drops the lines of the key from every section so named (RemoveSection: those sections whole, header
	// and lines), so that no lookup finds it any more; every other byte stays. 0 when there was none.
	bool RemoveKey(const std::string& strSection, const std::string& strKey);
	bool RemoveSection(const std::string& strSection);

	const std::string& GetText() const { return m_strText; }

private:
	struct CEntry
	{
		size_t nSection;
		std::string strKey;
		size_t nValueStart;
		size_t nValueEnd;
		size_t nLineStart;
		size_t nLineNext;   // the start of the line after it
	};
	struct CSection
	{
		std::string strName;
		size_t nContentEnd; // end of its last key line, before the line break
		size_t nHeaderStart;
	};

	void Parse();
	// Erases the ranges (in text order, not overlapping) and parses again; false when there are none.
	bool Erase(const std::vector<std::pair<size_t, size_t>>& ranges);
	const CEntry* FindEntry(const std::string& strSection, const std::string& strKey, size_t* pnSection) const;
	std::string LineBreak() const;

	std::string m_strText;
	std::vector<CSection> m_sections;
	std::vector<CEntry> m_entries;
};

// The platform's reading of a number (base 0): see CProfileText::GetInt.
int32_t ParseProfileInt(const std::string& strValue);
// Names match character by character in code page 936, ASCII letters without regard to case.
bool ProfileNamesEqual(const std::string& strA, const std::string& strB);
