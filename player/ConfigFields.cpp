#include "player/ConfigFields.h"

#include "framework/Digits.h"

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

std::string UnescapeUrlBytes(const std::string& strText)
{
	std::string strOut;
	strOut.reserve(strText.size());
	for (size_t i = 0; i < strText.size(); ++i)
	{
		int nHigh = strText[i] == '%' && i + 2 < strText.size() ? DigitValue(strText[i + 1]) : 99;
		int nLow = nHigh < 16 ? DigitValue(strText[i + 2]) : 99;
		if (nLow >= 16)
		{
			strOut += strText[i];
			continue;
		}
		strOut += static_cast<char>(nHigh * 16 + nLow);
		i += 2;
	}
	return strOut;
}
