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

// The dialog made from the linked resources has the layout that every front end shares: the
// template's controls in order, each bound to its id, of its class, with its text and place, the
// lists filled; a fixed window that can be minimised.
TEST_F(MainDialogTest, ResourcesMakeTheLayout) {
    const wchar_t* const classes[] = {L"Button", L"Button", L"Static", L"Edit", L"ComboBox"};
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
    EXPECT_EQ(
        ::GetWindowLongW(window, GWL_STYLE) & (WS_MINIMIZEBOX | WS_MAXIMIZEBOX | WS_THICKFRAME),
        WS_MINIMIZEBOX);
    HWND got = ::GetWindow(window, GW_CHILD);
    wchar_t text[256] = {};
    for (const ControlTemplate& want : layout.controls) {
        SCOPED_TRACE("control " + std::to_string(toInt(want.id)) + " " + std::string(want.text));
        ASSERT_NE(got, nullptr);
        ::GetClassNameW(got, text, 256);
        EXPECT_EQ(::lstrcmpiW(text, classes[static_cast<int>(want.kind)]), 0) << text;
        EXPECT_EQ(static_cast<short>(::GetDlgCtrlID(got)), toInt(want.id));
        EXPECT_EQ((::GetWindowLongW(got, GWL_STYLE) & ES_READONLY) != 0, want.readOnly);
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

}  // namespace
}  // namespace veltra
