// libFuzzer target: arbitrary bytes as a settings document, then names and a value taken from the input's
// first lines. A write that is accepted must read back, must leave other sections' answers as they were,
// and must change the text only at one place; a removal must leave nothing to find and only drop bytes.
#include "framework/ProfileText.h"

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

std::string TakeLine(std::string& str)
{
	size_t nBreak = str.find('\x01');
	std::string strLine = str.substr(0, nBreak);
	str = nBreak == std::string::npos ? std::string() : str.substr(nBreak + 1);
	return strLine;
}

// Whether strPart is strWhole with bytes dropped.
bool IsSubsequence(const std::string& strPart, const std::string& strWhole)
{
	size_t nPart = 0;
	for (size_t i = 0; i < strWhole.size() && nPart < strPart.size(); ++i)
		nPart += strWhole[i] == strPart[nPart];
	return nPart == strPart.size();
}

void CheckRemovals(const CProfileText& before, const std::string& strSection, const std::string& strKey,
	const std::string& strOther)
{
	std::string strValue;
	CProfileText without = before;
	without.RemoveKey(strSection, strKey);
	Check(!without.Lookup(strSection, strKey, strValue) && IsSubsequence(without.GetText(), before.GetText()));
	if (!ProfileNamesEqual(strOther, strSection))
		Check(without.GetString(strOther, strKey, "<none>") == before.GetString(strOther, strKey, "<none>"));
	without = before;
	without.RemoveSection(strSection);
	Check(!without.Lookup(strSection, strKey, strValue) && IsSubsequence(without.GetText(), before.GetText()));
}
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* pData, size_t cbData)
{
	std::string strInput(reinterpret_cast<const char*>(pData), cbData);
	std::string strSection = TakeLine(strInput);
	std::string strKey = TakeLine(strInput);
	std::string strValue = TakeLine(strInput);
	std::string strOther = TakeLine(strInput);
	CProfileText before(strInput);
	std::string strOtherBefore = before.GetString(strOther, strKey, "<none>");
	int32_t nOtherBefore = before.GetInt(strOther, strKey, -7);

	CheckRemovals(before, strSection, strKey, strOther);

	CProfileText after = before;
	if (!after.SetString(strSection, strKey, strValue))
	{
		Check(after.GetText() == strInput);
		return 0;
	}
	Check(after.GetString(strSection, strKey, "<none>") == strValue);
	if (!strValue.empty())
		Check(after.GetInt(strSection, strKey, 0) == ParseProfileInt(strValue));
	if (!ProfileNamesEqual(strOther, strSection))
	{
		Check(after.GetString(strOther, strKey, "<none>") == strOtherBefore);
		Check(after.GetInt(strOther, strKey, -7) == nOtherBefore);
	}
	// One edit: the text before and after it is the old text's own prefix and suffix.
	const std::string& strNew = after.GetText();
	size_t nPrefix = 0;
	while (nPrefix < strNew.size() && nPrefix < strInput.size() && strNew[nPrefix] == strInput[nPrefix])
		++nPrefix;
	size_t nSuffix = 0;
	while (nSuffix < strNew.size() - nPrefix && nSuffix < strInput.size() - nPrefix
		&& strNew[strNew.size() - 1 - nSuffix] == strInput[strInput.size() - 1 - nSuffix])
		++nSuffix;
	Check(strNew.size() - nPrefix - nSuffix <= strKey.size() + strValue.size() + strSection.size() + 16);
	// Writing the same value again changes nothing.
	CProfileText again = after;
	Check(again.SetString(strSection, strKey, strValue) && again.GetText() == strNew);
	return 0;
}
