#include "ui/SnapEdges.h"

#include <cstdlib>

namespace
{
bool SharesEdge(const SnapNode& a, const SnapNode& b)
{
	return a.left == b.left || a.left == b.right || a.right == b.left || a.right == b.right
		|| a.top == b.top || a.top == b.bottom || a.bottom == b.top || a.bottom == b.bottom;
}

bool StrictlyBetween(int nValue, int nLow, int nHigh)
{
	return nValue > nLow && nValue < nHigh;
}

void TakeBelow(int& nBest, int nValue, int nDistance)
{
	if (std::abs(nValue) < nDistance)
		nBest = nValue;
}
}

void CollectDocked(SnapList& moving, SnapList& fixed)
{
	for (size_t i = 0; i < moving.size(); ++i)
	{
		for (auto it = fixed.begin(); it != fixed.end();)
		{
			if (it->hWnd && SharesEdge(*it, moving[i]))
			{
				moving.push_back(*it);
				it = fixed.erase(it);
			}
			else
				++it;
		}
	}
}

void OffsetNodes(SnapList& nodes, int dx, int dy)
{
	for (SnapNode& node : nodes)
	{
		node.left += dx;
		node.right += dx;
		node.top += dy;
		node.bottom += dy;
	}
}

SnapShift FindSnapShifts(const SnapList& moving, const SnapList& fixed, int d)
{
	SnapShift shift;
	for (const SnapNode& m : moving)
	{
		for (const SnapNode& f : fixed)
		{
			if (StrictlyBetween(m.left, f.left - d, f.right + d) || StrictlyBetween(m.right, f.left - d, f.right + d))
			{
				for (int nValue : {m.top - f.top, m.top - f.bottom, m.bottom - f.top, m.bottom - f.bottom})
					TakeBelow(shift.nVertical, nValue, d);
			}
		}
	}
	for (const SnapNode& m : moving)
	{
		for (const SnapNode& f : fixed)
		{
			if (StrictlyBetween(m.top, f.top - d, f.bottom + d) || StrictlyBetween(m.bottom, f.top - d, f.bottom + d))
			{
				for (int nValue : {m.left - f.left, m.left - f.right, m.right - f.left, m.right - f.right})
					TakeBelow(shift.nHorizontal, nValue, d);
			}
		}
	}
	return shift;
}

void ApplySnap(SnapList& moving, const SnapShift& shift, const RECT& rcWork, int d)
{
	if (moving.empty())
		return;
	int h = shift.nHorizontal;
	if (h != 0 && std::abs(h) < d)
	{
		const SnapNode& first = moving.front();
		if (!(first.left - h >= rcWork.right || first.right - h <= rcWork.left))
			OffsetNodes(moving, -h, 0);
	}
	int v = shift.nVertical;
	if (v != 0 && std::abs(v) < d)
	{
		const SnapNode& first = moving.front();
		if (!(first.top - v >= rcWork.bottom || first.bottom - v <= rcWork.top))
			OffsetNodes(moving, 0, -v);
	}
}
