// ConfigParam: unescaping, defaults, keys in any letter case, terminators, repeated and empty values.
#include "player/ClientConfig.h"

#include "app/MakerSites.h"
#include "support/LogRecords.h"

#include <gtest/gtest.h>

namespace
{
using CFields = std::vector<std::string>;   // web, help, home, feedback, loading, player

const CFields kDefaults = {MAKER_WEB_URL, MAKER_HELP_URL, MAKER_HOME_URL, MAKER_FEEDBACK_URL,
	MAKER_DEFAULT_LOADING_URL, MAKER_PLAYER_URL};

CFields Parse(const char* pszText)
{
	CClientConfig config;
	config.ConfigParam(pszText);
	return {config.m_strWebUrl.Str(), config.m_strHelpUrl.Str(), config.m_strHomeUrl.Str(),
		config.m_strFeedbackUrl.Str(), config.m_strDefaultLoadingUrl.Str(), config.m_strPlayerUrl.Str()};
}

CFields With(std::initializer_list<std::pair<size_t, const char*>> changes)
{
	CFields fields = kDefaults;
	for (const auto& change : changes)
		fields[change.first] = change.second;
	return fields;
}

TEST(ClientConfig, DefaultsCarryTheirPaths)
{
	EXPECT_TRUE(CClientConfig().m_strPlayerUrl.IsEmpty());
	EXPECT_EQ(Parse(""), kDefaults);
	EXPECT_EQ(Parse("nothing to see here"), kDefaults);
	const char* const paths[] = {"/vmp/default_new.aspx", "/pub/help.html", "/", "/", "/source/images/live/",
		"/player/tarnplayer.swf"};
	for (size_t i = 0; i < kDefaults.size(); ++i)
	{
		std::string strPath = kDefaults[i].substr(kDefaults[i].find('/', kDefaults[i].find("://") + 3));
		EXPECT_EQ(strPath.compare(0, strlen(paths[i]), paths[i]), 0) << kDefaults[i];
	}
}

TEST(ClientConfig, FieldsOfTheDocument)
{
	EXPECT_EQ(Parse("PlayerURL=http://Cdn.Example/V2.swf##HomeUrl=http://Home.Example/##"),
		With({{5, "http://Cdn.Example/V2.swf"}, {2, "http://Home.Example/"}}));
	EXPECT_EQ(Parse("  junk playerurl=p##FEEDBACKURL=f## x DefaultLoadingUrl=l##homeurl=o##helpurl=h##weburl=w## \r\n"),
		(CFields{"w", "h", "o", "f", "l", "p"}));
	// Escaped separators work; the document is unescaped once only.
	EXPECT_EQ(Parse("playerurl%3Dhttp%3A//x/a%2523b.swf%23%23weburl=w"), With({{5, "http://x/a%23b.swf"}, {0, "w"}}));
	// The last value runs to the end; a lone "#" there meets the appended terminator.
	EXPECT_EQ(Parse("helpurl=http://h/x"), With({{1, "http://h/x"}}));
	EXPECT_EQ(Parse("helpurl=http://h/x#"), With({{1, "http://h/x"}}));
	// The first occurrence wins, also inside another value; an empty value empties.
	EXPECT_EQ(Parse("homeurl=first##homeurl=second##"), With({{2, "first"}}));
	EXPECT_EQ(Parse("weburl=http://w/?homeurl=q##homeurl=real##"), With({{0, "http://w/?homeurl=q"}, {2, "q"}}));
	EXPECT_EQ(Parse("feedbackurl=##"), With({{3, ""}}));
}

TEST(ClientConfig, DocumentInAnotherEncodingIsReadByteByByte)
{
	// UTF-8 text: read as code page 936, "\xAD" would lead a character that swallows the byte after it.
	const char kUtf8Zhong[] = "\xE4\xB8\xAD";
	std::string strDoc = std::string("name=") + kUtf8Zhong + "##" + "WebUrl=http://w/" + kUtf8Zhong + "##HomeUrl=o"
		+ kUtf8Zhong + "%E4%B8%AD##playerurl=p";
	EXPECT_EQ(Parse(strDoc.c_str()), With({{0, "http://w/\xE4\xB8\xAD"}, {2, "o\xE4\xB8\xAD\xE4\xB8\xAD"},
		{5, "p"}}));
}

TEST(ClientConfig, TracesTheUnescapedText)
{
	logrecords::Reset();
	Parse("a%20b%23%23");
	Parse("");
	EXPECT_EQ(logrecords::Read(), (CFields{"DEBG|ConfigParam_UrlUnescape: a b##", "DEBG|ConfigParam_UrlUnescape: "}));
}
}
