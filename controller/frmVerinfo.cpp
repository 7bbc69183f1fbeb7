#include "controller/frmVerinfo.h"

#include <shellapi.h>

#include "controller/core/version_text.h"
#include "resources/resource.h"

namespace ocural {
namespace {

constexpr COLORREF kLinkColour = 0xFF0000;     // blue, 0x00BBGGRR
constexpr COLORREF kPressedColour = 0x0000FF;  // red

// ＭＳ Ｐゴシック where the system has it; a proportional Japanese face
// of the same kind otherwise.
const std::vector<std::wstring>& LabelFaces() {
  static const std::vector<std::wstring> faces = {L"ＭＳ Ｐゴシック", L"MS PGothic", L"IPAPGothic", L"IPAGothic"};
  return faces;
}

}  // namespace

const wchar_t kVerinfoTitleLine[] = L"ぴこら～ Skinnable Magnifying Glass";
const wchar_t kVerinfoAuthorLine[] = L"by the Ocural project";
// Placeholders under the reserved top-level domain "invalid": the project
// has no public mail or web address of its own yet.
const wchar_t kMakerMailAddress[] = L"mailto:dev@ocural.invalid";
const wchar_t kMakerWebAddress[] = L"https://ocural.invalid/";

void OpenWithShell(const std::wstring& address) {
  wchar_t folder[MAX_PATH + 1] = {};
  const DWORD n = GetCurrentDirectoryW(MAX_PATH + 1, folder);
  if (n == 0 || n > MAX_PATH) folder[0] = L'\0';
  ShellExecuteW(nullptr, L"open", address.c_str(), L"", folder, SW_SHOWNORMAL);
}

void FrmVerinfo::Load() {
  if (IsLoaded()) return;
  if (!CreateDialogForm(L"バージョン情報", 6360, 1425)) return;
  const HFONT font = Font();
  forms::FontChoice title;
  title.faces = LabelFaces();
  title.points = 14.25;
  title.bold = true;
  title.italic = true;
  const HFONT titleFont = DialogFont(title);
  forms::FontChoice link;
  link.faces = LabelFaces();
  link.points = 9;
  link.underline = true;
  const HFONT linkFont = DialogFont(link);

  if (Image1.Create(hwnd_, Lay(Image1, 120, 120, 480, 480))) ShowIcon();
  // In tab order.
  Label1.Create(hwnd_, kVerinfoTitleLine, Lay(Label1, 720, 180, 5535, 375), titleFont, false);
  lblVer.Create(hwnd_, L"Version 0.00.0000", Lay(lblVer, 3360, 480, 2775, 255), font, false);
  Label2.Create(hwnd_, kVerinfoAuthorLine, Lay(Label2, 2040, 720, 4095, 255), font, false);
  AddButton(cmdOK, L"OK", Lay(cmdOK, 4920, 960, 1335, 375));
  lblURL[0].Create(hwnd_, kMakerMailAddress, Lay(lblURL[0], 120, 1080, 2205, 180), linkFont, false);
  lblURL[1].Create(hwnd_, kMakerWebAddress, Lay(lblURL[1], 2520, 1080, 2085, 180), linkFont, false);
  Adopt({&Image1, &Label1, &lblVer, &Label2, &lblURL[0], &lblURL[1]});
  SetDefaultButton(&cmdOK);
  SetCancelButton(&cmdOK);
  cmdOK.Click = [this] { cmdOK_Click(); };

  HCURSOR hand = LoadCursorW(forms::App::Instance(), MAKEINTRESOURCEW(IDC_POINTHAND));
  if (!hand) hand = LoadCursorW(nullptr, IDC_HAND);
  for (int16_t i = 0; i < 2; ++i) {
    forms::Label& link = lblURL[i];
    link.SetForeColor(kLinkColour);
    link.SetMouseIcon(hand);
    link.SetMousePointer(forms::kCustomPointer);
    link.MouseDown = [this, i](const forms::MouseEvent& e) { lblURL_MouseDown(i, e.Button, e.Shift, e.X, e.Y); };
    link.MouseUp = [this, i](const forms::MouseEvent& e) { lblURL_MouseUp(i, e.Button, e.Shift, e.X, e.Y); };
  }
  Form_Load();
}

// The program's icon at the image's size.
void FrmVerinfo::ShowIcon() {
  const forms::PixelRect image = Image1.Bounds();
  HICON icon = static_cast<HICON>(LoadImageW(forms::App::Instance(), MAKEINTRESOURCEW(IDI_OCURAL), IMAGE_ICON,
                                             image.width, image.height, LR_DEFAULTCOLOR));
  if (icon) {
    Image1.SetPicture(icon, true);
  } else {
    Image1.SetPicture(LoadIconW(nullptr, IDI_APPLICATION), false);
  }
}

void FrmVerinfo::Form_DpiChanged() { ShowIcon(); }

void FrmVerinfo::Form_Load() {
  lblVer.SetCaption(VersionText(forms::App::Major(), forms::App::Minor(), forms::App::Revision()));
  // Above every window, also a magnifier that stays on top.
  MakeTopmost();
}

void FrmVerinfo::cmdOK_Click() { Unload(); }

void FrmVerinfo::lblURL_MouseDown(int16_t Index, int /*Button*/, int /*Shift*/, float /*X*/, float /*Y*/) {
  lblURL[Index].SetForeColor(kPressedColour);
}

void FrmVerinfo::lblURL_MouseUp(int16_t Index, int /*Button*/, int /*Shift*/, float /*X*/, float /*Y*/) {
  lblURL[Index].SetForeColor(kLinkColour);
  const std::wstring address = lblURL[Index].Caption();
  if (ShellOpen) ShellOpen(address);
}

void ShowVersionDialog(HWND owner) {
  FrmVerinfo frmVerinfo;
  frmVerinfo.Load();
  frmVerinfo.ShowModal(owner);
  // It unloads itself; a dialog only hidden goes here.
  frmVerinfo.Unload();
}


}  // namespace ocural
