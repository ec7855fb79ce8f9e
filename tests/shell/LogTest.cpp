// The diagnostic log, run in a fresh program folder: settings file creation, levels, paths and the
// exact bytes of a record.
#include "app/Log.h"
#include "support/LogRecords.h"
#include "support/TestFiles.h"

#include <gtest/gtest.h>

#include <regex>

namespace
{
class LogTest : public ::testing::Test
{
protected:
	void SetUp() override
	{
		testfiles::Remove(m_strIni);
		testfiles::Remove(m_dir + "tarnTVPlayerLog");
		testfiles::Remove(m_dir + "a");
	}

	void SetLevel(const char* pszLevel)
	{
		::WritePrivateProfileStringA("Debug", "DebugLevel", pszLevel, m_strIni.c_str());
	}

	std::string DefaultLog() const { return testfiles::ReadAll(logrecords::LogPath(m_dir)); }

	// The levels whose records reached the default log, as a string of digits.
	std::string WrittenLevels()
	{
		for (unsigned int nLevel = 0; nLevel <= 7; ++nLevel)
			WriteLog(nLevel, "level " + CString(std::to_string(nLevel).c_str()));
		std::string strLog = DefaultLog();
		std::string strLevels;
		for (char ch = '0'; ch <= '7'; ++ch)
		{
			if (strLog.find(std::string("level ") + ch + "\r\n") != std::string::npos)
				strLevels += ch;
		}
		return strLevels;
	}

	const std::string m_dir = testfiles::ProgramFolder();
	const std::string m_strIni = m_dir + "tarnconfig.ini";
};

TEST_F(LogTest, RecordsLandWhileSomeoneReadsTheLog)
{
	WriteLog(LOG_ERR, "first");
	HANDLE hReader = ::CreateFileA(logrecords::LogPath(m_dir).c_str(), GENERIC_READ,
		FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
	ASSERT_NE(hReader, INVALID_HANDLE_VALUE);
	WriteLog(LOG_ERR, "while read");
	::CloseHandle(hReader);
	EXPECT_NE(DefaultLog().find("while read"), std::string::npos);
}

TEST_F(LogTest, FirstCallCreatesSettingsWithLevelOne)
{
	ASSERT_FALSE(testfiles::Exists(m_strIni));
	WriteLog(LOG_DEBG, "not written");
	ASSERT_TRUE(testfiles::Exists(m_strIni));
	std::string strIni = testfiles::ReadAll(m_strIni);
	EXPECT_NE(strIni.find("[Debug]"), std::string::npos) << strIni;
	EXPECT_NE(strIni.find("DebugLevel=1"), std::string::npos) << strIni;
	EXPECT_EQ(DefaultLog().find("not written"), std::string::npos);
	EXPECT_EQ(WrittenLevels(), "01");
}

TEST_F(LogTest, RecordBytesFollowTheFormat)
{
	SetLevel("6");
	SYSTEMTIME st;
	::GetLocalTime(&st);
	WriteLog(LOG_ERR, "下载失败 x");
	WriteLog(LOG_SEC_INFO, "sec");
	WriteLog(LOG_DEBG, "");
	std::string strLog = DefaultLog();

	// "ERR " keeps its blank, so the date of every four-letter label starts in column 6.
	std::regex record(
		"ERR  (\\d{4})-\\d\\d-\\d\\d \\d\\d:\\d\\d:\\d\\d \xA1\xAA \xCF\xC2\xD4\xD8\xCA\xA7\xB0\xDC x\r\n\r\n"
		"!SEC_INFO \\d{4}-\\d\\d-\\d\\d \\d\\d:\\d\\d:\\d\\d \xA1\xAA sec\r\n\r\n"
		"DEBG \\d{4}-\\d\\d-\\d\\d \\d\\d:\\d\\d:\\d\\d \xA1\xAA \r\n\r\n");
	std::smatch match;
	ASSERT_TRUE(std::regex_match(strLog, match, record)) << strLog;
	EXPECT_EQ(std::stoi(match[1]), st.wYear);
}

TEST_F(LogTest, LevelsAreClampedToSix)
{
	SetLevel("0");
	EXPECT_EQ(WrittenLevels(), "0");
	for (const char* pszLevel : {"6", "7", "-3"})
	{
		testfiles::Remove(m_dir + "tarnTVPlayerLog");
		SetLevel(pszLevel);
		EXPECT_EQ(WrittenLevels(), "0123456") << "DebugLevel=" << pszLevel;
	}
}

TEST_F(LogTest, DebugPathCreatesOneFolderLevelOnly)
{
	SetLevel("1");
	std::string strDeep = m_dir + "a\\b\\deep.log";
	::WritePrivateProfileStringA("Debug", "DebugPath", strDeep.c_str(), m_strIni.c_str());
	WriteLog(LOG_ERR, "lost");
	EXPECT_FALSE(testfiles::Exists(m_dir + "a"));

	::CreateDirectoryA((m_dir + "a").c_str(), nullptr);
	WriteLog(LOG_ERR, "kept");
	EXPECT_NE(testfiles::ReadAll(strDeep).find("kept\r\n\r\n"), std::string::npos);
	EXPECT_FALSE(testfiles::Exists(m_dir + "tarnTVPlayerLog"));
}
}
