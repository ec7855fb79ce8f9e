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

enum class Form { Cp936, Utf16, Utf16Be, Utf16Unmarked };

// The text as a file in that form: UTF-16 little-endian with its mark, big-endian with its mark, or
// little-endian without one.
std::string Encode(const std::string& strText, Form form)
{
	if (form == Form::Cp936)
		return strText;
	std::string strBytes = form == Form::Utf16 ? "\xFF\xFE" : form == Form::Utf16Be ? "\xFE\xFF" : "";
	for (wchar_t ch : ToWide(strText))
	{
		char bytes[2] = {static_cast<char>(ch & 0xFF), static_cast<char>(ch >> 8)};
		strBytes += bytes[form == Form::Utf16Be];
		strBytes += bytes[form != Form::Utf16Be];
	}
	return strBytes;
}
}

TEST(ProfileTest, ReadsAsThePlatformReads)
{
	std::string strFile = testfiles::ProgramFolder() + "profile.ini";
	testfiles::WriteAll(strFile, kCorpus);
	ExpectSameAnswers(strFile);
	for (Form form : {Form::Utf16, Form::Utf16Be})
	{
		testfiles::WriteAll(strFile, Encode(kCorpus, form));
		ExpectSameAnswers(strFile);
	}
	testfiles::Remove(strFile);
}

TEST(ProfileTest, WritesKeepEverythingElse)
{
	std::string strFile = testfiles::ProgramFolder() + "profile-write.ini";
	for (Form form : {Form::Cp936, Form::Utf16, Form::Utf16Be})
	{
		testfiles::WriteAll(strFile, Encode(kCorpus, form));
		CProfileFile profile;
		ASSERT_TRUE(profile.Load(strFile.c_str()));
		ASSERT_TRUE(profile.WriteString("Main", "Dec", "\xd0\xc2 7"));
		ASSERT_TRUE(profile.WriteString("Last", "Added", "after a last line without a break"));
		ASSERT_TRUE(profile.WriteString("\xd0\xc2\xbd\xda", "Key", "\"quoted\""));
		ASSERT_TRUE(profile.WriteString("\x81\x5d\xd6\xd0", "\x81\x61", "beside trail A"));
		EXPECT_EQ(testfiles::ReadAll(strFile).substr(0, 2), Encode(kCorpus, form).substr(0, 2));
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

TEST(ProfileTest, NeverWritesWhatItCouldNotReadOrTheFileCouldNotHold)
{
	// Held by another program without read sharing while it is read, released before the write.
	std::string strFile = testfiles::ProgramFolder() + "profile-held.ini";
	testfiles::WriteAll(strFile, kCorpus);
	HANDLE hHolder = ::CreateFileW(ToWide(strFile).c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
	ASSERT_NE(hHolder, INVALID_HANDLE_VALUE);
	CProfileFile profile;
	EXPECT_FALSE(profile.Load(strFile.c_str()));
	::CloseHandle(hHolder);
	EXPECT_FALSE(profile.WriteString("Debug", "DebugLevel", "1"));
	EXPECT_EQ(testfiles::ReadAll(strFile), kCorpus);

	// A name or value ending in a lead byte, which the platform would join with the byte after it.
	ASSERT_TRUE(profile.Load(strFile.c_str()));
	EXPECT_FALSE(profile.WriteString("Main", "Key\xB5", "v"));
	EXPECT_FALSE(profile.WriteString("Main", "Key", "\xB5\xE7\xCA"));
	EXPECT_FALSE(profile.WriteString("Main\xCA", "Key", "v"));
	EXPECT_EQ(testfiles::ReadAll(strFile), kCorpus);

	// UTF-16 without its mark is read as UTF-16 and written back so, not taken for code page 936.
	const std::string strText = "[Main]\r\nKey=\xB5\xE7\xCA\xD3\r\n";
	testfiles::WriteAll(strFile, Encode(strText, Form::Utf16Unmarked));
	ASSERT_TRUE(profile.Load(strFile.c_str()));
	EXPECT_EQ(std::string(profile.GetString("Main", "Key", "<none>")), "\xB5\xE7\xCA\xD3");
	ASSERT_TRUE(profile.WriteString("Main", "Added", "1"));
	EXPECT_EQ(testfiles::ReadAll(strFile), Encode(strText + "Added=1\r\n", Form::Utf16Unmarked));
	testfiles::Remove(strFile);
}
