// The three dialogs at the display scale the test runs at: every element
// shows its whole text in its own font, lies inside the dialog (or its frame)
// and keeps clear of its neighbours. The test command runs this at several
// DPI settings; the twips of the layouts give other pixel sizes at each, and
// the fonts do not grow in step with them.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "controller/frmVerinfo.h"
#include "settings/frmSetting.h"
#include "skin/frmChangeSkin.h"
#include "tests/win/dialog_support.h"

namespace ocural {
namespace {

std::string Utf8(const std::wstring& text) {
  const int n = WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, nullptr, 0, nullptr, nullptr);
  std::string out(static_cast<size_t>(n > 0 ? n : 1), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, &out[0], n, nullptr, nullptr);
  out.resize(out.size() - 1);
  return out;
}

std::wstring ClassOf(HWND w) {
  wchar_t cls[64] = {};
  GetClassNameW(w, cls, 64);
  return cls;
}

int Dpi() { return GetDeviceCaps(win::WindowDC(nullptr).get(), LOGPIXELSX); }

// Text measured in an element's own font, as the element draws it.
class TextMeasure {
 public:
  explicit TextMeasure(HWND element) : dc_(element) {
    const auto font = reinterpret_cast<HFONT>(SendMessageW(element, WM_GETFONT, 0, 0));
    old_ = SelectObject(dc_.get(), font ? static_cast<HGDIOBJ>(font) : GetStockObject(DEFAULT_GUI_FONT));
    GetTextMetricsW(dc_.get(), &tm_);
  }
  ~TextMeasure() { SelectObject(dc_.get(), old_); }
  TextMeasure(const TextMeasure&) = delete;
  TextMeasure& operator=(const TextMeasure&) = delete;

  const TEXTMETRICW& Metrics() const { return tm_; }
  // One line; "&" marks an access key unless `plain`.
  SIZE Line(const std::wstring& text, bool plain = false) const { return Calc(text, 0, DT_SINGLELINE | (plain ? DT_NOPREFIX : 0)); }
  // Wrapped at `width` as a label wraps it; wider than `width` when one word is.
  SIZE Wrapped(const std::wstring& text, int width) const { return Calc(text, width, DT_WORDBREAK | DT_NOPREFIX); }
  // The rows and columns that carry ink when the text is drawn wrapped at
  // `width` from (0, 0), underline included; empty when nothing shows.
  RECT Ink(const std::wstring& text, int width) const {
    const SIZE cell = Wrapped(text, width);
    win::DibImage image(std::max<LONG>(cell.cx, 1) + 8, std::max<LONG>(cell.cy, 1) + 8);
    RECT all{0, 0, image.width(), image.height()};
    FillRect(image.dc(), &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    win::SelectGuard sel(image.dc(), GetCurrentObject(dc_.get(), OBJ_FONT));
    SetTextColor(image.dc(), RGB(0, 0, 0));
    SetBkMode(image.dc(), TRANSPARENT);
    RECT r{0, 0, width, image.height()};
    DrawTextW(image.dc(), text.c_str(), static_cast<int>(text.size()), &r, DT_WORDBREAK | DT_NOPREFIX);
    GdiFlush();
    RECT ink{image.width(), image.height(), 0, 0};
    for (int y = 0; y < image.height(); ++y) {
      for (int x = 0; x < image.width(); ++x) {
        if (image.Pixel(x, y) == RGB(255, 255, 255)) continue;
        ink = {std::min<LONG>(ink.left, x), std::min<LONG>(ink.top, y), std::max<LONG>(ink.right, x + 1),
               std::max<LONG>(ink.bottom, y + 1)};
      }
    }
    return ink.right > ink.left ? ink : RECT{};
  }
  int DigitWidth() const {
    INT w = 0;
    GetCharWidth32W(dc_.get(), L'0', L'0', &w);
    return w;
  }

 private:
  SIZE Calc(const std::wstring& text, int width, UINT flags) const {
    RECT r{0, 0, width, 0};
    DrawTextW(dc_.get(), text.c_str(), static_cast<int>(text.size()), &r, DT_CALCRECT | flags);
    return {r.right, r.bottom};
  }

  win::WindowDC dc_;
  HGDIOBJ old_ = nullptr;
  TEXTMETRICW tm_{};
};

// What an element shows, in its container's client coordinates.
struct Shown {
  std::string name;
  RECT box;
};

void CheckPlaces(const std::vector<Shown>& shown, const RECT& client, const std::string& container,
                 std::vector<std::string>& faults) {
  for (size_t i = 0; i < shown.size(); ++i) {
    RECT within{};
    if (!IntersectRect(&within, &shown[i].box, &client) || !EqualRect(&within, &shown[i].box)) {
      faults.push_back(shown[i].name + " reaches out of " + container);
    }
    for (size_t j = i + 1; j < shown.size(); ++j) {
      RECT both{};
      if (IntersectRect(&both, &shown[i].box, &shown[j].box)) {
        faults.push_back(shown[i].name + " overlaps " + shown[j].name + " by " + std::to_string(both.right - both.left) +
                         " x " + std::to_string(both.bottom - both.top));
      }
    }
  }
}

// Checks that each visible element of `container` shows its text in full,
// and gives what each shows: for labels, check boxes and option buttons the
// box of the text (their rectangles reach beyond it, and the layout lets
// neighbouring rectangles touch), for the rest the whole rectangle.
std::vector<Shown> CheckElements(HWND container, std::vector<std::string>& faults) {
  std::vector<Shown> shown;
  for (HWND c : ocural_test::ChildrenOf(container)) {
    // Shown with the dialog (which need not be on the screen for this).
    if (!(GetWindowLongW(c, GWL_STYLE) & WS_VISIBLE)) continue;
    const std::wstring cls = ClassOf(c), text = ocural_test::TextOf(c);
    const std::string name = Utf8(cls + L" \"" + text + L"\"");
    const RECT at = ocural_test::PlaceOf(c);
    RECT client{};
    GetClientRect(c, &client);
    const TextMeasure m(c);
    auto fault = [&](const std::string& what, const SIZE& need) {
      faults.push_back(name + ": " + what + " needs " + std::to_string(need.cx) + " x " + std::to_string(need.cy) +
                       " pixels, has " + std::to_string(client.right) + " x " + std::to_string(client.bottom));
    };
    const LONG type = lstrcmpiW(cls.c_str(), L"Button") == 0 ? GetWindowLongW(c, GWL_STYLE) & BS_TYPEMASK : -1;
    if (type == BS_PUSHBUTTON || type == BS_DEFPUSHBUTTON) {
      // Inside the raised edge.
      const SIZE t = m.Line(text);
      const int edges = 2 * GetSystemMetrics(SM_CXEDGE);
      if (t.cx > client.right - edges || t.cy > client.bottom - edges) fault("the caption", t);
      shown.push_back({name, at});
    } else if (type == BS_AUTOCHECKBOX || type == BS_AUTORADIOBUTTON) {
      // The system draws the box, 12 pixels and one at 96 DPI, and half a
      // digit's space before the text.
      const int box = 12 * Dpi() / 96 + 1;
      const SIZE t = m.Line(text);
      const SIZE need{box + m.DigitWidth() / 2 + t.cx, std::max<LONG>(box, t.cy)};
      if (need.cx > client.right || need.cy > client.bottom) fault("the box and its text", need);
      const LONG top = at.top + (client.bottom - need.cy) / 2;
      shown.push_back({name, RECT{at.left, top, at.left + std::min(need.cx, client.right), top + need.cy}});
    } else if (cls == L"OcuralLabel") {
      if (text.empty()) continue;
      // What carries ink must show: a label lower than its line draws the
      // text up to its internal leading higher, into the space above the
      // letters.
      const TEXTMETRICW& tm = m.Metrics();
      const LONG lift = std::min(std::max<LONG>(tm.tmHeight - client.bottom, 0), tm.tmInternalLeading);
      RECT ink = m.Ink(text, client.right);
      OffsetRect(&ink, 0, -lift);
      if (ink.left < 0 || ink.top < 0 || ink.right > client.right || ink.bottom > client.bottom) {
        fault("the inked text", SIZE{ink.right, ink.bottom});
      }
      OffsetRect(&ink, at.left, at.top);
      shown.push_back({name, ink});
    } else if (cls == L"OcuralFrame") {
      // The caption sits on the top edge, 8 pixels in, on a gap 2 pixels
      // wider each side; what is inside stays below and beside it.
      const SIZE t = m.Line(text, true);
      if (8 + t.cx + 2 > client.right) fault("the caption", SIZE{8 + t.cx + 2, t.cy});
      shown.push_back({name, at});
      std::vector<Shown> inner = CheckElements(c, faults);
      inner.push_back({name + " caption", RECT{6, 0, 6 + t.cx + 4, t.cy}});
      CheckPlaces(inner, client, name, faults);
    } else if (lstrcmpiW(cls.c_str(), L"ListBox") == 0) {
      const int n = static_cast<int>(SendMessageW(c, LB_GETCOUNT, 0, 0));
      for (int i = 0; i < n; ++i) {
        wchar_t item[MAX_PATH] = {};
        SendMessageW(c, LB_GETTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(item));
        const SIZE t = m.Line(item, true);
        if (t.cx > client.right) fault("the entry " + Utf8(item), t);
      }
      shown.push_back({name, at});
    } else {
      shown.push_back({name, at});
    }
  }
  return shown;
}

// "" when every element of the dialog shows in full, inside it and clear of
// the others; otherwise one line for each fault.
std::string LayoutFaults(HWND dialog) {
  std::vector<std::string> faults;
  RECT client{};
  GetClientRect(dialog, &client);
  CheckPlaces(CheckElements(dialog, faults), client, "the dialog", faults);
  std::string all;
  for (const std::string& f : faults) all += f + "\n";
  return all;
}

std::wstring ExeFolder() {
  wchar_t path[MAX_PATH] = {};
  GetModuleFileNameW(nullptr, path, MAX_PATH);
  std::wstring p(path);
  return p.substr(0, p.find_last_of(L'\\'));
}

// The three dialogs, with the size of their client areas in twips. The skin
// chooser shows the bundled round skin, with the longest texts.
struct DialogCase {
  const char* name;
  double widthTwips, heightTwips;
  std::function<std::unique_ptr<forms::DialogForm>()> load;
};

const std::vector<DialogCase>& DialogCases() {
  static const std::vector<DialogCase> cases = {
      {"settings", 4935, 2775,
       [] {
         auto f = std::make_unique<FrmSetting>();
         f->Load();
         return std::unique_ptr<forms::DialogForm>(std::move(f));
       }},
      {"skin chooser", 7920, 3000,
       [] {
         auto f = std::make_unique<FrmChangeSkin>();
         f->Load(ExeFolder(), L"round.vsk");
         return std::unique_ptr<forms::DialogForm>(std::move(f));
       }},
      {"version", 6360, 1425,
       [] {
         auto f = std::make_unique<FrmVerinfo>();
         f->Load();
         return std::unique_ptr<forms::DialogForm>(std::move(f));
       }},
  };
  return cases;
}

TEST(DialogLayoutWin, EveryElementShowsItsWholeTextInsideTheDialogAndClearOfTheOthers) {
  for (const DialogCase& c : DialogCases()) {
    ocural_test::DropQuitRequest();
    const std::unique_ptr<forms::DialogForm> dialog = c.load();
    ASSERT_TRUE(dialog->IsLoaded()) << c.name;
    EXPECT_EQ(LayoutFaults(dialog->hWnd()), "") << c.name << " at " << Dpi() << " DPI";
    dialog->Unload();
  }
  ocural_test::DropQuitRequest();
}

// Every element of a dialog, its frames' included: its place, and the
// height of its font where it has one.
struct Look {
  std::map<HWND, RECT> places;
  std::map<HWND, LONG> fontHeights;
};

BOOL CALLBACK NoteElement(HWND element, LPARAM lp) {
  Look& look = *reinterpret_cast<Look*>(lp);
  look.places[element] = ocural_test::PlaceOf(element);
  LOGFONTW lf{};
  const auto font = reinterpret_cast<HFONT>(SendMessageW(element, WM_GETFONT, 0, 0));
  if (font && GetObjectW(font, sizeof(lf), &lf)) look.fontHeights[element] = lf.lfHeight;
  return TRUE;
}

Look LookOf(HWND dialog) {
  Look look;
  EnumChildWindows(dialog, &NoteElement, reinterpret_cast<LPARAM>(&look));
  return look;
}

LONG Scaled(double pixelsAt96, int dpi) { return static_cast<LONG>(std::nearbyint(pixelsAt96 * dpi / 96)); }

// A live dialog that the system moves to a monitor of another DPI lays
// itself out at that DPI in the rectangle the system suggests. At 96 DPI
// every twips value of the layouts is a whole pixel, so the layout at
// another DPI is that one scaled; back at the DPI it was made at, it is the
// layout it was made with.
TEST(DialogLayoutWin, OnADpiChangeEveryPlaceAndFontFollowsInTheSuggestedRectangle) {
  for (const DialogCase& c : DialogCases()) {
    ocural_test::DropQuitRequest();
    const std::unique_ptr<forms::DialogForm> dialog = c.load();
    ASSERT_TRUE(dialog->IsLoaded()) << c.name;
    const HWND h = dialog->hWnd();
    const int made = dialog->Dpi();
    EXPECT_EQ(made, Dpi()) << c.name << ": one monitor, at the system DPI";
    const Look madeLook = LookOf(h);
    Look at96;
    for (int dpi : {96, 144, 192, made}) {
      const std::string what = std::string(c.name) + " at " + std::to_string(dpi) + " DPI";
      const LONG w = Scaled(c.widthTwips / 15, dpi), ht = Scaled(c.heightTwips / 15, dpi);
      RECT suggested{0, 0, w, ht}, before{};
      AdjustWindowRectEx(&suggested, GetWindowLongW(h, GWL_STYLE), FALSE, GetWindowLongW(h, GWL_EXSTYLE));
      GetWindowRect(h, &before);
      OffsetRect(&suggested, before.left + 7 - suggested.left, before.top + 5 - suggested.top);
      SendMessageW(h, WM_DPICHANGED, MAKEWPARAM(dpi, dpi), reinterpret_cast<LPARAM>(&suggested));
      EXPECT_EQ(dialog->Dpi(), dpi) << what;
      RECT now{}, client{};
      GetWindowRect(h, &now);
      GetClientRect(h, &client);
      EXPECT_TRUE(ocural_test::SameRect(now, suggested)) << what << ": " << ocural_test::Describe(now);
      EXPECT_EQ(client.right, w) << what;
      EXPECT_EQ(client.bottom, ht) << what;
      const Look look = LookOf(h);
      if (dpi == 96) at96 = look;
      const Look& want = dpi == made ? madeLook : at96;
      ASSERT_EQ(look.places.size(), want.places.size()) << what;
      for (const auto& [element, r] : want.places) {
        const std::string name = what + ", " + Utf8(ClassOf(element) + L" \"" + ocural_test::TextOf(element) + L"\"");
        const RECT expected = dpi == made ? r
                                          : RECT{Scaled(r.left, dpi), Scaled(r.top, dpi),
                                                 Scaled(r.left, dpi) + Scaled(r.right - r.left, dpi),
                                                 Scaled(r.top, dpi) + Scaled(r.bottom - r.top, dpi)};
        EXPECT_TRUE(ocural_test::SameRect(look.places.at(element), expected))
            << name << ": " << ocural_test::Describe(look.places.at(element)) << ", want "
            << ocural_test::Describe(expected);
        if (want.fontHeights.count(element) == 0) continue;
        const LONG font = dpi == made ? want.fontHeights.at(element) : -Scaled(-want.fontHeights.at(element), dpi);
        EXPECT_EQ(look.fontHeights.count(element) ? look.fontHeights.at(element) : 0, font) << name << ": font";
      }
    }
    dialog->Unload();
  }
  ocural_test::DropQuitRequest();
}

}  // namespace
}  // namespace ocural
