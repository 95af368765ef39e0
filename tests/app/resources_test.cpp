// The resource script as the running system sees it: each dialog opened for real and its
// controls read back in tab order.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

#include "tests/support/test_support.h"
#include "framework/dialog.h"
#include "ids/resource.h"

namespace {

constexpr int kStatic = 0xFFFF;  // id -1 as a dialog template stores it

using testing_support::From932;
std::wstring Held(HWND window) { return testing_support::WindowTextW(window); }

// The style word at the start of a dialog template resource.
DWORD TemplateStyle(int id) {
    HINSTANCE self = ::GetModuleHandleA(nullptr);
    HRSRC res = ::FindResourceA(self, MAKEINTRESOURCEA(id), MAKEINTRESOURCEA(5));
    if (!res) {
        return 0;
    }
    return static_cast<const DLGTEMPLATE*>(::LockResource(::LoadResource(self, res)))->style;
}

struct Control {
    int id;
    std::string cls;
    std::string text;
    RECT units;           // x, y, width, height in dialog units
    DWORD styleMask = 0;  // these style bits must equal styleBits
    DWORD styleBits = 0;
};

struct Template {
    int id;
    std::string caption;
    int pointSize;
    int width, height;
    bool sysMenu;
    bool look3d;
    std::vector<Control> controls;
};

// Reads a dialog as it opens and closes it again.
class Probe : public framework::Dialog {
public:
    explicit Probe(const Template& t) : Dialog(t.id), t_(t) {}

protected:
    bool OnInitDialog() override {
        Check();
        EndDialog(IDOK);
        return true;
    }

private:
    // The dialog manager converts position and size separately, so round them separately.
    RECT Pixels(int x, int y, int w, int h) const {
        RECT r{x, y, w, h};
        ::MapDialogRect(Handle(), &r);
        return RECT{r.left, r.top, r.left + r.right, r.top + r.bottom};
    }
    void Check() const {
        EXPECT_EQ(GetCaption(), From932(t_.caption));
        // The system adds styles of its own at run time; the template holds ours.
        const DWORD wantStyle = DS_MODALFRAME | DS_CENTER | DS_SETFONT | WS_POPUP | WS_CAPTION |
                                (t_.look3d ? DS_3DLOOK : 0);
        EXPECT_EQ(TemplateStyle(t_.id), wantStyle) << std::hex << TemplateStyle(t_.id);
        RECT client{};
        ::GetClientRect(Handle(), &client);
        RECT want = Pixels(0, 0, t_.width, t_.height);
        EXPECT_EQ(client.right, want.right);
        EXPECT_EQ(client.bottom, want.bottom);
        CheckFont();
        CheckControls();
    }
    std::wstring GetCaption() const { return Held(Handle()); }
    void CheckFont() const {
        LOGFONTW font{};
        auto hfont = reinterpret_cast<HFONT>(::SendMessageW(Handle(), WM_GETFONT, 0, 0));
        ASSERT_TRUE(::GetObjectW(hfont, sizeof(font), &font));
        EXPECT_EQ(std::wstring(font.lfFaceName), From932("ＭＳ Ｐゴシック"));
        HDC dc = ::GetDC(Handle());
        EXPECT_EQ(font.lfHeight, -::MulDiv(t_.pointSize, ::GetDeviceCaps(dc, LOGPIXELSY), 72));
        ::ReleaseDC(Handle(), dc);
    }
    void CheckControls() const {
        HWND child = ::GetWindow(Handle(), GW_CHILD);
        for (const Control& c : t_.controls) {
            ASSERT_NE(child, nullptr) << "missing control " << c.id;
            SCOPED_TRACE("control " + std::to_string(c.id) + " " + c.text);
            EXPECT_EQ(::GetDlgCtrlID(child), c.id);
            char cls[32] = {};
            ::GetClassNameA(child, cls, sizeof(cls));
            EXPECT_STRCASEEQ(cls, c.cls.c_str());
            EXPECT_EQ(Held(child), From932(c.text));
            RECT r{};
            ::GetWindowRect(child, &r);
            ::MapWindowPoints(nullptr, Handle(), reinterpret_cast<POINT*>(&r), 2);
            RECT want = Pixels(c.units.left, c.units.top, c.units.right, c.units.bottom);
            // A list box trims its height to whole lines.
            if (c.cls == "ListBox" && r.bottom <= want.bottom && r.bottom > want.top) {
                want.bottom = r.bottom;
            }
            EXPECT_TRUE(::EqualRect(&r, &want))
                << r.left << "," << r.top << "-" << r.right << "," << r.bottom;
            DWORD style = static_cast<DWORD>(::GetWindowLongA(child, GWL_STYLE));
            // In a dialog a border is drawn sunken: WS_BORDER becomes the client edge.
            if (::GetWindowLongA(child, GWL_EXSTYLE) & WS_EX_CLIENTEDGE) {
                style |= WS_BORDER;
            }
            EXPECT_EQ(style & c.styleMask, c.styleBits) << std::hex << style;
            child = ::GetWindow(child, GW_HWNDNEXT);
        }
        EXPECT_EQ(child, nullptr) << "more controls than expected";
    }

    const Template& t_;
};

constexpr DWORD kButtonType = 0xF;
constexpr DWORD kList = LBS_SORT | LBS_NOTIFY | LBS_DISABLENOSCROLL | WS_VSCROLL | WS_BORDER;
constexpr DWORD kNotes = ES_MULTILINE | ES_READONLY | WS_VSCROLL | WS_BORDER;
// The picture frame: child, visible, black frame, nothing else.
const Control Picture(int x, int y) {
    return {IDC_PICTURE, "Static", "", {x, y, 20, 20}, 0xFFFFFFFF, 0x50000007};
}

const std::vector<Template>& Templates() {
    static const std::vector<Template> all = {
        {IDD_START_PAGE,
         "マスタ調整機能付",
         11,
         215,
         129,
         false,
         true,
         {{IDOK, "Button", "開始", {158, 108, 50, 14}, kButtonType, BS_DEFPUSHBUTTON},
          {IDCANCEL, "Button", "取消", {7, 108, 50, 14}, kButtonType, BS_PUSHBUTTON},
          {IDC_NOTES, "Edit", "", {7, 36, 201, 64}, kNotes, kNotes},
          {kStatic,
           "Static",
           "ｲﾝｽﾄｰﾙを開始します。\n下記の注意項目を確認して下さい。",
           {50, 10, 121, 19}},
          Picture(12, 7)}},
        {IDD_DESTINATION_PAGE,
         "アップデート",
         11,
         215,
         174,
         false,
         false,
         {{IDOK, "Button", "次へ", {158, 153, 50, 14}, kButtonType, BS_DEFPUSHBUTTON},
          {IDC_DRIVE_LIST, "ListBox", "", {7, 61, 38, 80}, kList, kList},
          {kStatic, "Static", "ｲﾝｽﾄｰﾙ先\n      ﾄﾞﾗｲﾌﾞ", {7, 41, 38, 17}, SS_SUNKEN, SS_SUNKEN},
          {kStatic,
           "Static",
           "ｲﾝｽﾄｰﾙ先ﾌｫﾙﾀﾞ",
           {52, 41, 156, 17},
           SS_TYPEMASK | SS_CENTERIMAGE | SS_SUNKEN,
           SS_CENTER | SS_CENTERIMAGE | SS_SUNKEN},
          {IDC_FOLDER_LIST, "ListBox", "", {52, 77, 156, 64}, kList, kList},
          {IDC_RESTORE,
           "Button",
           "更新前に戻す",
           {106, 157, 102, 10},
           kButtonType | WS_VISIBLE | WS_DISABLED,
           BS_AUTOCHECKBOX | WS_DISABLED},
          {IDC_PATH,
           "Edit",
           "",
           {52, 61, 156, 14},
           ES_AUTOHSCROLL | ES_MULTILINE | WS_BORDER,
           ES_AUTOHSCROLL | WS_BORDER},
          {IDC_BACK, "Button", "戻る", {7, 153, 50, 14}, kButtonType, BS_PUSHBUTTON},
          {IDC_NOTES, "Edit", "", {40, 7, 168, 31}, kNotes, kNotes},
          Picture(12, 11)}},
        {IDD_CONFIRM_PAGE,
         "アップデート",
         11,
         197,
         70,
         false,
         true,
         {{IDOK, "Button", "更新", {140, 49, 50, 14}, kButtonType, BS_DEFPUSHBUTTON},
          {IDCANCEL, "Button", "戻る", {55, 49, 50, 14}, kButtonType, BS_PUSHBUTTON},
          {kStatic, "Static", "更新先：", {7, 32, 25, 8}},
          {IDC_NOTES,
           "Static",
           "",
           {41, 30, 149, 11},
           SS_NOPREFIX | SS_CENTERIMAGE | SS_SUNKEN,
           SS_NOPREFIX | SS_CENTERIMAGE | SS_SUNKEN},
          Picture(13, 3)}},
    };
    return all;
}

TEST(Resources, PagesAreExactlyAsDesigned) {
    for (const Template& t : Templates()) {
        SCOPED_TRACE("dialog " + std::to_string(t.id));
        Probe probe(t);
        EXPECT_EQ(probe.DoModal(), IDOK);
    }
}

// The about box's controls are ours to choose; its frame is fixed.
class AboutProbe : public framework::Dialog {
public:
    AboutProbe() : Dialog(IDD_ABOUTBOX) {}
    std::wstring caption;
    RECT client{}, want{0, 0, 217, 55};

protected:
    bool OnInitDialog() override {
        caption = Held(Handle());
        ::GetClientRect(Handle(), &client);
        ::MapDialogRect(Handle(), &want);
        EndDialog(IDOK);
        return true;
    }
};

TEST(Resources, AboutBox) {
    AboutProbe about;
    ASSERT_EQ(about.DoModal(), IDOK);
    EXPECT_EQ(about.caption, From932("ﾊﾞｰｼﾞｮﾝ情報(Renovo)"));
    EXPECT_EQ(TemplateStyle(IDD_ABOUTBOX),
              DWORD{DS_MODALFRAME | DS_SETFONT | WS_POPUP | WS_CAPTION | WS_SYSMENU});
    EXPECT_TRUE(::EqualRect(&about.client, &about.want));
}

std::string LoadText(int id) {
    char buffer[256] = {};
    ::LoadStringA(::GetModuleHandleA(nullptr), id, buffer, sizeof(buffer));
    return buffer;
}

TEST(Resources, Strings) {
    EXPECT_EQ(LoadText(IDR_MAINFRAME), "Renovo\n\nRenovo\n\n\nRenovo.Document\nRenovo Document");
    EXPECT_EQ(LoadText(IDS_APP_TITLE), "Renovo");
}

TEST(Resources, AcceleratorTable) {
    HACCEL table = ::LoadAcceleratorsA(::GetModuleHandleA(nullptr), MAKEINTRESOURCEA(128));
    ASSERT_NE(table, nullptr);
    ACCEL got[32];
    int n = ::CopyAcceleratorTableA(table, got, 32);
    const BYTE v = FVIRTKEY, c = FVIRTKEY | FCONTROL, s = FVIRTKEY | FSHIFT, a = FVIRTKEY | FALT;
    const std::vector<ACCEL> want = {
        {c, 'O', ID_FILE_OPEN},       {c, 'S', ID_FILE_SAVE},
        {c, 'Z', ID_EDIT_UNDO},       {c, 'X', ID_EDIT_CUT},         {c, 'C', ID_EDIT_COPY},
        {c, 'V', ID_EDIT_PASTE},      {a, VK_BACK, ID_EDIT_UNDO},    {s, VK_DELETE, ID_EDIT_CUT},
        {c, VK_INSERT, ID_EDIT_COPY}, {s, VK_INSERT, ID_EDIT_PASTE}, {v, VK_F6, ID_NEXT_PANE},
        {s, VK_F6, ID_PREV_PANE}};
    ASSERT_EQ(n, static_cast<int>(want.size()));
    for (int i = 0; i < n; ++i) {
        EXPECT_EQ(got[i].fVirt & ~0x80, want[i].fVirt) << i;  // 0x80 marks the last entry
        EXPECT_EQ(got[i].key, want[i].key) << i;
        EXPECT_EQ(got[i].cmd, want[i].cmd) << i;
    }
    EXPECT_TRUE(std::none_of(got, got + n, [](const ACCEL& e) { return e.cmd == ID_APP_ABOUT; }));
}

TEST(Resources, IconMenuAndManifest) {
    HINSTANCE self = ::GetModuleHandleA(nullptr);
    for (int size : {32, 16}) {
        HANDLE icon =
            ::LoadImageA(self, MAKEINTRESOURCEA(IDR_MAINFRAME), IMAGE_ICON, size, size, 0);
        EXPECT_NE(icon, nullptr) << size;
        ::DestroyIcon(static_cast<HICON>(icon));
    }
    HMENU menu = ::LoadMenuA(self, MAKEINTRESOURCEA(IDR_MAINFRAME));
    EXPECT_NE(menu, nullptr);
    ::DestroyMenu(menu);

    HRSRC res = ::FindResourceA(self, MAKEINTRESOURCEA(1), MAKEINTRESOURCEA(24));
    ASSERT_NE(res, nullptr);
    std::string manifest(static_cast<const char*>(::LockResource(::LoadResource(self, res))),
                         ::SizeofResource(self, res));
    const std::string arch = sizeof(void*) == 8 ? "amd64" : "x86";
    EXPECT_NE(manifest.find("name=\"Renovo.exe\" version=\"" RENOVO_VERSION
                            "\" processorArchitecture=\"" +
                            arch + "\""),
              std::string::npos);
    EXPECT_NE(manifest.find("name=\"Microsoft.Windows.Common-Controls\" version=\"6.0.0.0\""),
              std::string::npos);
    // Elevated for an administrator, never virtualized; the newest Windows; laid out at the DPI.
    EXPECT_NE(
        manifest.find("<requestedExecutionLevel level=\"highestAvailable\" uiAccess=\"false\"/>"),
        std::string::npos);
    EXPECT_NE(manifest.find("<supportedOS Id=\"{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}\"/>"),
              std::string::npos);
    EXPECT_NE(manifest.find(">true</dpiAware>"), std::string::npos);
}

TEST(Resources, VersionBlock) {
    char path[MAX_PATH] = {};
    ::GetModuleFileNameA(nullptr, path, MAX_PATH);
    DWORD handle = 0;
    std::vector<char> block(::GetFileVersionInfoSizeA(path, &handle));
    ASSERT_FALSE(block.empty());
    ASSERT_TRUE(::GetFileVersionInfoA(path, 0, static_cast<DWORD>(block.size()), block.data()));
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT len = 0;
    ASSERT_TRUE(::VerQueryValueA(block.data(), "\\", reinterpret_cast<void**>(&fixed), &len));
    // The build's version, in the numbers and in the texts.
    unsigned v[4] = {};
    ASSERT_EQ(std::sscanf(RENOVO_VERSION, "%u.%u.%u.%u", &v[0], &v[1], &v[2], &v[3]), 4);
    EXPECT_EQ(fixed->dwFileVersionMS, v[0] << 16 | v[1]);
    EXPECT_EQ(fixed->dwFileVersionLS, v[2] << 16 | v[3]);
    EXPECT_EQ(fixed->dwProductVersionMS, v[0] << 16 | v[1]);
    EXPECT_EQ(fixed->dwProductVersionLS, v[2] << 16 | v[3]);
    const auto text = [&](const char* name) {
        char* value = nullptr;
        const std::string path = std::string("\\StringFileInfo\\041104b0\\") + name;
        return ::VerQueryValueA(block.data(), path.c_str(), reinterpret_cast<void**>(&value), &len)
                   ? std::string(value)
                   : std::string("(none)");
    };
    EXPECT_EQ(text("FileVersion"), RENOVO_VERSION);
    EXPECT_EQ(text("ProductVersion"), RENOVO_VERSION);
    // What the program is, as Explorer and the administrator's consent prompt show it.
    EXPECT_EQ(text("FileDescription"), "Renovo ｱｯﾌﾟﾃﾞｰﾄ ｲﾝｽﾄｰﾗ");
    EXPECT_EQ(text("ProductName"), "Renovo");
}

}  // namespace
