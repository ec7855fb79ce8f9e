#include "StandinCalls.h"

#include "support/StandinJournal.h"

#include <windows.h>

namespace
{
struct CCallName
{
	const char* pszControl;
	long nDispid;
	const char* pszKind;
	const char* pszName;
};

// Each operation the player makes, as the stand-ins journal it: control, dispatch id, kind.
const CCallName kCallNames[] = {
	{"flash", 102, "put", "SetMovie"},
	{"flash", 123, "put", "SetBackgroundColor"},
	{"flash", 202, "put", "SetAllowFullScreen"},
	{"live", 4, "put", "SetStartupFlag"},
	{"live", 11, "put", "SetLoadingUrl1"},
	{"live", 12, "put", "SetLoadingUrl2"},
	{"live", 5, "method", "OpenStream"},
	{"live", 6, "method", "StartStream"},
	{"live", 7, "method", "CloseStream"},
	{"live", 8, "method", "PrepareStream"},
	{"live", 13, "method", "SetOption"},
	{"browser", 500, "method", "Navigate2"},
	{"browser", WM_CONTEXTMENU, "message", "ContextMenu"},
	{"flash", WM_SETFOCUS, "message", "FocusWhileHidden"},
	{"live", WM_SETFOCUS, "message", "FocusWhileHidden"},
	{"browser", WM_SETFOCUS, "message", "FocusWhileHidden"},
};
}

std::vector<std::string> NamedCalls(const std::string& strJournalPath)
{
	std::vector<std::string> calls;
	for (const standins::JournalRecord& record : standins::ReadJournal(strJournalPath))
	{
		// An unknown operation keeps its raw form, so that a comparison shows it.
		std::string strCall = record.control + " " + std::to_string(record.dispid) + " " + record.kind;
		for (const CCallName& name : kCallNames)
		{
			if (record.control == name.pszControl && record.dispid == name.nDispid && record.kind == name.pszKind)
				strCall = record.control + " " + name.pszName;
		}
		for (const std::string& strArg : record.args)
			strCall += " " + strArg;
		calls.push_back(strCall);
	}
	return calls;
}
