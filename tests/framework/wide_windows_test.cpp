// The framework's windows, dialogs, lists and directory changes at the Windows edge: texts cross
// in UTF-16, converted with cp932, so that what Windows holds is the cp932 text's own characters
// on any system code page (these suites also run at 1252 and 65001). Read back here through the
// W calls, never through the system's code page.
#include <gtest/gtest.h>

#include <windows.h>

#include <functional>
#include <optional>
#include <string>

#include "framework/dialog.h"
#include "framework/directory.h"
#include "framework/list_box.h"
#include "framework/wide.h"
#include "framework/window.h"
#include "ids/resource.h"
#include "tests/support/test_support.h"

namespace {

struct TextCase {
    const char* cp932;
    const wchar_t* utf16;  // what Windows must hold
};

const TextCase kTexts[] = {
    {"", L""},
    {"Renovo", L"Renovo"},
    {"アップデート", L"\u30A2\u30C3\u30D7\u30C7\u30FC\u30C8"},
    {"ｲﾝｽﾄｰﾙ先ﾌｫﾙﾀﾞ", L"\uFF72\uFF9D\uFF7D\uFF84\uFF70\uFF99\u5148\uFF8C\uFF6B\uFF99\uFF80\uFF9E"},
    {"C:\\表\\ソフト\\", L"C:\\\u8868\\\u30BD\u30D5\u30C8\\"},  // trail bytes 0x5C
    {"\x87\x40 \xFA\x40", L"\u2460 \u2170"},                        // NEC and IBM extensions
};

HINSTANCE Self() {
    return ::GetModuleHandleW(nullptr);
}

std::wstring Held(HWND hwnd) {
    return framework::WindowText(hwnd);
}

class Plain : public framework::Window {};

TEST(WideWindow, TitleAndTextCrossAsTheirCharacters) {
    ASSERT_EQ(::GetACP(), testing_support::NamedCodePage());
    ASSERT_TRUE(framework::Window::RegisterClass(Self(), "RenovoWideTest", nullptr, nullptr));
    for (const TextCase& c : kTexts) {
        Plain window;
        ASSERT_TRUE(window.Create(Self(), "RenovoWideTest", c.cp932, WS_POPUP, nullptr, nullptr));
        EXPECT_EQ(Held(window.Handle()), c.utf16) << c.cp932;
        EXPECT_TRUE(::IsWindowUnicode(window.Handle()));
        window.SetText(std::string("x") + c.cp932);
        EXPECT_EQ(Held(window.Handle()), std::wstring(L"x") + c.utf16) << c.cp932;
        EXPECT_EQ(window.GetText(), std::optional<std::string>(std::string("x") + c.cp932));
    }
}

TEST(WideWindow, TextCp932CannotCarryReadsAsNothing) {
    ASSERT_EQ(::GetACP(), testing_support::NamedCodePage());
    ASSERT_TRUE(framework::Window::RegisterClass(Self(), "RenovoWideTest", nullptr, nullptr));
    Plain window;
    ASSERT_TRUE(window.Create(Self(), "RenovoWideTest", "", WS_POPUP, nullptr, nullptr));
    ::SetWindowTextW(window.Handle(), L"C:\\\u0915");
    EXPECT_EQ(window.GetText(), std::nullopt);
}

// A dialog from the real templates; `script` runs once it has initialised.
class Scripted : public framework::Dialog {
public:
    explicit Scripted(std::function<void(Scripted&)> script)
        : Dialog(IDD_CONFIRM_PAGE), script_(std::move(script)) {}

protected:
    bool OnInitDialog() override {
        script_(*this);
        EndDialog(IDOK);
        return true;
    }

private:
    std::function<void(Scripted&)> script_;
};

TEST(WideDialog, ItemsAndCaptionCrossAsTheirCharacters) {
    ASSERT_EQ(::GetACP(), testing_support::NamedCodePage());
    for (const TextCase& c : kTexts) {
        std::wstring item, caption;
        std::optional<std::string> read;
        Scripted dialog([&](Scripted& d) {
            d.SetItemText(IDC_NOTES, c.cp932);
            d.SetCaption(c.cp932);
            item = Held(d.Item(IDC_NOTES));
            caption = Held(d.Handle());
            read = d.GetItemText(IDC_NOTES);
        });
        ASSERT_EQ(dialog.DoModal(), IDOK);
        EXPECT_EQ(item, c.utf16) << c.cp932;
        EXPECT_EQ(caption, c.utf16) << c.cp932;
        EXPECT_EQ(read, std::optional<std::string>(c.cp932));
    }
}

// What the user typed is read back exactly, or, when cp932 cannot carry it, as nothing (and
// shown with '?' for the message that names it).
TEST(WideDialog, TypedTextCp932CannotCarryIsNothing) {
    ASSERT_EQ(::GetACP(), testing_support::NamedCodePage());
    struct Case {
        const wchar_t* typed;
        std::optional<std::string> read;
        const char* shown;
    } cases[] = {
        {L"C:\\\u30C7\u30FC\u30BF", std::string("C:\\データ"), "C:\\データ"},
        {L"C:\\\u0915\u0916", std::nullopt, "C:\\??"},
        {L"C:\\caf\u00E9", std::nullopt, "C:\\caf?"},  // no best fit: "cafe" is another folder
    };
    for (const Case& c : cases) {
        std::optional<std::string> read;
        std::string shown;
        Scripted dialog([&](Scripted& d) {
            ::SetDlgItemTextW(d.Handle(), IDC_NOTES, c.typed);
            read = d.GetItemText(IDC_NOTES);
            shown = d.GetItemTextShown(IDC_NOTES);
        });
        ASSERT_EQ(dialog.DoModal(), IDOK);
        EXPECT_EQ(read, c.read) << c.shown;
        EXPECT_EQ(shown, c.shown);
    }
}

TEST(WideListBox, EntriesCrossAsTheirCharacters) {
    ASSERT_EQ(::GetACP(), testing_support::NamedCodePage());
    HWND hwnd = ::CreateWindowExW(0, L"LISTBOX", L"", 0, 0, 0, 100, 100, nullptr, nullptr,
                                  Self(), nullptr);
    ASSERT_NE(hwnd, nullptr);
    framework::ListBox list(hwnd);
    for (const TextCase& c : kTexts) {
        const int index = list.AddString(c.cp932);
        ASSERT_GE(index, 0);
        const LRESULT length = ::SendMessageW(hwnd, LB_GETTEXTLEN, WPARAM(index), 0);
        std::wstring held(static_cast<size_t>(length) + 1, L'\0');
        held.resize(static_cast<size_t>(
            ::SendMessageW(hwnd, LB_GETTEXT, WPARAM(index), LPARAM(held.data()))));
        EXPECT_EQ(held, c.utf16) << c.cp932;
        EXPECT_EQ(list.GetText(index), c.cp932);
    }
    ::SendMessageW(hwnd, LB_ADDSTRING, 0, LPARAM(L"\u0915"));
    EXPECT_EQ(list.GetText(static_cast<int>(std::size(kTexts))), "");
    ::DestroyWindow(hwnd);
}

std::wstring CurrentDirectoryW() {
    std::wstring dir(32768, L'\0');
    dir.resize(::GetCurrentDirectoryW(static_cast<DWORD>(dir.size()), dir.data()));
    return dir;
}

std::wstring DriveVariable() {
    std::wstring value(32768, L'\0');
    value.resize(::GetEnvironmentVariableW(L"=C:", value.data(), static_cast<DWORD>(value.size())));
    return value;
}

// Each test starts in a folder of its own on C: and ends where the program was.
class WideDirectories : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(::GetACP(), testing_support::NamedCodePage());
        saved_ = CurrentDirectoryW();
    }
    void TearDown() override { ::SetCurrentDirectoryW(saved_.c_str()); }
    testing_support::TempDir dir_;
    std::wstring saved_;
};

TEST_F(WideDirectories, JapaneseFoldersAreEnteredAndRecorded) {
    testing_support::MakeDir(dir_ / "データ");
    testing_support::MakeDir(dir_ / "データ\\表");
    ASSERT_TRUE(framework::ChangeDirectory(dir_ / "データ"));
    EXPECT_EQ(CurrentDirectoryW(), framework::Wide(dir_ / "データ"));
    ASSERT_TRUE(framework::ChangeDirectory("C:表"));
    EXPECT_EQ(DriveVariable(), framework::Wide(dir_ / "データ\\表"));
    EXPECT_EQ(framework::FullPath("単価.lzh"), dir_ / "データ\\表\\単価.lzh");
    EXPECT_EQ(framework::FullPath("..\\材料"), dir_ / "データ\\材料");
}

// A current directory cp932 cannot carry is still put back whole; a full form made from it
// cannot be named in cp932, so the path stays as it was given.
TEST_F(WideDirectories, AFolderCp932CannotCarryIsKeptInUtf16) {
    const std::wstring hindi = framework::Wide(dir_.path()) + L"\u0915";
    ASSERT_TRUE(::CreateDirectoryW(hindi.c_str(), nullptr));
    ASSERT_TRUE(::SetCurrentDirectoryW(hindi.c_str()));
    EXPECT_EQ(framework::FullPath("name.txt"), "name.txt");
    EXPECT_EQ(framework::FullPath(dir_ / "name.txt"), dir_ / "name.txt");
    {
        const framework::DriveDirectory kept('c');
        ASSERT_TRUE(framework::ChangeDirectory(dir_.path()));
        kept.Restore();
    }
    EXPECT_EQ(CurrentDirectoryW(), hindi);
    EXPECT_EQ(DriveVariable(), hindi);
}

}  // namespace
