// The settings document parser and its lookups: line syntax, limits, letter case and number forms.
#include "stat/SettingsReader.h"

#include <gtest/gtest.h>

#include <climits>

namespace
{
const std::string kAbsent = "<absent>";

std::string Text(const CSettingsReader& reader, const char* pszSection, const char* pszName)
{
	return reader.LookupText(pszSection, pszName, kAbsent);
}

int32_t Number(const char* pszValue)
{
	CSettingsReader reader((std::string("[s]\nn=") + pszValue + "\n").c_str());
	return reader.LookupInteger("s", "n", -777);
}
}

TEST(SettingsReaderTest, SectionsNamesAndValues)
{
	CSettingsReader reader(
		"top = level\n"
		"[Setting]\r\n"
		"Interval=5\r\n"
		"\t  host = 10.0.0.1   ; backup server\r\n"
		"empty =\n"
		"nothing= ;only a comment\n"
		"hash=a#b\n"
		"  ; interval=6\n"
		"; interval=7\n"
		"\n"
		"   \t\n"
		"name without equals\n"
		"semi;colon=x\n"
		"=nameless\n"
		"interval=8 trailing words\n"
		"[other]stray text\n"
		"interval = 9\n");
	EXPECT_EQ(Text(reader, "", "top"), "level");
	EXPECT_EQ(Text(reader, "setting", "interval"), "8 trailing words") << "a later pair replaces";
	EXPECT_EQ(Text(reader, "SETTING", "INTERVAL"), "8 trailing words");
	EXPECT_EQ(Text(reader, "setting", "host"), "10.0.0.1");
	EXPECT_EQ(Text(reader, "setting", "empty"), "");
	EXPECT_EQ(Text(reader, "setting", "nothing"), "");
	EXPECT_EQ(Text(reader, "setting", "hash"), "a#b");
	EXPECT_EQ(Text(reader, "setting", "name without equals"), kAbsent);
	EXPECT_EQ(Text(reader, "setting", "semi"), kAbsent);
	EXPECT_EQ(Text(reader, "setting", "semi;colon"), kAbsent);
	EXPECT_EQ(Text(reader, "setting", ""), "nameless");
	EXPECT_EQ(Text(reader, "other", "interval"), "9");
	EXPECT_EQ(reader.LookupInteger("Setting", "Interval", 0), 8);
	EXPECT_EQ(reader.GetCount(), 8u);
}

TEST(SettingsReaderTest, BadHeadersKeepTheSection)
{
	CSettingsReader reader(
		"[a]\n"
		"[b\n"
		"one=1\n"
		"[c;]\n"
		"two=2\n"
		"[ spaced ]\n"
		"three=3\n"
		"[]\n"
		"four=4\n");
	EXPECT_EQ(Text(reader, "a", "one"), "1");
	EXPECT_EQ(Text(reader, "a", "two"), "2");
	EXPECT_EQ(Text(reader, "b", "one"), kAbsent);
	EXPECT_EQ(Text(reader, " spaced ", "three"), "3") << "names between brackets are not trimmed";
	EXPECT_EQ(Text(reader, "spaced", "three"), kAbsent);
	EXPECT_EQ(Text(reader, "", "four"), "4");
}

TEST(SettingsReaderTest, LongSectionNamesAndLinesAreCut)
{
	const std::string strLongName(60, 'n');
	const std::string strCutName(49, 'n');
	const std::string strLongValue(250, 'v');
	CSettingsReader reader(("[" + strLongName + "]\nhost=h\n[s]\nlong=" + strLongValue + "\nnext=1\n").c_str());
	EXPECT_EQ(Text(reader, strLongName.c_str(), "host"), kAbsent);
	EXPECT_EQ(Text(reader, strCutName.c_str(), "host"), "h");
	// 199 bytes of line: "long=" and 194 bytes of value; the rest of that line is dropped.
	EXPECT_EQ(Text(reader, "s", "long"), std::string(194, 'v'));
	EXPECT_EQ(Text(reader, "s", "next"), "1");
	EXPECT_EQ(reader.GetCount(), 3u);
}

// Every other form is compared with the C library's conversion by the fuzz target.
TEST(SettingsReaderTest, NumbersWithBaseDetectionAndSaturation)
{
	EXPECT_EQ(Number("0x1388"), 5000);
	EXPECT_EQ(Number("010"), 8);
	EXPECT_EQ(Number("5000ms"), 5000);
	EXPECT_EQ(Number(" -12"), -12);
	EXPECT_EQ(Number("abc"), -777);
	EXPECT_EQ(Number(""), -777);
	EXPECT_EQ(Number("2147483648"), INT_MAX);
	EXPECT_EQ(Number("0xFFFFFFFF"), INT_MAX);
	EXPECT_EQ(Number("-2147483649"), INT_MIN);
	EXPECT_EQ(Number("-99999999999999999999999"), INT_MIN);
	EXPECT_EQ(CSettingsReader("[s]\n").LookupInteger("s", "absent", 42), 42);
}
