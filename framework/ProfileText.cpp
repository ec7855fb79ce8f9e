#include "framework/ProfileText.h"

#include "framework/Digits.h"

#include <cstring>
#include <utility>

namespace
{
const size_t kNoSection = static_cast<size_t>(-1);

bool IsBlank(char ch)
{
	return ch == ' ' || ch == '\t' || ch == '\r' || ch == '\v' || ch == '\f';
}

// The bytes of the code page 936 character at i: two where a lead byte has its trail byte. A trail byte
// may be '[', ']' or a Latin letter, so text is walked by characters, never by bytes.
size_t CharLength(const std::string& str, size_t i)
{
	unsigned char ch = static_cast<unsigned char>(str[i]);
	if (ch < 0x81 || ch == 0xFF || i + 1 >= str.size())
		return 1;
	unsigned char chTrail = static_cast<unsigned char>(str[i + 1]);
	return chTrail >= 0x40 && chTrail != 0x7F && chTrail != 0xFF ? 2 : 1;
}

// The character at i, ASCII letters in lower case: the platform folds no other letters of names.
unsigned FoldChar(const std::string& str, size_t i, size_t nLength)
{
	unsigned ch = static_cast<unsigned char>(str[i]);
	if (nLength == 2)
		return ch << 8 | static_cast<unsigned char>(str[i + 1]);
	return ch >= 'A' && ch <= 'Z' ? ch - 'A' + 'a' : ch;
}

// The first character ch (ASCII) in [nFrom, nEnd), or npos.
size_t FindChar(const std::string& str, char ch, size_t nFrom, size_t nEnd)
{
	for (size_t i = nFrom; i < nEnd; i += CharLength(str, i))
	{
		if (str[i] == ch)
			return i;
	}
	return std::string::npos;
}

// Narrows [nStart, nEnd) to its part without blanks at either end.
void TrimRange(const std::string& str, size_t& nStart, size_t& nEnd)
{
	while (nStart < nEnd && IsBlank(str[nStart]))
		++nStart;
	while (nEnd > nStart && IsBlank(str[nEnd - 1]))
		--nEnd;
}

// Whether the text's last character is a lead byte without its trail byte: the platform would join it with
// the byte that follows it in the file ("=", "]" or the line break).
bool EndsInLeadByte(const std::string& str)
{
	size_t nLast = 0;
	for (size_t i = 0; i < str.size(); i += CharLength(str, i))
		nLast = i;
	unsigned char ch = str.empty() ? 0 : static_cast<unsigned char>(str[nLast]);
	return nLast + 1 == str.size() && ch >= 0x81 && ch != 0xFF;
}

bool IsTrimmed(const std::string& str)
{
	return str.empty() || (!IsBlank(str.front()) && !IsBlank(str.back()));
}

// Where a line ends before its line break, so that a key added after it leaves the line as it was.
size_t ContentEnd(const std::string& str, size_t nLineEnd)
{
	return nLineEnd > 0 && str[nLineEnd - 1] == '\r' ? nLineEnd - 1 : nLineEnd;
}

}

bool ProfileNamesEqual(const std::string& strA, const std::string& strB)
{
	if (strA.size() != strB.size())
		return false;
	for (size_t i = 0; i < strA.size();)
	{
		size_t nLength = CharLength(strA, i);
		if (CharLength(strB, i) != nLength || FoldChar(strA, i, nLength) != FoldChar(strB, i, nLength))
			return false;
		i += nLength;
	}
	return true;
}

int32_t ParseProfileInt(const std::string& strValue)
{
	// The platform reads the value through a 30-character buffer, then converts like RtlUnicodeStringToInteger.
	std::string str = strValue.substr(0, 29);
	size_t i = 0;
	while (i < str.size() && static_cast<unsigned char>(str[i]) <= ' ')
		++i;
	bool bNegative = false;
	if (i < str.size() && (str[i] == '+' || str[i] == '-'))
		bNegative = str[i++] == '-';
	uint32_t nBase = 10;
	if (i + 1 < str.size() && str[i] == '0')
	{
		if (str[i + 1] == 'x')
			nBase = 16;
		else if (str[i + 1] == 'o')
			nBase = 8;
		else if (str[i + 1] == 'b')
			nBase = 2;
		if (nBase != 10)
			i += 2;
	}
	uint32_t nTotal = 0;
	for (; i < str.size(); ++i)
	{
		int nDigit = DigitValue(str[i]);
		if (nDigit >= static_cast<int>(nBase))
			break;
		nTotal = nTotal * nBase + static_cast<uint32_t>(nDigit);
	}
	if (bNegative)
		nTotal = 0u - nTotal;
	return static_cast<int32_t>(nTotal);
}

CProfileText::CProfileText(std::string strText) : m_strText(std::move(strText))
{
	Parse();
}

void CProfileText::Parse()
{
	m_sections.clear();
	m_entries.clear();
	size_t nSection = kNoSection;
	size_t nLine = 0;
	const std::string& s = m_strText;
	while (nLine < s.size())
	{
		size_t nBreak = s.find('\n', nLine);
		size_t nLineEnd = nBreak == std::string::npos ? s.size() : nBreak;
		size_t nLineStart = nLine;
		size_t nStart = nLine;
		size_t nEnd = nLineEnd;
		TrimRange(s, nStart, nEnd);
		nLine = nBreak == std::string::npos ? s.size() : nBreak + 1;
		if (nStart == nEnd || s[nStart] == ';')
			continue;
		if (s[nStart] == '[')
		{
			size_t nClose = FindChar(s, ']', nStart, nEnd);
			if (nClose != std::string::npos)
			{
				size_t nNameStart = nStart + 1;
				size_t nNameEnd = nClose;
				TrimRange(s, nNameStart, nNameEnd);
				m_sections.push_back({s.substr(nNameStart, nNameEnd - nNameStart), ContentEnd(s, nLineEnd), nLineStart});
				nSection = m_sections.size() - 1;
				continue;
			}
		}
		// Looked for within the line only, so that reading grows with the text, not with its square.
		const char* pEqual = static_cast<const char*>(memchr(s.data() + nStart, '=', nEnd - nStart));
		// Key lines before any header belong to no section a name can reach.
		if (!pEqual || nSection == kNoSection)
			continue;
		size_t nEqual = static_cast<size_t>(pEqual - s.data());
		size_t nKeyEnd = nEqual;
		size_t nKeyStart = nStart;
		TrimRange(s, nKeyStart, nKeyEnd);
		size_t nValueStart = nEqual + 1;
		size_t nValueEnd = nEnd;
		TrimRange(s, nValueStart, nValueEnd);
		m_entries.push_back({nSection, s.substr(nKeyStart, nKeyEnd - nKeyStart), nValueStart, nValueEnd, nLineStart,
			nLine});
		m_sections[nSection].nContentEnd = ContentEnd(s, nLineEnd);
	}
}

const CProfileText::CEntry* CProfileText::FindEntry(const std::string& strSection, const std::string& strKey,
	size_t* pnSection) const
{
	// Only the first section of a name is searched, as the platform does.
	size_t nSection = kNoSection;
	for (size_t i = 0; i < m_sections.size() && nSection == kNoSection; ++i)
	{
		if (ProfileNamesEqual(m_sections[i].strName, strSection))
			nSection = i;
	}
	if (pnSection)
		*pnSection = nSection;
	if (nSection == kNoSection)
		return nullptr;
	for (const CEntry& entry : m_entries)
	{
		if (entry.nSection == nSection && ProfileNamesEqual(entry.strKey, strKey))
			return &entry;
	}
	return nullptr;
}

bool CProfileText::Lookup(const std::string& strSection, const std::string& strKey, std::string& strValue) const
{
	const CEntry* pEntry = FindEntry(strSection, strKey, nullptr);
	if (!pEntry)
		return false;
	size_t nStart = pEntry->nValueStart;
	size_t nEnd = pEntry->nValueEnd;
	char chFirst = nStart < nEnd ? m_strText[nStart] : '\0';
	if (nEnd - nStart >= 2 && (chFirst == '"' || chFirst == '\'') && m_strText[nEnd - 1] == chFirst)
	{
		++nStart;
		--nEnd;
	}
	strValue = m_strText.substr(nStart, nEnd - nStart);
	return true;
}

std::string CProfileText::GetString(const std::string& strSection, const std::string& strKey,
	const std::string& strDefault) const
{
	std::string strValue;
	return Lookup(strSection, strKey, strValue) ? strValue : strDefault;
}

int32_t CProfileText::GetInt(const std::string& strSection, const std::string& strKey, int32_t nDefault) const
{
	std::string strValue;
	if (!Lookup(strSection, strKey, strValue) || strValue.empty())
		return nDefault;
	return ParseProfileInt(strValue);
}

std::string CProfileText::LineBreak() const
{
	size_t nBreak = m_strText.find('\n');
	return nBreak != std::string::npos && (nBreak == 0 || m_strText[nBreak - 1] != '\r') ? "\n" : "\r\n";
}

bool CProfileText::SetString(const std::string& strSection, const std::string& strKey, const std::string& strValue)
{
	auto bad = [](const std::string& str, const char* pszForbidden) {
		for (const char* p = pszForbidden; *p; ++p)
		{
			if (FindChar(str, *p, 0, str.size()) != std::string::npos)
				return true;
		}
		return str.find('\0') != std::string::npos || !IsTrimmed(str);
	};
	if (strSection.empty() || strKey.empty() || bad(strSection, "\r\n]") || bad(strKey, "\r\n=")
		|| strKey[0] == ';' || strKey[0] == '[' || bad(strValue, "\r\n") || EndsInLeadByte(strSection)
		|| EndsInLeadByte(strKey) || EndsInLeadByte(strValue))
		return false;
	// A value that looks quoted keeps its meaning only inside another pair of quotes.
	char chFirst = strValue.empty() ? '\0' : strValue[0];
	bool bQuote = strValue.size() >= 2 && (chFirst == '"' || chFirst == '\'') && strValue.back() == chFirst;
	std::string strStored = bQuote ? '"' + strValue + '"' : strValue;
	size_t nSection = kNoSection;
	const CEntry* pEntry = FindEntry(strSection, strKey, &nSection);
	if (pEntry)
	{
		m_strText.replace(pEntry->nValueStart, pEntry->nValueEnd - pEntry->nValueStart, strStored);
	}
	else
	{
		std::string strBreak = LineBreak();
		std::string strLine = strKey + "=" + strStored;
		if (nSection != kNoSection)
		{
			size_t nAt = m_sections[nSection].nContentEnd;
			m_strText.insert(nAt, strBreak + strLine);
		}
		else
		{
			if (!m_strText.empty() && m_strText.back() != '\n')
				m_strText += strBreak;
			m_strText += "[" + strSection + "]" + strBreak + strLine + strBreak;
		}
	}
	Parse();
	return true;
}

bool CProfileText::RemoveKey(const std::string& strSection, const std::string& strKey)
{
	std::vector<std::pair<size_t, size_t>> ranges;
	for (const CEntry& entry : m_entries)
	{
		if (ProfileNamesEqual(m_sections[entry.nSection].strName, strSection) && ProfileNamesEqual(entry.strKey, strKey))
			ranges.emplace_back(entry.nLineStart, entry.nLineNext);
	}
	return Erase(ranges);
}

bool CProfileText::RemoveSection(const std::string& strSection)
{
	std::vector<std::pair<size_t, size_t>> ranges;
	for (size_t i = 0; i < m_sections.size(); ++i)
	{
		if (ProfileNamesEqual(m_sections[i].strName, strSection))
			ranges.emplace_back(m_sections[i].nHeaderStart,
				i + 1 < m_sections.size() ? m_sections[i + 1].nHeaderStart : m_strText.size());
	}
	return Erase(ranges);
}

bool CProfileText::Erase(const std::vector<std::pair<size_t, size_t>>& ranges)
{
	for (auto it = ranges.rbegin(); it != ranges.rend(); ++it)
		m_strText.erase(it->first, it->second - it->first);
	Parse();
	return !ranges.empty();
}
