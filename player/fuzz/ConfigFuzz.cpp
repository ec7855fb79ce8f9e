// libFuzzer target: arbitrary unescaped client configuration documents through the field reader, each
// value checked against a search that ignores letter case as the keys do; the same bytes through the
// percent unescaping, checked against its counted escapes.
#include "player/ConfigFields.h"

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <cstdlib>
#include <string>

namespace
{
void Check(bool bCondition)
{
	if (!bCondition)
		std::abort();
}

bool SameIgnoringCase(char a, char b)
{
	return (a >= 'A' && a <= 'Z' ? a + 32 : a) == (b >= 'A' && b <= 'Z' ? b + 32 : b);
}
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* pData, size_t cbData)
{
	std::string strText(reinterpret_cast<const char*>(pData), cbData);
	std::string strUnescaped = UnescapeUrlBytes(strText);
	size_t nEscapes = 0;
	for (size_t i = 0; i + 2 < strText.size(); ++i)
	{
		if (strText[i] == '%' && std::isxdigit(static_cast<unsigned char>(strText[i + 1]))
			&& std::isxdigit(static_cast<unsigned char>(strText[i + 2])))
		{
			++nEscapes;
			i += 2;
		}
	}
	Check(strUnescaped.size() == strText.size() - 2 * nEscapes);
	Check(nEscapes > 0 || strUnescaped == strText);
	ConfigValues values = ReadConfigFields(strText);

	const char* const kBlanks = " \t\r\n\v\f";
	size_t nFirst = strText.find_first_not_of(kBlanks);
	std::string strDocument = nFirst == std::string::npos ? std::string()
		: strText.substr(nFirst, strText.find_last_not_of(kBlanks) - nFirst + 1);
	if (strDocument.size() < 2 || strDocument.substr(strDocument.size() - 2) != "##")
		strDocument += "##";
	const std::string keys[CONFIG_FIELD_COUNT] = {
		"weburl=", "helpurl=", "homeurl=", "feedbackurl=", "defaultloadingurl=", "playerurl="};
	for (int i = 0; i < CONFIG_FIELD_COUNT; ++i)
	{
		auto itKey = std::search(strDocument.begin(), strDocument.end(), keys[i].begin(), keys[i].end(), SameIgnoringCase);
		Check(values[i].has_value() == (itKey != strDocument.end()));
		if (!values[i])
			continue;
		size_t nStart = static_cast<size_t>(itKey - strDocument.begin()) + keys[i].size();
		Check(*values[i] == strDocument.substr(nStart, strDocument.find("##", nStart) - nStart));
		Check(values[i]->find("##") == std::string::npos);
	}
	return 0;
}
