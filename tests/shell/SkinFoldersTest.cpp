// Skin folders beside the program and the saved skin choice, run in a fresh program folder.
#include "player/Settings.h"
#include "player/SkinFolders.h"
#include "support/TestFiles.h"

#include <gtest/gtest.h>

#include <set>

namespace
{
class SkinFoldersTest : public ::testing::Test
{
protected:
	void SetUp() override
	{
		testfiles::Remove(m_strIni);
		testfiles::Remove(m_dir + "skin");
	}

	void MakeSkins(std::initializer_list<const char*> names)
	{
		::CreateDirectoryA((m_dir + "skin").c_str(), nullptr);
		for (const char* pszName : names)
			::CreateDirectoryA((m_dir + "skin\\" + pszName).c_str(), nullptr);
	}

	void SaveSetting(const std::string& strValue)
	{
		::WritePrivateProfileStringA("tarnTVPlayer", "SkinPath", strValue.c_str(), m_strIni.c_str());
	}

	std::string SavedSetting()
	{
		char sz[300] = {};
		::GetPrivateProfileStringA("tarnTVPlayer", "SkinPath", "<none>", sz, sizeof(sz), m_strIni.c_str());
		return sz;
	}

	static std::string Lower(std::string str)
	{
		CString s(str);
		return s.MakeLower().GetString();
	}

	const std::string m_dir = testfiles::ProgramFolder();
	const std::string m_strIni = m_dir + "tarnconfig.ini";
};

TEST_F(SkinFoldersTest, ListsFoldersOnlyAndNeverMelboTV)
{
	EXPECT_EQ(GetSkinDirectory().GetString(), m_dir + "skin\\");
	CStringArray dirs;
	dirs.Add("stale");
	EXPECT_EQ(EnumSkinDirectories(GetSkinDirectory(), dirs), 0);  // no skin root yet
	EXPECT_EQ(dirs.GetSize(), 0);

	MakeSkins({"现代", "Classic", "MelboTV", "mElBoTv2"});
	testfiles::WriteAll(m_dir + "skin\\readme.txt", "not a skin");
	std::string strRoot = m_dir + "skin";  // no trailing backslash
	ASSERT_EQ(EnumSkinDirectories(strRoot, dirs), 3);
	std::set<std::string> listed;
	for (int i = 0; i < dirs.GetSize(); ++i)
		listed.insert(dirs[i].GetString());
	EXPECT_EQ(listed, (std::set<std::string>{strRoot + "\\现代\\", strRoot + "\\Classic\\", strRoot + "\\mElBoTv2\\"}));
}

TEST_F(SkinFoldersTest, EmptyRootIsNeverTheDrivesRoot)
{
	// What an unreadable program folder gives: nothing is listed, although the drive's root has folders.
	CStringArray dirs;
	ASSERT_GT(EnumSkinDirectories("\\", dirs), 0);
	EXPECT_EQ(EnumSkinDirectories(CString(), dirs), 0);
	EXPECT_EQ(dirs.GetSize(), 0);
}

TEST_F(SkinFoldersTest, SavedSkinMustBeAListedFolderOfThisProgram)
{
	MakeSkins({"现代", "Classic", "MelboTV"});
	::CreateDirectoryA((m_dir + "elsewhere").c_str(), nullptr);
	CStringArray dirs;
	EnumSkinDirectories(GetSkinDirectory(), dirs);
	std::string strDefault = m_dir + "skin\\现代\\";
	EXPECT_EQ(ReadSkinPath(dirs).GetString(), Lower(strDefault));  // nothing saved

	CString strUpper(m_dir.c_str());
	SaveSetting(std::string("  ") + strUpper.MakeUpper().GetString() + "SKIN\\Classic\\ ");
	EXPECT_EQ(ReadSkinPath(dirs).GetString(), Lower(m_dir + "skin\\classic\\"));

	SaveSetting("C:\\Other\\skin\\Classic\\");
	EXPECT_EQ(ReadSkinPath(dirs).GetString(), strDefault);
	SaveSetting(m_dir + "themes\\Classic\\");
	EXPECT_EQ(ReadSkinPath(dirs).GetString(), strDefault);
	// Paths that start in the skin folder but name no folder of its list: out of it, a folder that is never
	// listed, one that does not exist.
	for (const char* pszRest : {"skin\\..\\..\\elsewhere\\", "skin\\..\\elsewhere\\", "skin\\Classic\\..\\Classic\\",
		"skin\\MelboTV\\", "skin\\Gone\\", "skin\\Classic"})
	{
		SaveSetting(m_dir + pszRest);
		EXPECT_EQ(ReadSkinPath(dirs).GetString(), strDefault) << pszRest;
	}
	testfiles::Remove(m_dir + "elsewhere");

	// A program folder that holds "skin" itself keeps the choice saved under its own skin folder, and still
	// refuses one saved by an installation elsewhere.
	const CString strPack = "c:\\skins pack\\quiloplayer\\";
	EXPECT_TRUE(IsSkinPathOfProgram("C:\\Skins Pack\\QuiloPlayer\\skin\\classic\\", strPack));
	EXPECT_FALSE(IsSkinPathOfProgram("c:\\skins pack\\other\\skin\\classic\\", strPack));
	EXPECT_FALSE(IsSkinPathOfProgram("c:\\skins pack\\quiloplayer\\themes\\", strPack));
	EXPECT_FALSE(IsSkinPathOfProgram("c:\\skins pack\\quiloplayer\\ski", strPack));
	// An unreadable program folder accepts nothing, rather than every path that starts with "skin".
	EXPECT_FALSE(IsSkinPathOfProgram("skin\\classic\\", ""));
}

TEST_F(SkinFoldersTest, IndexAndSaveFollowTheListedFolder)
{
	CStringArray dirs;
	EXPECT_EQ(FindSkinIndex(dirs, "x"), 0);
	SaveSkinPath(dirs, 0);
	EXPECT_EQ(SavedSetting(), "<none>");  // no skins: nothing is written

	dirs.Add((m_dir + "skin\\Blue\\").c_str());
	dirs.Add((m_dir + "skin\\Classic\\").c_str());
	EXPECT_EQ(FindSkinIndex(dirs, Lower(m_dir + "skin\\classic\\").c_str()), 1);
	EXPECT_EQ(FindSkinIndex(dirs, "c:\\elsewhere\\"), 0);
	EXPECT_EQ(FindListedSkin(dirs, "c:\\elsewhere\\"), -1);

	SaveSkinPath(dirs, 2);
	EXPECT_EQ(SavedSetting(), "<none>");
	SaveSkinPath(dirs, 1);
	EXPECT_EQ(SavedSetting(), m_dir + "skin\\Classic\\");  // in the letter case the folder has
}
}
