// The second instance's hand-off text and the program folder's narrow form, where code page 936 cannot
// spell a character.
#include "app/HandOff.h"
#include "app/ProgramFolder.h"
#include "framework/WideText.h"
#include "support/TestFiles.h"

#include <gtest/gtest.h>

TEST(HandOffTest, ChineseCommandLineGoesOverInCodePage936)
{
	const std::string str = HandOffText(L"\"C:\\播放器\\QuiloPlayer.exe\" \"tarntvstream://频道/一\"");
	EXPECT_EQ(str, "\"C:\\\xB2\xA5\xB7\xC5\xC6\xF7\\QuiloPlayer.exe\" \"tarntvstream://\xC6\xB5\xB5\xC0/\xD2\xBB\"");
}

TEST(HandOffTest, CharactersWithout936FormGoPercentEncodedAsUtf8)
{
	// "Ł" (U+0141), Korean "한" (U+D55C) and U+1F600 (a surrogate pair) beside Chinese that stays; the
	// escapes are escaped again for the receiver's one unescaping.
	const std::string str = HandOffText(L"x \"wenlive2://\u0141ukasz/\uD55C/\U0001F600/中\"");
	EXPECT_EQ(str, "x \"wenlive2://%25C5%2581ukasz/%25ED%2595%259C/%25F0%259F%2598%2580/\xD6\xD0\"");
	EXPECT_EQ(str.find('?'), std::string::npos);
}

TEST(HandOffTest, FolderCodePage936CannotSpellIsReachedByItsShortName)
{
	const std::wstring strFolder = ToWide(testfiles::ProgramFolder()) + L"\u0141ukasz \uD55C\uAD6D\\";
	ASSERT_TRUE(::CreateDirectoryW(strFolder.c_str(), nullptr) || ::GetLastError() == ERROR_ALREADY_EXISTS);
	CString strNarrow = NarrowFolderPath(strFolder.c_str());
	ASSERT_FALSE(strNarrow.IsEmpty());
	std::wstring strBack = ToWide(strNarrow);
	EXPECT_EQ(std::wstring(strBack).find(L'?'), std::wstring::npos) << strNarrow.GetString();
	// A file made through the narrow form lands in the real folder.
	const std::wstring strFile = strBack + L"tarnconfig.ini";
	HANDLE hFile = ::CreateFileW(strFile.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
		nullptr);
	ASSERT_NE(hFile, INVALID_HANDLE_VALUE);
	::CloseHandle(hFile);
	EXPECT_NE(::GetFileAttributesW((strFolder + L"tarnconfig.ini").c_str()), INVALID_FILE_ATTRIBUTES);
	::DeleteFileW((strFolder + L"tarnconfig.ini").c_str());
	::RemoveDirectoryW(strFolder.c_str());
}

TEST(HandOffTest, FolderSpeltIn936StaysAsItIs)
{
	EXPECT_EQ(std::string(NarrowFolderPath(L"C:\\播放器\\").GetString()), "C:\\\xB2\xA5\xB7\xC5\xC6\xF7\\");
}
