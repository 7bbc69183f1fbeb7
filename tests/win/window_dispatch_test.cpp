// How the toolkit's windows reach their objects: notifications of system
// controls and of the toolkit's own elements, in a form and inside a frame,
// and what happens to a window when its object or its container goes.
#include "platform/win/dialog_form.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "tests/win/dialog_support.h"

namespace ocural {
namespace {

class Host : public forms::DialogForm {
 public:
  forms::CommandButton button;
  forms::CheckBox check;
  forms::Frame frame;
  forms::OptionButton inFrame[2];
  forms::CommandButton buttonInFrame;
  forms::Label label;
  forms::FileListBox list;

  void Load() {
    CreateDialogForm(L"dispatch test", 6000, 4000);
    AddButton(button, L"Button", Twips(120, 120, 1200, 375));
    check.Create(hwnd_, L"Check", Twips(120, 600, 2000, 255), Font());
    frame.Create(hwnd_, L"Frame", Twips(120, 960, 2400, 1500), Font());
    inFrame[0].Create(frame.hWnd(), L"One", Twips(120, 240, 2000, 255), Font(), true);
    inFrame[1].Create(frame.hWnd(), L"Two", Twips(120, 540, 2000, 255), Font(), false);
    AddButton(buttonInFrame, L"In frame", Twips(120, 900, 1200, 375), frame.hWnd());
    label.Create(hwnd_, L"Label", Twips(2700, 120, 2000, 255), Font());
    list.Create(hwnd_, Twips(2700, 480, 2000, 1500), Font());
    Adopt({&check, &frame, &inFrame[0], &inFrame[1], &label, &list});
  }
};

class WindowDispatchWin : public ::testing::Test {
 protected:
  void SetUp() override { ocural_test::DropQuitRequest(); }
  void TearDown() override { ocural_test::DropQuitRequest(); }
};

TEST_F(WindowDispatchWin, EveryWindowFindsItsOwnObject) {
  Host h;
  h.Load();
  const std::vector<forms::Window*> all = {&h,     &h.button,     &h.check,         &h.frame, &h.inFrame[0],
                                           &h.inFrame[1], &h.buttonInFrame, &h.label, &h.list};
  for (forms::Window* w : all) {
    ASSERT_NE(w->hWnd(), nullptr);
    EXPECT_EQ(forms::Window::FromHandle(w->hWnd()), w);
  }
  // A window the toolkit did not make has no object.
  EXPECT_EQ(forms::Window::FromHandle(GetDesktopWindow()), nullptr);
  EXPECT_EQ(forms::Window::FromHandle(nullptr), nullptr);
}

TEST_F(WindowDispatchWin, ClicksReachTheButtonThatWasClicked) {
  Host h;
  h.Load();
  int direct = 0, nested = 0, option = 0;
  h.button.Click = [&] { ++direct; };
  h.buttonInFrame.Click = [&] { ++nested; };
  h.inFrame[1].Click = [&] { ++option; };
  struct Case {
    HWND target;
    int* counter;
    const char* what;
  };
  for (const Case& c : {Case{h.button.hWnd(), &direct, "button on the form"},
                        Case{h.buttonInFrame.hWnd(), &nested, "button in a frame"},
                        Case{h.inFrame[1].hWnd(), &option, "option button in a frame"}}) {
    const int before = *c.counter;
    SendMessageW(c.target, BM_CLICK, 0, 0);
    EXPECT_EQ(*c.counter, before + 1) << c.what;
  }
  EXPECT_EQ(direct + nested + option, 3) << "one click, one handler";
  EXPECT_TRUE(h.inFrame[1].Value());
  EXPECT_FALSE(h.inFrame[0].Value());
}

TEST_F(WindowDispatchWin, ListNotificationsReachTheList) {
  ocural_test::ScratchFolder folder;
  folder.Write(L"a.vsk", "");
  folder.Write(L"b.vsk", "");
  Host h;
  h.Load();
  h.list.SetPath(folder.Path());
  int clicks = 0, doubleClicks = 0;
  h.list.Click = [&] { ++clicks; };
  h.list.DblClick = [&] { ++doubleClicks; };
  SendMessageW(h.hWnd(), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(h.list.hWnd()), LBN_SELCHANGE),
               reinterpret_cast<LPARAM>(h.list.hWnd()));
  SendMessageW(h.hWnd(), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(h.list.hWnd()), LBN_DBLCLK),
               reinterpret_cast<LPARAM>(h.list.hWnd()));
  EXPECT_EQ(clicks, 1);
  EXPECT_EQ(doubleClicks, 1);
}

TEST_F(WindowDispatchWin, AnExceptionInAHandlerStaysInTheProgram) {
  Host h;
  h.Load();
  int after = 0;
  h.button.Click = [] { throw std::runtime_error("handler failed"); };
  h.check.SetValue(0);
  SendMessageW(h.button.hWnd(), BM_CLICK, 0, 0);
  // The form goes on working.
  h.button.Click = [&] { ++after; };
  SendMessageW(h.button.hWnd(), BM_CLICK, 0, 0);
  EXPECT_EQ(after, 1);
  SendMessageW(h.check.hWnd(), BM_CLICK, 0, 0);
  EXPECT_EQ(h.check.Value(), 1);
}

TEST_F(WindowDispatchWin, ElementsForgetTheirWindowsWhenTheContainerGoes) {
  Host h;
  h.Load();
  const std::vector<forms::Window*> elements = {&h.button,      &h.check, &h.frame, &h.inFrame[0], &h.inFrame[1],
                                                &h.buttonInFrame, &h.label, &h.list};
  std::vector<HWND> windows;
  for (forms::Window* w : elements) windows.push_back(w->hWnd());
  h.Unload();
  EXPECT_EQ(h.hWnd(), nullptr);
  for (size_t i = 0; i < elements.size(); ++i) {
    EXPECT_EQ(elements[i]->hWnd(), nullptr) << i;
    EXPECT_FALSE(IsWindow(windows[i])) << i;
  }
}

// A close request that arrives while the form is unloading (the system's,
// handled while the first unload waits) finds it under way: the unload runs
// once, and the window goes.
TEST_F(WindowDispatchWin, ACloseRequestDuringAnUnloadDoesNotRunItAgain) {
  struct Closing : Host {
    int runs = 0;
    void Form_QueryUnload(int& cancel, int mode) override {
      ++runs;
      SendMessageW(hwnd_, WM_CLOSE, 0, 0);
      SendMessageW(hwnd_, WM_ENDSESSION, TRUE, 0);
      Host::Form_QueryUnload(cancel, mode);
    }
  } h;
  h.Load();
  HWND w = h.hWnd();
  h.Unload();
  EXPECT_EQ(h.runs, 1);
  EXPECT_FALSE(IsWindow(w));
  EXPECT_EQ(h.hWnd(), nullptr);
}

TEST_F(WindowDispatchWin, AnElementThatGoesFirstTakesItsWindowAlong) {
  Host h;
  h.Load();
  HWND gone = nullptr;
  {
    forms::CommandButton early;
    forms::Label earlyLabel;
    ASSERT_TRUE(early.Create(h.hWnd(), L"Early", 0, 0, 80, 24));
    ASSERT_TRUE(earlyLabel.Create(h.hWnd(), L"Early", {0, 30, 80, 20}, h.Font()));
    gone = early.hWnd();
    EXPECT_TRUE(IsWindow(gone));
  }
  EXPECT_FALSE(IsWindow(gone));
  // The form's notifications carry on for the elements that are left.
  int clicks = 0;
  h.button.Click = [&] { ++clicks; };
  SendMessageW(h.button.hWnd(), BM_CLICK, 0, 0);
  EXPECT_EQ(clicks, 1);
}

}  // namespace
}  // namespace ocural
