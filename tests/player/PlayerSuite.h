// The fixture of the end-to-end suites: one harness (one served configuration) for the whole suite, and
// each test starting with no player, an empty control journal and an empty log.
#pragma once

#include "PlayerHarness.h"

#include <gtest/gtest.h>

#include <memory>

class CPlayerSuite : public ::testing::Test
{
protected:
	static void SetUpTestSuite()
	{
		s_pHarness = std::make_unique<CPlayerHarness>();
		s_bServing = s_pHarness->Start();
	}

	static void TearDownTestSuite() { s_pHarness.reset(); }

	void SetUp() override
	{
		ASSERT_TRUE(s_bServing) << "cannot serve the client configuration on 127.0.0.3:80";
		H().KillPlayer();
		H().ClearJournal();
		H().ClearLog();
	}

	void TearDown() override { H().KillPlayer(); }

	static CPlayerHarness& H() { return *s_pHarness; }

	static inline std::unique_ptr<CPlayerHarness> s_pHarness;
	static inline bool s_bServing = false;
};
