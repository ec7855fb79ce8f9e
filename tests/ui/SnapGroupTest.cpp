// The snapping group: its edge arithmetic as plain functions, the group on real windows, and one drag with
// the X server's real pointer that moves two docked windows together.
#include "framework/Wnd.h"
#include "support/LinuxTools.h"
#include "support/Rects.h"
#include "ui/SnapGroup.h"

#include <gtest/gtest.h>

#include <string>

namespace
{
const RECT kWork = {0, 0, 1280, 800};

SnapNode Node(int left, int top, int right, int bottom, HWND hWnd = reinterpret_cast<HWND>(1))
{
	return SnapNode{hWnd, left, top, right, bottom};
}

SnapNode WorkAreaNode()
{
	return SnapNode{nullptr, kWork.left, kWork.top, kWork.right, kWork.bottom};
}

std::string Rects(const SnapList& nodes)
{
	std::string str;
	for (const SnapNode& node : nodes)
		str += std::to_string(node.left) + "," + std::to_string(node.top) + "," + std::to_string(node.right) + ","
			+ std::to_string(node.bottom) + ";";
	return str;
}

// One DragTo's arithmetic: offset, find the snap, apply it.
SnapList Drag(SnapList moving, const SnapList& fixed, int dx, int dy)
{
	OffsetNodes(moving, dx, dy);
	ApplySnap(moving, FindSnapShifts(moving, fixed, 15), kWork, 15);
	return moving;
}

TEST(SnapEdges, AnEdgeSnapsWithin14PixelsAndNotAt15)
{
	SnapList fixed = {WorkAreaNode()};
	// The left edge comes to 14 pixels from the work area's left: it snaps there.
	EXPECT_EQ(Rects(Drag({Node(100, 300, 400, 500)}, fixed, -86, 0)), "0,300,300,500;");
	EXPECT_EQ(Rects(Drag({Node(100, 300, 400, 500)}, fixed, -85, 0)), "15,300,315,500;");
	// The same on the vertical axis, and both axes at once.
	EXPECT_EQ(Rects(Drag({Node(100, 300, 400, 500)}, fixed, 0, -286)), "100,0,400,200;");
	EXPECT_EQ(Rects(Drag({Node(100, 300, 400, 500)}, fixed, 0, -285)), "100,15,400,215;");
	EXPECT_EQ(Rects(Drag({Node(100, 300, 400, 500)}, fixed, 875, 290)), "980,600,1280,800;");

	// Onto another window's edges: a panel left of the player snaps flush to its right edge.
	SnapList withPlayer = {Node(200, 200, 700, 668), WorkAreaNode()};
	EXPECT_EQ(Rects(Drag({Node(720, 250, 1210, 718)}, withPlayer, -6, 0)), "700,250,1190,718;");
	// Far from every edge nothing snaps: the mouse's step is taken as it is.
	EXPECT_EQ(Rects(Drag({Node(750, 250, 1000, 500)}, withPlayer, 10, 10)), "760,260,1010,510;");
}

TEST(SnapEdges, SnapThatLeavesTheWorkAreaIsNotMade)
{
	// A window wholly left of the work area: snapping its right edge onto the work area's left edge would
	// leave it outside, so it follows the mouse on that axis.
	SnapList fixed = {WorkAreaNode()};
	SnapList moving = {Node(-310, 300, -10, 500)};
	SnapShift shift = FindSnapShifts(moving, fixed, 15);
	EXPECT_EQ(shift.nHorizontal, -10);
	ApplySnap(moving, shift, kWork, 15);
	EXPECT_EQ(Rects(moving), "-310,300,-10,500;");
	// Nothing qualifies: the shifts keep their never-snapping values.
	shift = FindSnapShifts({Node(300, 300, 400, 400)}, fixed, 15);
	EXPECT_EQ(shift.nHorizontal, kNoHorizontalSnap);
	EXPECT_EQ(shift.nVertical, kNoVerticalSnap);
}

TEST(SnapEdges, DockedWindowsJoinTheMoveThroughAChain)
{
	HWND hA = reinterpret_cast<HWND>(2), hB = reinterpret_cast<HWND>(3), hC = reinterpret_cast<HWND>(4);
	SnapList moving = {Node(0, 0, 500, 468)};
	// A touches the main window, B touches only A, C shares no coordinate with any of them.
	SnapList fixed = {WorkAreaNode(), Node(900, 100, 1200, 400, hB), Node(500, 0, 900, 300, hA),
		Node(1210, 490, 1250, 530, hC)};
	CollectDocked(moving, fixed);
	ASSERT_EQ(moving.size(), 3u);
	EXPECT_EQ(moving[1].hWnd, hA);
	EXPECT_EQ(moving[2].hWnd, hB);
	ASSERT_EQ(fixed.size(), 2u);
	// The work area shares the main window's top and left but has no window: it never moves.
	EXPECT_EQ(fixed[0].hWnd, nullptr);
	EXPECT_EQ(fixed[1].hWnd, hC);
}

// A top-level window whose client area drags it through the group, as the player window's does.
class CDragWindow : public CWnd
{
public:
	BOOL Create(int x, int y, int cx, int cy)
	{
		static ATOM s_atom = [] {
			WNDCLASSA wc = {};
			wc.lpfnWndProc = &::DefWindowProcA;
			wc.hInstance = ::GetModuleHandleA(nullptr);
			wc.hCursor = ::LoadCursor(nullptr, IDC_ARROW);
			wc.hbrBackground = static_cast<HBRUSH>(::GetStockObject(GRAY_BRUSH));
			wc.lpszClassName = "QuiloSnapWindow";
			return ::RegisterClassA(&wc);
		}();
		(void)s_atom;
		// Above whatever else is on the display, so that the pointer finds them.
		HWND hWnd = ::CreateWindowExA(WS_EX_TOPMOST, "QuiloSnapWindow", "", WS_POPUP | WS_VISIBLE, x, y, cx, cy, nullptr,
			nullptr, ::GetModuleHandleA(nullptr), nullptr);
		return hWnd && SubclassWindow(hWnd);
	}

	BEGIN_MSG_MAP(CDragWindow)
		MSG_MOUSE_HANDLER(WM_LBUTTONDOWN, OnLButtonDown)
		MSG_MOUSE_HANDLER(WM_LBUTTONUP, OnLButtonUp)
		MSG_MOUSE_HANDLER(WM_MOUSEMOVE, OnMouseMove)
	END_MSG_MAP()

	void OnLButtonDown(UINT, POINT pt) { m_group.BeginDrag(m_hWnd, pt); Default(); }
	void OnLButtonUp(UINT, POINT) { m_group.EndDrag(); Default(); }
	void OnMouseMove(UINT, POINT pt) { m_group.DragTo(pt); Default(); }

	static CSnapGroup m_group;
};
CSnapGroup CDragWindow::m_group;

// Client point of a window for a screen point.
POINT ClientPoint(HWND hWnd, int x, int y)
{
	POINT pt = {x, y};
	::ScreenToClient(hWnd, &pt);
	return pt;
}

TEST(SnapGroup, MainWindowTakesItsDockedPanelAlongButThePanelMovesAlone)
{
	CSnapGroup group;
	CDragWindow player, panel, stray;
	ASSERT_TRUE(player.Create(200, 150, 300, 200));
	ASSERT_TRUE(panel.Create(500, 150, 200, 200));
	ASSERT_TRUE(stray.Create(760, 420, 100, 100));
	group.SetMainWindow(player);
	group.AddWindow(panel);
	group.AddWindow(stray);

	group.BeginDrag(player, ClientPoint(player, 250, 200));
	EXPECT_EQ(::GetCapture(), player.GetSafeHwnd());
	group.DragTo(ClientPoint(player, 290, 230));
	EXPECT_EQ(RectText(WindowRect(player)), "240,180,540,380");
	EXPECT_EQ(RectText(WindowRect(panel)), "540,180,740,380");
	EXPECT_EQ(RectText(WindowRect(stray)), "760,420,860,520");
	group.EndDrag();
	EXPECT_EQ(::GetCapture(), nullptr);
	EXPECT_TRUE(player.IsWindowEnabled());
	// Moves between a release and the next press move nothing.
	group.DragTo(ClientPoint(player, 400, 400));
	EXPECT_EQ(RectText(WindowRect(player)), "240,180,540,380");

	// The panel dragged away moves alone, and snaps onto the player's right edge within 14 pixels.
	group.BeginDrag(panel, ClientPoint(panel, 600, 200));
	group.DragTo(ClientPoint(panel, 700, 200));
	EXPECT_EQ(RectText(WindowRect(panel)), "640,180,840,380");
	group.DragTo(ClientPoint(panel, 611, 200));
	EXPECT_EQ(RectText(WindowRect(panel)), "540,180,740,380");
	EXPECT_EQ(RectText(WindowRect(player)), "240,180,540,380");
	group.EndDrag();

	// A window destroyed during its drag: the calls that follow do nothing harmful.
	group.BeginDrag(stray, ClientPoint(stray, 800, 450));
	ASSERT_TRUE(stray.DestroyWindow());
	group.DragTo(POINT{5, 5});
	EXPECT_FALSE(group.IsDragging());
	group.EndDrag();
	group.EndDrag();
	EXPECT_EQ(RectText(WindowRect(player)), "240,180,540,380");
	player.DestroyWindow();
	panel.DestroyWindow();
}

TEST(SnapGroup, RealPointerDragMovesBothWindowsTogether)
{
	CDragWindow player, panel;
	ASSERT_TRUE(player.Create(200, 200, 300, 200));
	ASSERT_TRUE(panel.Create(500, 200, 200, 200));
	CDragWindow::m_group.SetMainWindow(player);
	CDragWindow::m_group.AddWindow(panel);
	::SetForegroundWindow(player);

	// A press in the player's client area, two moves and the release, as a hand on the mouse does.
	ASSERT_TRUE(linuxtools::XdoTool("mousemove 260 260 sleep 0.2 mousedown 1 sleep 0.2 mousemove 300 290 sleep 0.2 "
		"mousemove 363 327 sleep 0.2 mouseup 1 sleep 0.2"));
	EXPECT_TRUE(::IsWindow(player));
	EXPECT_EQ(RectText(WindowRect(player)), "303,267,603,467");
	EXPECT_EQ(RectText(WindowRect(panel)), "603,267,803,467");
	EXPECT_FALSE(CDragWindow::m_group.IsDragging());

	// Afterwards the pointer moves over the player with no button down: nothing follows it.
	ASSERT_TRUE(linuxtools::XdoTool("mousemove 400 400 sleep 0.2 mousemove 450 420 sleep 0.2"));
	EXPECT_EQ(RectText(WindowRect(player)), "303,267,603,467");
	player.DestroyWindow();
	panel.DestroyWindow();
}
}
