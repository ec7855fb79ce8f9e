#include "StandinCalls.h"

#include <sstream>

namespace
{
struct CCallName
{
	const char* pszControl;
	const char* pszDispid;
	const char* pszKind;
	const char* pszName;
};

// Each operation the player makes, as the stand-ins journal it: control, dispatch id, kind.
const CCallName kCallNames[] = {
	{"flash", "102", "put", "SetMovie"},
	{"flash", "123", "put", "SetBackgroundColor"},
	{"flash", "202", "put", "SetAllowFullScreen"},
	{"live", "4", "put", "SetStartupFlag"},
	{"live", "11", "put", "SetLoadingUrl1"},
	{"live", "12", "put", "SetLoadingUrl2"},
	{"live", "5", "method", "OpenStream"},
	{"live", "6", "method", "StartStream"},
	{"live", "7", "method", "CloseStream"},
	{"live", "8", "method", "PrepareStream"},
	{"live", "13", "method", "SetOption"},
};
}

std::vector<std::string> NormalisedCalls(const std::vector<std::string>& journal)
{
	std::vector<std::string> calls;
	for (const std::string& strLine : journal)
	{
		std::vector<std::string> fields;
		std::istringstream in(strLine);
		std::string strField;
		while (std::getline(in, strField, '\t'))
			fields.push_back(strField);
		if (fields.size() < 3)
		{
			calls.push_back(strLine);
			continue;
		}
		// An unknown operation keeps its raw form, so that a comparison shows it.
		std::string strCall = fields[0] + " " + fields[1] + " " + fields[2];
		for (const CCallName& name : kCallNames)
		{
			if (fields[0] == name.pszControl && fields[1] == name.pszDispid && fields[2] == name.pszKind)
				strCall = fields[0] + " " + name.pszName;
		}
		for (size_t i = 3; i < fields.size(); ++i)
			strCall += " " + fields[i];
		calls.push_back(strCall);
	}
	return calls;
}
