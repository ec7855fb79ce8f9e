// CQuiloPlayerApp: the application object; its start-up runs the player window modally.
#pragma once

#include "framework/WinApp.h"

class CQuiloPlayerApp : public CWinApp
{
public:
	BOOL InitInstance() override;
};
