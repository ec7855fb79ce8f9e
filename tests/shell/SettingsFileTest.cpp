// The settings file's reading during the start, in a fresh program folder: while the window thread keeps a
// reading, its readers (the log among them) share it and the file is not read again; writes through it reach
// the file; other threads, and every reader once it is dropped, read the file afresh.
#include "app/Log.h"
#include "app/SettingsFile.h"
#include "support/LogRecords.h"
#include "support/TestFiles.h"

#include <gtest/gtest.h>

#include <string>
#include <thread>

namespace
{
class SettingsFileTest : public ::testing::Test
{
protected:
	void SetUp() override
	{
		testfiles::Remove(m_strIni);
		testfiles::Remove(m_dir + "tarnTVPlayerLog");
	}

	void TearDown() override
	{
		DropSettingsReading();
		testfiles::Remove(m_strIni);
		testfiles::Remove(m_dir + "tarnTVPlayerLog");
	}

	static std::string SkinPath()
	{
		CProfileFile storage;
		return ReadSettingsFile(storage).GetString("tarnTVPlayer", "SkinPath", "<none>").GetString();
	}

	std::string Log() const { return testfiles::ReadAll(logrecords::LogPath(m_dir)); }

	const std::string m_dir = testfiles::ProgramFolder();
	const std::string m_strIni = m_dir + "tarnconfig.ini";
};

TEST_F(SettingsFileTest, KeptReadingIsTheOnlyReadingOfItsThreadUntilDropped)
{
	testfiles::WriteAll(m_strIni, "[tarnTVPlayer]\r\nSkinPath=first\r\n");
	EXPECT_EQ(SkinPath(), "first");
	KeepSettingsReading();
	testfiles::WriteAll(m_strIni, "[tarnTVPlayer]\r\nSkinPath=second\r\n");
	// Made on its first use, then taken as it is.
	EXPECT_EQ(SkinPath(), "second");
	testfiles::WriteAll(m_strIni, "[tarnTVPlayer]\r\nSkinPath=third\r\n");
	EXPECT_EQ(SkinPath(), "second");
	BOOL bLoaded = FALSE;
	CProfileFile storage;
	ReadSettingsFile(storage, &bLoaded);
	EXPECT_TRUE(bLoaded);

	// Another thread reads the file.
	std::string strOther;
	std::thread([&] { strOther = SkinPath(); }).join();
	EXPECT_EQ(strOther, "third");

	DropSettingsReading();
	EXPECT_EQ(SkinPath(), "third");
}

TEST_F(SettingsFileTest, WritesThroughTheKeptReadingReachTheFile)
{
	testfiles::WriteAll(m_strIni, "[tarnTVPlayer]\r\nSkinPath=first\r\n");
	KeepSettingsReading();
	CProfileFile storage;
	ASSERT_TRUE(ReadSettingsFile(storage).WriteString("tarnTVPlayer", "ClientConfigUrl", "http://x/"));
	CProfileFile again;
	EXPECT_EQ(ReadSettingsFile(again).GetString("tarnTVPlayer", "ClientConfigUrl", "").GetString(), std::string("http://x/"));
	DropSettingsReading();
	std::string strIni = testfiles::ReadAll(m_strIni);
	EXPECT_NE(strIni.find("SkinPath=first"), std::string::npos) << strIni;
	EXPECT_NE(strIni.find("ClientConfigUrl=http://x/"), std::string::npos) << strIni;
}

TEST_F(SettingsFileTest, LogDuringTheStartKeepsToTheKeptReading)
{
	KeepSettingsReading();
	// The first record makes the file and writes its level back, through the kept reading.
	WriteLog(LOG_ERR, "first");
	std::string strIni = testfiles::ReadAll(m_strIni);
	EXPECT_NE(strIni.find("DebugLevel=1"), std::string::npos) << strIni;
	// A level the file takes meanwhile counts once the reading is dropped.
	testfiles::WriteAll(m_strIni, "[Debug]\r\nDebugLevel=0\r\n");
	WriteLog(LOG_ERR, "second");
	DropSettingsReading();
	WriteLog(LOG_ERR, "third");
	std::string strLog = Log();
	EXPECT_NE(strLog.find("first"), std::string::npos) << strLog;
	EXPECT_NE(strLog.find("second"), std::string::npos) << strLog;
	EXPECT_EQ(strLog.find("third"), std::string::npos) << strLog;
}

TEST_F(SettingsFileTest, MissingFileReadsEmptyAndIsMadeOnce)
{
	KeepSettingsReading();
	EXPECT_EQ(SkinPath(), "<none>");
	EnsureSettingsFile();
	EXPECT_TRUE(testfiles::Exists(m_strIni));
	// Made once while the reading is kept: a file removed meanwhile is not made again.
	testfiles::Remove(m_strIni);
	EnsureSettingsFile();
	EXPECT_FALSE(testfiles::Exists(m_strIni));
	DropSettingsReading();
	EnsureSettingsFile();
	EXPECT_TRUE(testfiles::Exists(m_strIni));
}
}
