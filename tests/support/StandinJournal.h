// Reading the journal of the stand-in controls (tests/standins): one record per dispatch call received.
#pragma once

#include <ostream>
#include <string>
#include <vector>

namespace standins
{
struct JournalRecord
{
	std::string control;              // "flash" or "live"
	long dispid = 0;
	std::string kind;                 // "put", "method" or "get"
	std::vector<std::string> args;    // in call order; text in code page 936

	bool operator==(const JournalRecord& other) const
	{
		return control == other.control && dispid == other.dispid && kind == other.kind && args == other.args;
	}
	bool operator!=(const JournalRecord& other) const { return !(*this == other); }
};

// The records of a journal file, oldest first; none when the file is missing.
std::vector<JournalRecord> ReadJournal(const std::string& strPath);

// Points the stand-ins of this process and of the processes it starts at a fresh journal file in the
// temporary folder, for the life of the object; the file is deleted at the end.
class CJournalScope
{
public:
	CJournalScope();
	CJournalScope(const CJournalScope&) = delete;
	CJournalScope& operator=(const CJournalScope&) = delete;
	~CJournalScope();

	const std::string& Path() const { return m_strPath; }
	std::vector<JournalRecord> Records() const { return ReadJournal(m_strPath); }

private:
	std::string m_strPath;
};

// Sets an environment variable for the life of the object (the stand-ins read theirs at every call).
class CEnvironmentScope
{
public:
	CEnvironmentScope(const char* pszName, const char* pszValue);
	CEnvironmentScope(const CEnvironmentScope&) = delete;
	CEnvironmentScope& operator=(const CEnvironmentScope&) = delete;
	~CEnvironmentScope();

private:
	std::string m_strName;
};

// The number of stand-in control objects alive in this process; -1 when the server is not loaded.
long ObjectCount();

// For gtest's messages.
void PrintTo(const JournalRecord& record, std::ostream* pOut);
}
