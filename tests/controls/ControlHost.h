// A bare top-level window that hosts controls in the tests, with a fresh stand-in journal.
#pragma once

#include "framework/OleControl.h"
#include "support/StandinJournal.h"

#include <gtest/gtest.h>

#include <string>

class ControlHostTest : public ::testing::Test
{
protected:
	static void SetUpTestSuite();
	void SetUp() override;
	void TearDown() override;

	// Child windows of the host, at any depth.
	int CountChildren() const;
	// The text a stand-in's view shows, or "(no view)".
	static std::wstring ViewText(const CWnd& wndControl);
	static RECT ViewRect(const CWnd& wndControl);
	// Lets posted work (navigation) run for at most nMilliseconds, or until bDone is set.
	static void Pump(DWORD nMilliseconds, const bool* pbDone = nullptr);

	CWnd m_host;
	standins::CJournalScope m_journal;
	const DWORD m_dwControlStyle = WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN;
};
