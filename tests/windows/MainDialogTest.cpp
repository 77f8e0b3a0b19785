#include <gtest/gtest.h>
#include <windows.h>

#include "platform/fake/FixedHost.h"
#include "support/FakeDrive.h"
#include "ui/DialogTemplate.h"
#include "win32/MainDialog.h"

// The real dialog, made from the linked resources and driven by its own messages (Wine's
// headless display in the test prefix).
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
    HWND item(ControlId id) const { return ::GetDlgItem(window, toInt(id)); }
    template <typename Action>
    PendingEvents raisedBy(Action action) {
        dialog.session().state().pendingEvents = 0;
        action();
        return dialog.session().state().pendingEvents;
    }

    FixedHost host{{2024, 3, 1, 8, 30, 15}, 480};
    test::FakeDrive drive;
    NoLogger locator;
    MainDialog dialog{::GetModuleHandleW(nullptr), host, drive, locator};
    Win32Controls& controls = dialog.controls();
    HWND window = dialog.create();
};

TEST_F(MainDialogTest, OpensWithFilledListsInitialValuesAndIcons) {
    for (const ControlId id :
         {ControlId::TemperatureUnit, ControlId::PdfLanguage, ControlId::ChannelSelection,
          ControlId::DateFormat, ControlId::TimeZone}) {
        const auto entries = listEntries(id);
        ASSERT_EQ(controls.entryCount(id), static_cast<int>(entries.size())) << toInt(id);
        for (std::size_t i = 0; i < entries.size(); ++i) {
            EXPECT_EQ(controls.entryText(id, static_cast<int>(i)), entries[i]);
        }
    }
    EXPECT_EQ(controls.text(ControlId::SamplingInterval), "3");  // the window's own values
    EXPECT_EQ(controls.selection(ControlId::DateFormat), 2);
    EXPECT_NE(::SendMessageW(window, WM_GETICON, ICON_BIG, 0), 0);
    EXPECT_NE(::SendMessageW(window, WM_GETICON, ICON_SMALL, 0), 0);
}

TEST_F(MainDialogTest, SystemMenuEndsWithSeparatorAndAboutEntry16) {
    const HMENU menu = ::GetSystemMenu(window, FALSE);
    ASSERT_NE(menu, nullptr);
    const int count = ::GetMenuItemCount(menu);
    ASSERT_GE(count, 2);
    EXPECT_NE(::GetMenuState(menu, static_cast<UINT>(count - 2), MF_BYPOSITION) & MF_SEPARATOR, 0u);
    EXPECT_EQ(::GetMenuItemID(menu, count - 1), 16u);
    wchar_t text[64] = {};
    ::GetMenuStringW(menu, static_cast<UINT>(count - 1), text, 64, MF_BYPOSITION);
    EXPECT_STREQ(text, L"Aboat Quillon");
}

// Each watched notification raises its bit; others raise nothing. Every change, watched or not,
// has the next tick read the controls again. Text that the program sets, and clicks that it
// sends, notify as the user's do.
TEST_F(MainDialogTest, NotificationsRaiseTheirBitsOnly) {
    const auto send = [&](ControlId id, WORD code) {
        const auto changes = controls.changeCount();
        const PendingEvents raised = raisedBy([&] {
            ::SendMessageW(window, WM_COMMAND, MAKEWPARAM(toInt(id), code),
                           reinterpret_cast<LPARAM>(item(id)));
        });
        EXPECT_EQ(controls.changeCount() != changes, code != EN_SETFOCUS) << toInt(id);
        return raised;
    };
    for (const WatchedNotification& watched : WatchedNotifications) {
        const WORD code = watched.what == Notification::TextChanged        ? EN_CHANGE
                          : watched.what == Notification::SelectionChanged ? CBN_SELCHANGE
                                                                           : BN_CLICKED;
        EXPECT_EQ(send(watched.control, code), watched.event) << toInt(watched.control);
    }
    const std::pair<ControlId, WORD> unwatched[] = {{ControlId::DeviceName, EN_CHANGE},
                                                    {ControlId::PdfLanguage, CBN_SELCHANGE},
                                                    {ControlId::TimeDelay, EN_CHANGE},
                                                    {ControlId::SamplingInterval, EN_SETFOCUS}};
    for (const auto& [id, code] : unwatched) {
        EXPECT_EQ(send(id, code), 0u) << toInt(id);
    }
    EXPECT_EQ(raisedBy([&] { controls.setText(ControlId::SamplingInterval, "10"); }),
              IntervalEdited);
    EXPECT_EQ(raisedBy([&] { ::SendMessageW(item(ControlId::SetupLock), BM_CLICK, 0, 0); }),
              SetupLockToggled);
    EXPECT_TRUE(controls.isChecked(ControlId::SetupLock));
}

TEST_F(MainDialogTest, TimerOneDrivesThePollCycle) {
    for (int tick = 0; tick < 3; ++tick) {
        ::SendMessageW(window, WM_TIMER, Win32Controls::PollTimer, 0);
    }
    // Host at UTC+08:00: its zone is selected and the clock is shown.
    EXPECT_EQ(controls.entryText(ControlId::TimeZone, controls.selection(ControlId::TimeZone)),
              "UTC+08:00");
    EXPECT_EQ(controls.text(ControlId::DateText), "2024/03/01");
    EXPECT_EQ(controls.text(ControlId::TimeText), "08:30:15");
    EXPECT_FALSE(::IsWindowEnabled(item(ControlId::ConfigureButton)));
    // Another timer's message is not a tick.
    host.setTime({2024, 3, 1, 8, 30, 16});
    ::SendMessageW(window, WM_TIMER, 7, 0);
    EXPECT_EQ(controls.text(ControlId::TimeText), "08:30:15");
}

// Labels black, edit fields red, buttons green on blue, all over the background (hollow
// brush); the dialog and lists keep the platform's.
TEST_F(MainDialogTest, ControlColours) {
    struct Case {
        UINT message;
        COLORREF text, back;  // CLR_INVALID: left as the platform set it
        int mode;             // 0: left as the platform set it
        bool hollow;
    };
    const Case cases[] = {
        {WM_CTLCOLORSTATIC, RGB(0, 0, 0), CLR_INVALID, TRANSPARENT, true},
        {WM_CTLCOLOREDIT, RGB(255, 0, 0), CLR_INVALID, 0, true},
        {WM_CTLCOLORBTN, RGB(0, 255, 0), RGB(0, 0, 255), TRANSPARENT, true},
        {WM_CTLCOLORDLG, CLR_INVALID, CLR_INVALID, 0, false},
        {WM_CTLCOLORLISTBOX, CLR_INVALID, CLR_INVALID, 0, false},
    };
    for (const Case& test : cases) {
        SCOPED_TRACE(test.message);
        const HDC dc = ::CreateCompatibleDC(nullptr);
        ::SetTextColor(dc, RGB(1, 2, 3));
        const LRESULT brush = ::SendMessageW(window, test.message, reinterpret_cast<WPARAM>(dc),
                                             reinterpret_cast<LPARAM>(window));
        EXPECT_EQ(brush == reinterpret_cast<LRESULT>(::GetStockObject(HOLLOW_BRUSH)), test.hollow);
        EXPECT_TRUE(test.text == CLR_INVALID || ::GetTextColor(dc) == test.text);
        EXPECT_TRUE(test.back == CLR_INVALID || ::GetBkColor(dc) == test.back);
        EXPECT_TRUE(test.mode == 0 || ::GetBkMode(dc) == test.mode);
        ::DeleteDC(dc);
    }
}

TEST_F(MainDialogTest, RefreshControlAreaInvalidatesExactlyTheControl) {
    ::ValidateRect(window, nullptr);
    controls.refreshControlArea(ControlId::TimeText);
    RECT control{}, update{};
    ::GetWindowRect(item(ControlId::TimeText), &control);
    ::MapWindowPoints(HWND_DESKTOP, window, reinterpret_cast<POINT*>(&control), 2);
    ASSERT_TRUE(::GetUpdateRect(window, &update, FALSE));
    EXPECT_TRUE(::EqualRect(&update, &control));
}

TEST_F(MainDialogTest, SelectionsOutsideAListLeaveNoneSelected) {
    const std::pair<int, int> cases[] = {{1, 1}, {3, -1}, {0, 0}, {-5, -1}};  // index, selected
    for (const auto& [index, selected] : cases) {
        controls.select(ControlId::DateFormat, index);
        EXPECT_EQ(controls.selection(ControlId::DateFormat), selected) << index;
    }
    EXPECT_EQ(controls.entryText(ControlId::DateFormat, 3), "");
    EXPECT_EQ(controls.entryText(ControlId::TimeDelay, 0), "");
}

TEST_F(MainDialogTest, ControlTextsAreCodePageBytes) {
    // Every byte that the code page defines survives the round trip unchanged.
    std::string bytes;
    for (int c = 0x20; c < 0x7F; ++c) {
        bytes.push_back(static_cast<char>(c));
    }
    if (::GetACP() == 1252) {
        bytes += "\xE9\xFC\xB0";
    }
    controls.setText(ControlId::DeviceName, bytes);
    EXPECT_EQ(controls.text(ControlId::DeviceName), bytes);
    controls.setText(ControlId::DeviceName, std::string_view("cut\0here", 8));
    EXPECT_EQ(controls.text(ControlId::DeviceName), "cut");
}

// Enter, Escape and the close box (which posts Escape) end the dialog; a modeless one is only
// hidden.
TEST_F(MainDialogTest, EnterEscapeAndCloseEndTheDialog) {
    const std::pair<UINT, WPARAM> cases[] = {
        {WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED)},
        {WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED)},
        {WM_CLOSE, 0},
    };
    for (const auto& [message, wParam] : cases) {
        SCOPED_TRACE(message);
        ::ShowWindow(window, SW_SHOWNA);
        ASSERT_TRUE(::IsWindowVisible(window));
        EXPECT_EQ(raisedBy([&] { ::SendMessageW(window, message, wParam, 0); }), 0u);
        for (MSG posted; ::PeekMessageW(&posted, window, WM_COMMAND, WM_COMMAND, PM_REMOVE);) {
            ::DispatchMessageW(&posted);
        }
        EXPECT_FALSE(::IsWindowVisible(window));
    }
}

}  // namespace
}  // namespace veltra
