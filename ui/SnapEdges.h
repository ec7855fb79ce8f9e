// The edge arithmetic of the snapping group, as plain functions on rectangles.
#pragma once

#include <windows.h>

#include <vector>

// A window (or none, for the work area) and its screen rectangle.
struct SnapNode
{
	HWND hWnd;
	int left;
	int top;
	int right;
	int bottom;
};
using SnapList = std::vector<SnapNode>;

// Shift values that never snap: larger than any snap distance.
const int kNoHorizontalSnap = 800;
const int kNoVerticalSnap = 600;

struct SnapShift
{
	int nHorizontal = kNoHorizontalSnap;
	int nVertical = kNoVerticalSnap;
};

// Moves every fixed entry with a window that shares an edge coordinate with a moving entry, directly or
// through entries moved before it, to the end of the moving list.
void CollectDocked(SnapList& moving, SnapList& fixed);
void OffsetNodes(SnapList& nodes, int dx, int dy);
// The last qualifying distance between a moving and a fixed edge below nDistance, on each axis.
SnapShift FindSnapShifts(const SnapList& moving, const SnapList& fixed, int nDistance);
// Shifts the moving entries onto the snap, on each axis where it is below nDistance and does not put the
// first moving entry wholly outside the work area.
void ApplySnap(SnapList& moving, const SnapShift& shift, const RECT& rcWork, int nDistance);
