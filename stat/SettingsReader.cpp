#include "stat/SettingsReader.h"

#include "framework/Digits.h"

#include <algorithm>
#include <cstring>

namespace
{
// The document is expected to keep its lines shorter; the excess of a longer line is dropped.
const size_t kMaxLine = 199;
const size_t kMaxSectionName = 49;
const char kBlanks[] = " \t\n\v\f\r";

bool IsBlank(char ch)
{
	return ch != '\0' && std::strchr(kBlanks, ch) != nullptr;
}

void TrimRight(std::string& str)
{
	size_t nEnd = str.find_last_not_of(kBlanks);
	str.erase(nEnd == std::string::npos ? 0 : nEnd + 1);
}

void TrimLeft(std::string& str)
{
	size_t nStart = str.find_first_not_of(kBlanks);
	str.erase(0, nStart == std::string::npos ? str.size() : nStart);
}

// Only ASCII letters change: the document is read as bytes.
std::string LowerAscii(std::string str)
{
	for (char& ch : str)
	{
		if (ch >= 'A' && ch <= 'Z')
			ch = static_cast<char>(ch - 'A' + 'a');
	}
	return str;
}

std::string MakeKey(const std::string& strSection, const std::string& strName)
{
	return LowerAscii(strSection + "." + strName);
}
}

bool ParseLeadingInteger(const char* psz, int32_t& nValue)
{
	while (IsBlank(*psz))
		++psz;
	bool bNegative = false;
	if (*psz == '+' || *psz == '-')
		bNegative = *psz++ == '-';
	int nBase = 10;
	if (psz[0] == '0' && (psz[1] == 'x' || psz[1] == 'X') && DigitValue(psz[2]) < 16)
	{
		nBase = 16;
		psz += 2;
	}
	else if (psz[0] == '0')
		nBase = 8;

	// One past the largest magnitude is enough to know that the result saturates.
	const uint64_t nCap = uint64_t(INT32_MAX) + 2;
	uint64_t nMagnitude = 0;
	bool bDigits = false;
	for (; DigitValue(*psz) < nBase; ++psz)
	{
		bDigits = true;
		nMagnitude = nMagnitude * nBase + DigitValue(*psz);
		if (nMagnitude > nCap)
			nMagnitude = nCap;
	}
	if (!bDigits)
		return false;
	if (bNegative)
		nValue = nMagnitude > uint64_t(INT32_MAX) ? INT32_MIN : -static_cast<int32_t>(nMagnitude);
	else
		nValue = nMagnitude > uint64_t(INT32_MAX) ? INT32_MAX : static_cast<int32_t>(nMagnitude);
	return true;
}

CSettingsReader::CSettingsReader(const char* pszDocument)
{
	std::string strSection;
	const char* pszLine = pszDocument;
	for (;;)
	{
		const char* pszEnd = std::strchr(pszLine, '\n');
		size_t cch = pszEnd ? static_cast<size_t>(pszEnd - pszLine) : std::strlen(pszLine);
		ParseLine(std::string(pszLine, cch < kMaxLine ? cch : kMaxLine), strSection);
		if (!pszEnd)
			break;
		pszLine = pszEnd + 1;
	}
}

void CSettingsReader::ParseLine(std::string strLine, std::string& strSection)
{
	TrimRight(strLine);
	TrimLeft(strLine);
	if (strLine.empty() || strLine[0] == ';')
		return;

	if (strLine[0] == '[')
	{
		size_t nClose = strLine.find_first_of("];", 1);
		if (nClose == std::string::npos || strLine[nClose] == ';')
			return;
		strSection = strLine.substr(1, nClose - 1).substr(0, kMaxSectionName);
		return;
	}

	size_t nEquals = strLine.find_first_of("=;");
	if (nEquals == std::string::npos || strLine[nEquals] == ';')
		return;
	std::string strName = strLine.substr(0, nEquals);
	TrimRight(strName);
	std::string strValue = strLine.substr(nEquals + 1);
	TrimLeft(strValue);
	strValue.erase(std::min(strValue.find(';'), strValue.size()));
	TrimRight(strValue);
	m_mapValues[MakeKey(strSection, strName)] = strValue;
}

std::string CSettingsReader::LookupText(const std::string& strSection, const std::string& strName,
	const std::string& strDefault) const
{
	auto it = m_mapValues.find(MakeKey(strSection, strName));
	return it == m_mapValues.end() ? strDefault : it->second;
}

int32_t CSettingsReader::LookupInteger(const std::string& strSection, const std::string& strName,
	int32_t nDefault) const
{
	int32_t nValue = 0;
	return ParseLeadingInteger(LookupText(strSection, strName, std::string()).c_str(), nValue) ? nValue : nDefault;
}
