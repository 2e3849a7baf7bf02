// The docking layer: layout of a container's children by their sides, the panels' message
// forwarding and the splitter drag.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "common/win32/handles.h"
#include "forms/win32/dock.h"

namespace pinote {
namespace {

constexpr int kW = 200, kH = 100;

// A top-level test window that records the WM_COMMAND messages reaching it.
struct Recorder {
  std::vector<std::pair<WPARAM, LPARAM>> commands;
};

LRESULT CALLBACK RecorderProc(HWND wnd, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_NCCREATE) {
    auto* cs = reinterpret_cast<CREATESTRUCTW*>(lp);
    ::SetWindowLongPtrW(wnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(cs->lpCreateParams));
  }
  if (msg == WM_COMMAND) {
    if (auto* r = reinterpret_cast<Recorder*>(::GetWindowLongPtrW(wnd, GWLP_USERDATA))) {
      r->commands.emplace_back(wp, lp);
    }
    return 0;
  }
  return ::DefWindowProcW(wnd, msg, wp, lp);
}

UniqueWindow MakeTopLevel(Recorder* recorder, bool visible = false) {
  static bool registered = false;
  if (!registered) {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = &RecorderProc;
    wc.hInstance = ::GetModuleHandleW(nullptr);
    wc.lpszClassName = L"PinoteDockTestTop";
    registered = ::RegisterClassExW(&wc) != 0;
  }
  // WS_POPUP without a border: the client area is the whole kW x kH window.
  return UniqueWindow(::CreateWindowExW(0, L"PinoteDockTestTop", L"", WS_POPUP |
                                        (visible ? WS_VISIBLE : 0), 0, 0, kW, kH, nullptr,
                                        nullptr, ::GetModuleHandleW(nullptr), recorder));
}

RECT RectIn(HWND child, HWND container) {
  RECT r{};
  ::GetWindowRect(child, &r);
  ::MapWindowPoints(HWND_DESKTOP, container, reinterpret_cast<POINT*>(&r), 2);
  return r;
}

std::string Str(const RECT& r) {
  return "(" + std::to_string(r.left) + "," + std::to_string(r.top) + "," +
         std::to_string(r.right) + "," + std::to_string(r.bottom) + ")";
}

struct ChildSpec {
  Align align;
  int x, y, w, h;  // design place
  bool visible;
  RECT expected;   // after layout; for hidden children: unchanged design place
};

struct LayoutCase {
  const char* name;
  std::vector<ChildSpec> children;  // in creation order
};

TEST(LayoutChildren, PlacesChildrenBySideAndDesignOrder) {
  const std::vector<LayoutCase> cases = {
      {"top, top, client",
       {{Align::Top, 0, 0, 50, 10, true, {0, 0, kW, 10}},
        {Align::Top, 0, 10, 50, 20, true, {0, 10, kW, 30}},
        {Align::Client, 0, 0, 5, 5, true, {0, 30, kW, kH}}}},
      {"tops ordered by design top, not creation",
       {{Align::Top, 0, 50, 10, 20, true, {0, 10, kW, 30}},
        {Align::Top, 0, 0, 10, 10, true, {0, 0, kW, 10}}}},
      {"equal tops keep creation order",
       {{Align::Top, 0, 0, 10, 7, true, {0, 0, kW, 7}},
        {Align::Top, 0, 0, 10, 9, true, {0, 7, kW, 16}}}},
      {"bottoms from the bottom edge, nearest first",
       {{Align::Bottom, 0, 90, 10, 10, true, {0, 90, kW, kH}},
        {Align::Bottom, 0, 84, 10, 6, true, {0, 84, kW, 90}},
        {Align::Client, 0, 0, 5, 5, true, {0, 0, kW, 84}}}},
      {"left and right take the height left by top and bottom",
       {{Align::Left, 0, 0, 30, 5, true, {0, 10, 30, 90}},
        {Align::Right, 0, 0, 40, 5, true, {160, 10, kW, 90}},
        {Align::Top, 0, 0, 5, 10, true, {0, 0, kW, 10}},
        {Align::Bottom, 0, 0, 5, 10, true, {0, 90, kW, kH}},
        {Align::Client, 0, 0, 5, 5, true, {30, 10, 160, 90}}}},
      {"hidden children take no space and stay put",
       {{Align::Top, 0, 0, 10, 10, false, {0, 0, 10, 10}},
        {Align::Top, 0, 10, 10, 20, true, {0, 0, kW, 20}},
        {Align::Client, 0, 0, 5, 5, true, {0, 20, kW, kH}}}},
      {"none keeps its design place and size",
       {{Align::None, 7, 8, 9, 10, true, {7, 8, 16, 18}},
        {Align::Client, 0, 0, 5, 5, true, {0, 0, kW, kH}}}},
      {"overfull container leaves the client nothing",
       {{Align::Top, 0, 0, 5, 80, true, {0, 0, kW, 80}},
        {Align::Bottom, 0, 0, 5, 60, true, {0, 40, kW, kH}},
        {Align::Client, 0, 0, 5, 5, true, {0, 80, kW, 80}}}},
  };
  for (const LayoutCase& c : cases) {
    SCOPED_TRACE(c.name);
    UniqueWindow top = MakeTopLevel(nullptr);
    ASSERT_TRUE(top);
    std::vector<HWND> made;
    for (const ChildSpec& s : c.children) {
      HWND w = CreateDocked(top.get(), L"STATIC", L"", s.visible ? WS_VISIBLE : 0, 0, s.x, s.y,
                            s.w, s.h, s.align);
      ASSERT_NE(w, nullptr);
      made.push_back(w);
    }
    LayoutChildren(top.get());
    for (size_t i = 0; i < made.size(); ++i) {
      SCOPED_TRACE("child " + std::to_string(i));
      EXPECT_EQ(Str(RectIn(made[i], top.get())), Str(c.children[i].expected));
      EXPECT_EQ(GetAlign(made[i]), c.children[i].align);
    }
  }
}

TEST(LayoutChildren, FollowsContainerResize) {
  UniqueWindow top = MakeTopLevel(nullptr);
  HWND panel = CreatePanel(top.get(), 0, 0, kW, kH, Align::Client);
  ASSERT_NE(panel, nullptr);
  HWND head = CreateDocked(panel, L"STATIC", L"", WS_VISIBLE, 1, 0, 0, 10, 12, Align::Top);
  HWND body = CreateDocked(panel, L"EDIT", L"", WS_VISIBLE, 2, 0, 0, 10, 10, Align::Client);
  ::SetWindowPos(top.get(), nullptr, 0, 0, 120, 300, SWP_NOZORDER | SWP_NOMOVE);
  LayoutChildren(top.get());  // the form's own WM_SIZE handler does this
  EXPECT_EQ(Str(RectIn(panel, top.get())), Str(RECT{0, 0, 120, 300}));
  EXPECT_EQ(Str(RectIn(head, panel)), Str(RECT{0, 0, 120, 12}));
  EXPECT_EQ(Str(RectIn(body, panel)), Str(RECT{0, 12, 120, 300}));
}

TEST(GetAlign, UnmarkedWindowIsNone) {
  UniqueWindow top = MakeTopLevel(nullptr);
  HWND w = ::CreateWindowExW(0, L"STATIC", L"", WS_CHILD, 0, 0, 1, 1, top.get(), nullptr,
                             nullptr, nullptr);
  EXPECT_EQ(GetAlign(w), Align::None);
  SetAlign(w, Align::Right);
  EXPECT_EQ(GetAlign(w), Align::Right);
  SetAlign(w, Align::None);
  EXPECT_EQ(GetAlign(w), Align::None);
}

TEST(CreatePanel, ForwardsNestedNotificationsToTheForm) {
  Recorder recorder;
  UniqueWindow top = MakeTopLevel(&recorder);
  HWND outer = CreatePanel(top.get(), 0, 0, kW, kH, Align::Client);
  HWND inner = CreatePanel(outer, 0, 0, kW, kH, Align::Client);
  HWND button = CreateDocked(inner, L"BUTTON", L"b", WS_VISIBLE | BS_PUSHBUTTON, 77, 0, 0, 20,
                             20, Align::Top);
  ASSERT_NE(button, nullptr);
  ::SendMessageW(button, BM_CLICK, 0, 0);
  ASSERT_EQ(recorder.commands.size(), 1u);
  EXPECT_EQ(LOWORD(recorder.commands[0].first), 77);
  EXPECT_EQ(HIWORD(recorder.commands[0].first), BN_CLICKED);
  EXPECT_EQ(reinterpret_cast<HWND>(recorder.commands[0].second), button);
}

struct SplitterFixture {
  Recorder recorder;
  UniqueWindow top;
  HWND panel = nullptr, memo = nullptr, meibo = nullptr, splitter = nullptr;

  SplitterFixture() : top(MakeTopLevel(&recorder, true)) {
    panel = CreatePanel(top.get(), 0, 0, kW, kH, Align::Client);
    memo = CreateDocked(panel, L"EDIT", L"", WS_VISIBLE, 1, 0, 0, 10, 10, Align::Client);
    meibo = CreateDocked(panel, L"EDIT", L"", WS_VISIBLE, 2, 0, 970, 10, 30, Align::Bottom);
    splitter = CreateSplitter(panel, 3, 0, 964, 10, 6, Align::Bottom);
    LayoutChildren(panel);
  }
  void Drag(int fromY, int toY) {
    ::SendMessageW(splitter, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, fromY));
    ::SendMessageW(splitter, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(5, toY));
    ::SendMessageW(splitter, WM_LBUTTONUP, 0, MAKELPARAM(5, toY));
  }
};

TEST(CreateSplitter, SitsDirectlyAboveItsBottomNeighbour) {
  SplitterFixture f;
  EXPECT_EQ(Str(RectIn(f.meibo, f.panel)), Str(RECT{0, 70, kW, kH}));
  EXPECT_EQ(Str(RectIn(f.splitter, f.panel)), Str(RECT{0, 64, kW, 70}));
  EXPECT_EQ(Str(RectIn(f.memo, f.panel)), Str(RECT{0, 0, kW, 64}));
}

TEST(CreateSplitter, DragResizesTheNeighbourAndTellsTheForm) {
  struct Case {
    int toY;           // mouse y in splitter coordinates; pressed at y = 3
    int expectHeight;  // of the bottom neighbour, 30 before
  };
  const Case cases[] = {
      {3 - 20, 50},    // up: grows
      {3 + 15, 20},    // down: shrinks to the minimum
      {3 + 25, 20},    // never below the minimum
      {3 - 500, 94},   // never beyond the room the client control had (64)
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.toY);
    SplitterFixture f;
    f.Drag(3, c.toY);
    const RECT m = RectIn(f.meibo, f.panel);
    EXPECT_EQ(m.bottom - m.top, c.expectHeight);
    EXPECT_EQ(m.bottom, kH);
    EXPECT_EQ(RectIn(f.splitter, f.panel).bottom, m.top);
    ASSERT_FALSE(f.recorder.commands.empty());
    EXPECT_EQ(LOWORD(f.recorder.commands.back().first), 3);
    EXPECT_EQ(HIWORD(f.recorder.commands.back().first), kSplitterMoved);
  }
}

}  // namespace
}  // namespace pinote
