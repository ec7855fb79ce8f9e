// ConfigParam: unescaping, defaults, keys in any letter case, terminators, repeated and empty values.
#include "player/ClientConfig.h"

#include "app/MakerSites.h"
#include "tests/net/LogRecords.h"

#include <gtest/gtest.h>

namespace
{
struct CParsed
{
	std::string web, help, home, feedback, loading, player;
	bool operator==(const CParsed& o) const
	{
		return web == o.web && help == o.help && home == o.home && feedback == o.feedback && loading == o.loading
			&& player == o.player;
	}
};

std::ostream& operator<<(std::ostream& out, const CParsed& p)
{
	return out << "{" << p.web << ", " << p.help << ", " << p.home << ", " << p.feedback << ", " << p.loading
		<< ", " << p.player << "}";
}

CParsed Parse(const char* pszText)
{
	CClientConfig config;
	config.ConfigParam(pszText);
	return {config.m_strWebUrl.GetString(), config.m_strHelpUrl.GetString(), config.m_strHomeUrl.GetString(),
		config.m_strFeedbackUrl.GetString(), config.m_strDefaultLoadingUrl.GetString(),
		config.m_strPlayerUrl.GetString()};
}

const CParsed kDefaults = {MAKER_WEB_URL, MAKER_HELP_URL, MAKER_HOME_URL, MAKER_FEEDBACK_URL,
	MAKER_DEFAULT_LOADING_URL, MAKER_PLAYER_URL};

CParsed With(std::string CParsed::*pField, const std::string& strValue)
{
	CParsed parsed = kDefaults;
	parsed.*pField = strValue;
	return parsed;
}

TEST(ClientConfig, DefaultsKeepTheirPaths)
{
	CClientConfig config;
	EXPECT_TRUE(config.m_strPlayerUrl.IsEmpty());
	EXPECT_EQ(Parse(""), kDefaults);
	EXPECT_EQ(Parse("nothing to see here"), kDefaults);
	const std::pair<std::string, const char*> paths[] = {{kDefaults.web, "/vmp/default_new.aspx"},
		{kDefaults.help, "/pub/help.html"}, {kDefaults.home, "/"}, {kDefaults.feedback, "/"},
		{kDefaults.loading, "/source/images/live/"}, {kDefaults.player, "/player/tarnplayer.swf"}};
	for (const auto& path : paths)
	{
		size_t nHost = path.first.find("://");
		ASSERT_NE(nHost, std::string::npos);
		EXPECT_EQ(path.first.find(path.second, nHost + 3), path.first.find('/', nHost + 3)) << path.first;
	}
}

TEST(ClientConfig, KeysIgnoreCaseAndValuesKeepIt)
{
	CParsed expected = With(&CParsed::player, "http://Cdn.Example/Player/V2.swf");
	expected.home = "http://Home.Example/";
	EXPECT_EQ(Parse("PlayerURL=http://Cdn.Example/Player/V2.swf##HomeUrl=http://Home.Example/##"), expected);

	CParsed all = {"w", "h", "o", "f", "l", "p"};
	EXPECT_EQ(Parse("  junk playerurl=p##FEEDBACKURL=f## more junk DefaultLoadingUrl=l##homeurl=o##"
		"helpurl=h##weburl=w##  \r\n"), all);
}

TEST(ClientConfig, TerminatorsRepeatsAndEmptyValues)
{
	// Escaped separators work once unescaped; the document is unescaped only once.
	CParsed escaped = With(&CParsed::player, "http://x/a%23b.swf");
	escaped.web = "w";
	EXPECT_EQ(Parse("playerurl%3Dhttp%3A//x/a%2523b.swf%23%23weburl=w"), escaped);
	// No terminator after the last value.
	EXPECT_EQ(Parse("helpurl=http://h/x"), With(&CParsed::help, "http://h/x"));
	// A lone "#" at the end runs into the appended terminator.
	EXPECT_EQ(Parse("helpurl=http://h/x#"), With(&CParsed::help, "http://h/x"));
	// The first occurrence wins, also inside another value.
	EXPECT_EQ(Parse("homeurl=first##homeurl=second##"), With(&CParsed::home, "first"));
	CParsed inQuery = With(&CParsed::web, "http://w/?homeurl=q");
	inQuery.home = "q";
	EXPECT_EQ(Parse("weburl=http://w/?homeurl=q##homeurl=real##"), inQuery);
	// An empty value replaces the default.
	EXPECT_EQ(Parse("feedbackurl=##"), With(&CParsed::feedback, ""));
	EXPECT_EQ(Parse("feedbackurl="), With(&CParsed::feedback, ""));
}

TEST(ClientConfig, TracesTheUnescapedText)
{
	logrecords::Reset();
	Parse("a%20b%23%23");
	Parse("");
	std::vector<std::string> records = logrecords::Read();
	std::vector<std::string> expected = {"DEBG|ConfigParam_UrlUnescape: a b##", "DEBG|ConfigParam_UrlUnescape: "};
	EXPECT_EQ(records, expected);
}
}
