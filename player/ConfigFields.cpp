#include "player/ConfigFields.h"

namespace
{
const char* const kKeys[CONFIG_FIELD_COUNT] = {
	"weburl=", "helpurl=", "homeurl=", "feedbackurl=", "defaultloadingurl=", "playerurl="};

bool IsBlank(char ch)
{
	return ch == ' ' || ch == '\t' || ch == '\r' || ch == '\n' || ch == '\v' || ch == '\f';
}
}

ConfigValues ReadConfigFields(const std::string& strText)
{
	size_t nFirst = 0, nLast = strText.size();
	while (nLast > 0 && IsBlank(strText[nLast - 1]))
		--nLast;
	while (nFirst < nLast && IsBlank(strText[nFirst]))
		++nFirst;
	std::string strCased = strText.substr(nFirst, nLast - nFirst);
	if (strCased.size() < 2 || strCased.compare(strCased.size() - 2, 2, "##") != 0)
		strCased += "##";
	// The document need not be code page 936 text (a UTF-8 page, say): keys are found byte by byte.
	std::string strLower(strCased);
	for (char& ch : strLower)
	{
		if (ch >= 'A' && ch <= 'Z')
			ch = static_cast<char>(ch - 'A' + 'a');
	}

	ConfigValues values;
	for (int i = 0; i < CONFIG_FIELD_COUNT; ++i)
	{
		size_t nKey = strLower.find(kKeys[i]);
		if (nKey == std::string::npos)
			continue;
		size_t nStart = nKey + std::char_traits<char>::length(kKeys[i]);
		// The appended terminator guarantees an end.
		values[i] = strCased.substr(nStart, strLower.find("##", nStart) - nStart);
	}
	return values;
}
