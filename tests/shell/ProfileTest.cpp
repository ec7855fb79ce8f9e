// The program's settings file reader and writer against the platform's own private-profile calls: a
// corpus of awkward files must give the same answers both ways, and a file the program wrote must read
// back through the platform as written, with every other answer unchanged.
#include "framework/PrivateProfile.h"
#include "framework/WideText.h"
#include "support/TestFiles.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

namespace
{
using CLookup = std::pair<const char*, const char*>;

const std::string kCorpus = std::string(
	"; comment line\r\n"
	"[Main]\r\n"
	"Plain=value\r\n"
	"  Spaced  =   padded value   \r\n"
	"plain=second of the same key\r\n"
	"Quoted=\"in quotes\"\r\n"
	"Single='single'\r\n"
	"Half=\"open only\r\n"
	"Empty=\r\n"
	"Dec=42\r\n"
	"Neg= -17\r\n"
	"Hex=0x1F\r\n"
	"Oct=0o17\r\n"
	"Junk=12abc\r\n"
	"Huge=99999999999\r\n"
	"Plus=+8\r\n"
	"Word=abc\r\n"
	"Long=") + std::string(600, 'x') + "\r\n"
	"[main]\r\n"
	"Other=in the second Main\r\n"
	"[ Padded ]\n"
	"Lf=line feed only\n"
	"[\xd6\xd0\xce\xc4]\r\n"
	"\xc3\xfb\xb3\xc6=\xd6\xb5\r\n"
	// Trail bytes that read as "]" and "A".
	"[\x81\x5d\xd6\xd0]\r\n"
	"\x81\x41=trail A\r\n"
	"[Last]\r\n"
	"Tail=no line break";

const std::vector<CLookup> kLookups = {{"Main", "Plain"}, {"MAIN", "spaced"}, {"Main", "Quoted"},
	{"Main", "Single"}, {"Main", "Half"}, {"Main", "Empty"}, {"Main", "Dec"}, {"Main", "Neg"}, {"Main", "Hex"},
	{"Main", "Oct"}, {"Main", "Junk"}, {"Main", "Huge"}, {"Main", "Plus"}, {"Main", "Word"}, {"Main", "Long"},
	{"Main", "Other"}, {"Main", "Missing"}, {"Padded", "Lf"}, {"\xd6\xd0\xce\xc4", "\xc3\xfb\xb3\xc6"},
	{"\x81\x5d\xd6\xd0", "\x81\x41"}, {"\x81\x5d\xd6\xd0", "\x81\x61"}, {"Last", "Tail"},
	{"Nowhere", "Plain"}};

std::string PlatformString(const std::string& strFile, const char* pszSection, const char* pszKey)
{
	wchar_t sz[2000] = {};
	::GetPrivateProfileStringW(ToWide(pszSection).c_str(), ToWide(pszKey).c_str(), L"<none>", sz, 2000,
		ToWide(strFile).c_str());
	return FromWide(sz);
}

int PlatformInt(const std::string& strFile, const char* pszSection, const char* pszKey)
{
	return static_cast<int>(::GetPrivateProfileIntW(ToWide(pszSection).c_str(), ToWide(pszKey).c_str(), -5,
		ToWide(strFile).c_str()));
}

void ExpectSameAnswers(const std::string& strFile)
{
	CProfileFile profile;
	ASSERT_TRUE(profile.Load(strFile.c_str()));
	for (const CLookup& lookup : kLookups)
	{
		EXPECT_EQ(std::string(profile.GetString(lookup.first, lookup.second, "<none>", 2000)),
			PlatformString(strFile, lookup.first, lookup.second)) << lookup.first << "/" << lookup.second;
		EXPECT_EQ(profile.GetInt(lookup.first, lookup.second, -5), PlatformInt(strFile, lookup.first, lookup.second))
			<< lookup.first << "/" << lookup.second;
	}
}

std::string Utf16Of(const std::string& strText)
{
	std::wstring strWide = ToWide(strText);
	return "\xFF\xFE" + std::string(reinterpret_cast<const char*>(strWide.data()), strWide.size() * 2);
}
}

TEST(ProfileTest, ReadsAsThePlatformReads)
{
	std::string strFile = testfiles::ProgramFolder() + "profile.ini";
	testfiles::WriteAll(strFile, kCorpus);
	ExpectSameAnswers(strFile);
	testfiles::WriteAll(strFile, Utf16Of(kCorpus));
	ExpectSameAnswers(strFile);
	testfiles::Remove(strFile);
}

TEST(ProfileTest, WritesKeepEverythingElse)
{
	std::string strFile = testfiles::ProgramFolder() + "profile-write.ini";
	for (bool bUtf16 : {false, true})
	{
		testfiles::WriteAll(strFile, bUtf16 ? Utf16Of(kCorpus) : kCorpus);
		CProfileFile profile;
		ASSERT_TRUE(profile.Load(strFile.c_str()));
		ASSERT_TRUE(profile.WriteString("Main", "Dec", "\xd0\xc2 7"));
		ASSERT_TRUE(profile.WriteString("Last", "Added", "after a last line without a break"));
		ASSERT_TRUE(profile.WriteString("\xd0\xc2\xbd\xda", "Key", "\"quoted\""));
		ASSERT_TRUE(profile.WriteString("\x81\x5d\xd6\xd0", "\x81\x61", "beside trail A"));
		EXPECT_EQ(testfiles::ReadAll(strFile).compare(0, 2, "\xFF\xFE") == 0, bUtf16);
		EXPECT_EQ(PlatformString(strFile, "Main", "Dec"), "\xd0\xc2 7");
		EXPECT_EQ(PlatformString(strFile, "Last", "Added"), "after a last line without a break");
		EXPECT_EQ(PlatformString(strFile, "Last", "Tail"), "no line break");
		EXPECT_EQ(PlatformString(strFile, "\xd0\xc2\xbd\xda", "Key"), "\"quoted\"");
		EXPECT_EQ(PlatformString(strFile, "\x81\x5d\xd6\xd0", "\x81\x61"), "beside trail A");
		// The other answers are those of the corpus, through both readers.
		for (const CLookup& lookup : kLookups)
		{
			if (std::string(lookup.second) != "Dec" && std::string(lookup.second) != "\x81\x61")
			{
				EXPECT_EQ(PlatformString(strFile, lookup.first, lookup.second),
					std::string(profile.GetString(lookup.first, lookup.second, "<none>", 2000)));
			}
		}
	}
	testfiles::Remove(strFile);
}

TEST(ProfileTest, RefusesFilesTooLarge)
{
	std::string strFile = testfiles::ProgramFolder() + "profile-big.ini";
	testfiles::WriteAll(strFile, "[Main]\r\nKey=1\r\n" + std::string(kMaxProfileBytes, ';'));
	CProfileFile profile;
	EXPECT_FALSE(profile.Load(strFile.c_str()));
	EXPECT_EQ(profile.GetInt("Main", "Key", 3), 3);
	EXPECT_FALSE(profile.WriteString("Main", "Key", "2"));
	EXPECT_EQ(testfiles::ReadAll(strFile).size(), kMaxProfileBytes + 15);
	testfiles::Remove(strFile);
}
