// What the stand-in controls and their tests share: class ids, the event interface, the environment
// variables that steer the stand-ins.
#pragma once

#include <windows.h>

namespace standins
{
// {D27CDB6E-AE6D-11CF-96B8-444553540000}, the Flash player's class id
const CLSID kClsidFlash = { 0xD27CDB6E, 0xAE6D, 0x11CF, { 0x96, 0xB8, 0x44, 0x45, 0x53, 0x54, 0x00, 0x00 } };
// {9D8168F2-26F1-48FB-B7C7-65721B24ADC3}, the live plug-in's class id
const CLSID kClsidLive = { 0x9D8168F2, 0x26F1, 0x48FB, { 0xB7, 0xC7, 0x65, 0x72, 0x1B, 0x24, 0xAD, 0xC3 } };

// {8856F961-340A-11D0-A96B-00C04FD705A2}, the web browser's class id
const CLSID kClsidBrowser = { 0x8856F961, 0x340A, 0x11D0, { 0xA9, 0x6B, 0x00, 0xC0, 0x4F, 0xD7, 0x05, 0xA2 } };

// {6C1E3D2A-5B7F-4E08-9A41-3F0D2C6B8E17}: events of the live stand-in.
const IID kDiidEvents = { 0x6C1E3D2A, 0x5B7F, 0x4E08, { 0x9A, 0x41, 0x3F, 0x0D, 0x2C, 0x6B, 0x8E, 0x17 } };
// StreamState(long nState, BSTR bstrStream), fired by OpenStream (1), StartStream (2) and CloseStream (0).
const DISPID kEventStreamState = 1;

// Path of the journal file; no journal when unset.
const char kEnvJournal[] = "QUILO_STANDIN_JOURNAL";
// "flash", "live", "browser" or "both" (Flash and live): creation of that control fails.
const char kEnvRefuse[] = "QUILO_STANDIN_REFUSE";
// "1": OpenStream fails with an exception.
const char kEnvFailOpenStream[] = "QUILO_STANDIN_FAIL_OPENSTREAM";
// "<control> <dispid>" ("flash 102", "live 7"): every call of that member fails with an exception.
const char kEnvFail[] = "QUILO_STANDIN_FAIL";
// "<control> <dispid>": that call jumps to address 0 in the caller's thread; "thread <control> <dispid>": the
// call starts a thread that does, and returns.
const char kEnvFault[] = "QUILO_STANDIN_FAULT";
// Milliseconds from the browser's Navigate2 to its NavigateComplete2 (default 150).
const char kEnvNavigateMs[] = "QUILO_STANDIN_NAVIGATE_MS";

const char kDllName[] = "QuiloStandins.dll";
}
