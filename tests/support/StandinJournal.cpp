#include "support/StandinJournal.h"

#include "standins/StandinIds.h"
#include "support/TestFiles.h"
#include "support/Wide936.h"

#include <windows.h>

#include <sstream>

namespace standins
{
namespace
{
std::string Unescape(const std::string& str)
{
	std::string strOut;
	for (size_t i = 0; i < str.size(); ++i)
	{
		if (str[i] != '\\' || i + 1 == str.size())
		{
			strOut += str[i];
			continue;
		}
		char ch = str[++i];
		strOut += ch == 't' ? '\t' : ch == 'n' ? '\n' : ch == 'r' ? '\r' : ch;
	}
	return strOut;
}

std::vector<std::string> SplitTabs(const std::string& strLine)
{
	std::vector<std::string> fields;
	size_t nStart = 0;
	for (;;)
	{
		size_t nTab = strLine.find('\t', nStart);
		fields.push_back(strLine.substr(nStart, nTab == std::string::npos ? std::string::npos : nTab - nStart));
		if (nTab == std::string::npos)
			return fields;
		nStart = nTab + 1;
	}
}
}

std::vector<JournalRecord> ReadJournal(const std::string& strPath)
{
	std::vector<JournalRecord> records;
	std::istringstream in(testfiles::ReadAll(strPath));
	std::string strLine;
	while (std::getline(in, strLine))
	{
		std::vector<std::string> fields = SplitTabs(strLine);
		if (fields.size() < 3)
			continue;
		JournalRecord record;
		record.control = fields[0];
		record.dispid = std::stol(fields[1]);
		record.kind = fields[2];
		for (size_t i = 3; i < fields.size(); ++i)
			record.args.push_back(Unescape(fields[i]));
		records.push_back(record);
	}
	return records;
}

CJournalScope::CJournalScope()
{
	char szFolder[MAX_PATH];
	char szPath[MAX_PATH];
	w936::GetTempPathA(MAX_PATH, szFolder);
	::GetTempFileNameA(szFolder, "sjn", 0, szPath);
	m_strPath = szPath;
	w936::SetEnvironmentVariableA(kEnvJournal, m_strPath.c_str());
}

CJournalScope::~CJournalScope()
{
	w936::SetEnvironmentVariableA(kEnvJournal, nullptr);
	w936::DeleteFileA(m_strPath.c_str());
}

CEnvironmentScope::CEnvironmentScope(const char* pszName, const char* pszValue)
	: m_strName(pszName)
{
	w936::SetEnvironmentVariableA(pszName, pszValue);
}

CEnvironmentScope::~CEnvironmentScope()
{
	w936::SetEnvironmentVariableA(m_strName.c_str(), nullptr);
}

long ObjectCount()
{
	HMODULE hModule = ::GetModuleHandleA(kDllName);
	using Count = LONG(WINAPI*)();
	auto pfnCount = hModule ? reinterpret_cast<Count>(reinterpret_cast<void*>(::GetProcAddress(hModule, "StandinObjectCount"))) : nullptr;
	return pfnCount ? pfnCount() : -1;
}

void PrintTo(const JournalRecord& record, std::ostream* pOut)
{
	*pOut << record.control << " " << record.dispid << " " << record.kind;
	for (const std::string& strArg : record.args)
		*pOut << " [" << strArg << "]";
}
}
