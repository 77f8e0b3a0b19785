#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <array>
#include <string>

#include "platform/fake/FixedHost.h"
#include "support/FakeDrive.h"
#include "ui/DialogTemplate.h"
#include "win32/MainDialog.h"

// The real dialog, made from the linked resources and driven by its own messages; its clock,
// About box and close box are checked on the running program by scripts/test-windows.
namespace veltra {
namespace {

class NoLogger : public LoggerLocator {
  public:
    std::vector<std::string> collectMatchEntries() override { return {}; }
    std::optional<std::filesystem::path> rootOf(char) const override { return std::nullopt; }
};

class MainDialogTest : public ::testing::Test {
  protected:
    void SetUp() override { ASSERT_NE(window, nullptr); }
    void TearDown() override { ::DestroyWindow(window); }

    FixedHost host{{2024, 3, 1, 8, 30, 15}, 480};
    test::FakeDrive drive;
    NoLogger locator;
    MainDialog dialog{::GetModuleHandleW(nullptr), host, drive, locator};
    Win32Controls& controls = dialog.controls();
    PendingEvents& raised = dialog.session().state().pendingEvents;
    HWND window = dialog.create();
};

std::wstring widen(std::string_view text) {
    return std::wstring(text.begin(), text.end());
}

// The dialog made from the linked resources is the layout that every front end shares: its
// controls in template order, each of its class, with its style bits, text and place.
TEST_F(MainDialogTest, ResourcesMakeTheLayout) {
    const struct {
        const wchar_t* name;
        LONG mask, type, set, clear;
    } kinds[] = {
        // in ControlKind order; labels start a group and take no focus
        {L"Button", BS_TYPEMASK, BS_PUSHBUTTON, WS_TABSTOP, 0},
        {L"Button", BS_TYPEMASK, BS_AUTOCHECKBOX, WS_TABSTOP, 0},
        {L"Static", SS_TYPEMASK, SS_LEFT, WS_GROUP, WS_TABSTOP},
        {L"Edit", 0, 0, WS_TABSTOP | ES_AUTOHSCROLL, ES_MULTILINE},
        {L"ComboBox", 0x3, CBS_DROPDOWNLIST, WS_TABSTOP, CBS_SORT},
    };
    const DialogTemplate& layout = mainDialogTemplate();
    const auto place = [&](int x, int y, int width, int height) {
        RECT box{x, y, width, height};  // as the dialog manager: the size on its own
        ::MapDialogRect(window, &box);
        return std::array{box.left, box.top, box.left + box.right, box.top + box.bottom};
    };
    RECT client{};
    ::GetClientRect(window, &client);
    EXPECT_EQ(place(0, 0, layout.width, layout.height),
              (std::array{client.left, client.top, client.right, client.bottom}));
    const LONG frame = WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
    EXPECT_EQ(::GetWindowLongW(window, GWL_STYLE) & (frame | WS_MAXIMIZEBOX | WS_THICKFRAME),
              frame);
    LOGFONTW font{};
    ::GetObjectW(HFONT(::SendMessageW(window, WM_GETFONT, 0, 0)), sizeof font, &font);
    EXPECT_EQ(font.lfFaceName, widen(layout.font));
    HWND got = ::GetWindow(window, GW_CHILD);
    wchar_t text[256] = {};
    for (const ControlTemplate& want : layout.controls) {
        SCOPED_TRACE("control " + std::to_string(toInt(want.id)) + " " + std::string(want.text));
        ASSERT_NE(got, nullptr);
        const auto& kind = kinds[static_cast<int>(want.kind)];
        ::GetClassNameW(got, text, 256);
        EXPECT_EQ(::lstrcmpiW(text, kind.name), 0) << text;
        EXPECT_EQ(static_cast<short>(::GetDlgCtrlID(got)), toInt(want.id));
        const LONG style = ::GetWindowLongW(got, GWL_STYLE);
        EXPECT_EQ(style & (WS_CHILD | WS_VISIBLE), WS_CHILD | WS_VISIBLE);
        EXPECT_EQ(style & kind.mask, kind.type);
        EXPECT_EQ(style & (kind.set | kind.clear), kind.set);
        EXPECT_EQ((style & ES_READONLY) != 0, want.readOnly);
        if (want.kind < ControlKind::Label || want.id == ControlId::None) {  // not the program's
            ::GetWindowTextW(got, text, 256);
            EXPECT_EQ(text, widen(want.text));
        }
        RECT box{};
        ::GetWindowRect(got, &box);
        ::MapWindowPoints(HWND_DESKTOP, window, reinterpret_cast<POINT*>(&box), 2);
        auto wanted = place(want.x, want.y, want.width, want.height);
        if (want.kind == ControlKind::ComboBox) {  // its height in the layout includes the list
            wanted[3] = box.bottom;
            std::vector<std::string> entries;
            for (int i = 0; i < controls.entryCount(want.id); ++i) {
                entries.push_back(controls.entryText(want.id, i));
            }
            EXPECT_TRUE(std::ranges::equal(entries, listEntries(want.id)));
        }
        EXPECT_EQ((std::array{box.left, box.top, box.right, box.bottom}), wanted);
        got = ::GetWindow(got, GW_HWNDNEXT);
    }
    EXPECT_EQ(got, nullptr);

    // The system menu's entry for the About box; the program must ask for administrator rights.
    const HMENU menu = ::GetSystemMenu(window, FALSE);
    ::GetMenuStringW(menu, UINT(::GetMenuItemCount(menu) - 1), text, 256, MF_BYPOSITION);
    EXPECT_STREQ(text, L"Aboat Quillon");
    const HMODULE exe = ::LoadLibraryExA(VELTRA_EXE_PATH, nullptr, LOAD_LIBRARY_AS_DATAFILE);
    const HRSRC manifest = ::FindResourceW(exe, MAKEINTRESOURCEW(1), MAKEINTRESOURCEW(24));
    ASSERT_NE(manifest, nullptr);
    const std::string_view xml(
        static_cast<const char*>(::LockResource(::LoadResource(exe, manifest))),
        ::SizeofResource(exe, manifest));
    EXPECT_NE(xml.find("\"requireAdministrator\""), std::string::npos);
}

// A selection outside a list selects nothing; texts are code page bytes up to the first zero.
// Each watched notification raises its bit; others raise nothing, but have the next tick read
// the controls again. Text that the program sets notifies as the user's does.
TEST_F(MainDialogTest, ControlsHoldTheCoresValuesAndReportChanges) {
    for (const auto& [index, selected] : {std::pair{1, 1}, {3, -1}, {0, 0}, {-5, -1}}) {
        controls.select(ControlId::DateFormat, index);
        EXPECT_EQ(controls.selection(ControlId::DateFormat), selected) << index;
    }
    const std::string bytes = ::GetACP() == 1252 ? " ~Az\xE9\xFC\xB0" : " ~Az";
    controls.setText(ControlId::DeviceName, bytes);
    EXPECT_EQ(controls.text(ControlId::DeviceName), bytes);
    controls.setText(ControlId::DeviceName, std::string_view("cut\0here", 8));
    EXPECT_EQ(controls.text(ControlId::DeviceName), "cut");

    const auto send = [&](ControlId id, WORD code) {
        const auto changes = controls.changeCount();
        raised = 0;
        ::SendMessageW(window, WM_COMMAND, MAKEWPARAM(toInt(id), code),
                       LPARAM(::GetDlgItem(window, toInt(id))));
        EXPECT_EQ(controls.changeCount() != changes, code != EN_SETFOCUS) << toInt(id);
        return raised;
    };
    for (const WatchedNotification& watched : WatchedNotifications) {
        const WORD code = watched.what == Notification::TextChanged        ? EN_CHANGE
                          : watched.what == Notification::SelectionChanged ? CBN_SELCHANGE
                                                                           : BN_CLICKED;
        EXPECT_EQ(send(watched.control, code), watched.event) << toInt(watched.control);
    }
    EXPECT_EQ(send(ControlId::PdfLanguage, CBN_SELCHANGE), 0u);
    EXPECT_EQ(send(ControlId::SamplingInterval, EN_SETFOCUS), 0u);
    raised = 0;
    controls.setText(ControlId::SamplingInterval, "10");
    EXPECT_EQ(raised, IntervalEdited);
}

// Labels black, edit fields red, buttons green on blue, all over the background (hollow
// brush); the dialog and lists keep the platform's.
TEST_F(MainDialogTest, ControlColours) {
    const LONG_PTR any = -1;  // left as the platform sets it
    const std::array<LONG_PTR, 5> cases[] = {
        // message, text, background, mode, hollow brush
        {WM_CTLCOLORSTATIC, RGB(0, 0, 0), any, TRANSPARENT, 1},
        {WM_CTLCOLOREDIT, RGB(255, 0, 0), any, any, 1},
        {WM_CTLCOLORBTN, RGB(0, 255, 0), RGB(0, 0, 255), TRANSPARENT, 1},
        {WM_CTLCOLORDLG, any, any, any, 0},
        {WM_CTLCOLORLISTBOX, any, any, any, 0},
    };
    for (const auto& want : cases) {
        const HDC dc = ::CreateCompatibleDC(nullptr);
        const LRESULT brush = ::SendMessageW(window, UINT(want[0]), WPARAM(dc), LPARAM(window));
        std::array<LONG_PTR, 5> got{want[0], LONG_PTR(::GetTextColor(dc)),
                                    LONG_PTR(::GetBkColor(dc)), ::GetBkMode(dc),
                                    brush == LRESULT(::GetStockObject(HOLLOW_BRUSH))};
        for (std::size_t i = 1; i < got.size(); ++i) {
            got[i] = want[i] == any ? any : got[i];
        }
        EXPECT_EQ(got, want);
        ::DeleteDC(dc);
    }
}

}  // namespace
}  // namespace veltra
