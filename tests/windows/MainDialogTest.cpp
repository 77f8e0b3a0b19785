#include <gtest/gtest.h>
#include <windows.h>

#include "ResourceIds.h"
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
    void SetUp() override {
        window = dialog.create();
        ASSERT_NE(window, nullptr);
    }
    void TearDown() override {
        if (window) {
            ::DestroyWindow(window);
        }
    }
    HWND item(ControlId id) const { return ::GetDlgItem(window, toInt(id)); }

    FixedHost host{{2024, 3, 1, 8, 30, 15}, 480};
    test::FakeDrive drive;
    NoLogger locator;
    MainDialog dialog{::GetModuleHandleW(nullptr), host, drive, locator};
    HWND window = nullptr;
};

TEST_F(MainDialogTest, OpensWithFilledListsAndInitialValues) {
    Win32Controls& controls = dialog.controls();
    for (const ControlId id :
         {ControlId::TemperatureUnit, ControlId::PdfLanguage, ControlId::ChannelSelection,
          ControlId::DateFormat, ControlId::TimeZone}) {
        const auto entries = listEntries(id);
        ASSERT_EQ(controls.entryCount(id), static_cast<int>(entries.size())) << toInt(id);
        for (std::size_t i = 0; i < entries.size(); ++i) {
            EXPECT_EQ(controls.entryText(id, static_cast<int>(i)), entries[i]);
        }
    }
    EXPECT_EQ(controls.text(ControlId::TimeDelay), "60");
    EXPECT_EQ(controls.text(ControlId::SamplingInterval), "3");
    EXPECT_EQ(controls.text(ControlId::HighTempAlarm), "8.0");
    EXPECT_EQ(controls.selection(ControlId::DateFormat), 2);
    EXPECT_EQ(controls.selection(ControlId::ChannelSelection), 0);
    EXPECT_EQ(controls.selection(ControlId::TimeZone), -1);
    EXPECT_EQ(controls.text(ControlId::ConfigureButton), "Plug Logger");
    EXPECT_NE(::SendMessageW(window, WM_GETICON, ICON_BIG, 0), 0);
    EXPECT_NE(::SendMessageW(window, WM_GETICON, ICON_SMALL, 0), 0);
}

TEST_F(MainDialogTest, SystemMenuEndsWithSeparatorAndAboutEntry) {
    const HMENU menu = ::GetSystemMenu(window, FALSE);
    ASSERT_NE(menu, nullptr);
    const int count = ::GetMenuItemCount(menu);
    ASSERT_GE(count, 2);
    EXPECT_EQ(::GetMenuState(menu, static_cast<UINT>(count - 2), MF_BYPOSITION) & MF_SEPARATOR,
              UINT{MF_SEPARATOR});
    EXPECT_EQ(::GetMenuItemID(menu, count - 1), UINT{VELTRA_IDM_ABOUT});
    wchar_t text[64] = {};
    ::GetMenuStringW(menu, static_cast<UINT>(count - 1), text, 64, MF_BYPOSITION);
    EXPECT_STREQ(text, L"Aboat Quillon");
}

// Each of the nine watched notifications raises its bit; others raise nothing.
TEST_F(MainDialogTest, NotificationsRaiseTheirBitsOnly) {
    struct Case {
        ControlId id;
        WORD code;
        PendingEvents bit;
    };
    const Case cases[] = {
        {ControlId::SetupLock, BN_CLICKED, SetupLockToggled},
        {ControlId::SamplingInterval, EN_CHANGE, IntervalEdited},
        {ControlId::ConfigureButton, BN_CLICKED, ConfigureClicked},
        {ControlId::TimeZone, CBN_SELCHANGE, TimeZoneChanged},
        {ControlId::ChannelSelection, CBN_SELCHANGE, ChannelChanged},
        {ControlId::DateFormat, CBN_SELCHANGE, DateFormatChanged},
        {ControlId::TemperatureUnit, CBN_SELCHANGE, UnitChanged},
        {ControlId::LowTempAlarm, EN_CHANGE, LowTempAlarmEdited},
        {ControlId::HighTempAlarm, EN_CHANGE, HighTempAlarmEdited},
        {ControlId::DeviceName, EN_CHANGE, 0},
        {ControlId::PdfLanguage, CBN_SELCHANGE, 0},
        {ControlId::TimeDelay, EN_CHANGE, 0},
        {ControlId::SamplingInterval, EN_SETFOCUS, 0},
    };
    for (const Case& test : cases) {
        SCOPED_TRACE(toInt(test.id));
        dialog.program().pendingEvents = 0;
        ::SendMessageW(window, WM_COMMAND, MAKEWPARAM(toInt(test.id), test.code),
                       reinterpret_cast<LPARAM>(item(test.id)));
        EXPECT_EQ(dialog.program().pendingEvents, test.bit);
    }
}

TEST_F(MainDialogTest, ProgramTextChangesAndClicksNotifyAsTheUsersDo) {
    dialog.program().pendingEvents = 0;
    dialog.controls().setText(ControlId::SamplingInterval, "10");
    EXPECT_EQ(dialog.program().pendingEvents, IntervalEdited);
    dialog.program().pendingEvents = 0;
    ::SendMessageW(item(ControlId::SetupLock), BM_CLICK, 0, 0);
    EXPECT_EQ(dialog.program().pendingEvents, SetupLockToggled);
    EXPECT_TRUE(dialog.controls().isChecked(ControlId::SetupLock));
}

TEST_F(MainDialogTest, TimerOneDrivesThePollCycle) {
    for (int tick = 0; tick < 3; ++tick) {
        ::SendMessageW(window, WM_TIMER, Win32Controls::PollTimer, 0);
    }
    // Host at UTC+08:00: its zone is selected and the clock is shown.
    EXPECT_EQ(dialog.controls().entryText(ControlId::TimeZone,
                                          dialog.controls().selection(ControlId::TimeZone)),
              "UTC+08:00");
    EXPECT_EQ(dialog.controls().text(ControlId::DateText), "2024/03/01");
    EXPECT_EQ(dialog.controls().text(ControlId::TimeText), "08:30:15");
    EXPECT_FALSE(::IsWindowEnabled(item(ControlId::ConfigureButton)));
    // Another timer's message is not a tick.
    host.setTime({2024, 3, 1, 8, 30, 16});
    ::SendMessageW(window, WM_TIMER, 7, 0);
    EXPECT_EQ(dialog.controls().text(ControlId::TimeText), "08:30:15");
}

TEST_F(MainDialogTest, ControlColours) {
    struct Case {
        UINT message;
        COLORREF text;
        int mode;  // 0: left as the platform set it
        bool hollow;
    };
    const Case cases[] = {
        {WM_CTLCOLORSTATIC, RGB(0, 0, 0), TRANSPARENT, true},
        {WM_CTLCOLOREDIT, RGB(255, 0, 0), 0, true},
        {WM_CTLCOLORBTN, RGB(0, 255, 0), TRANSPARENT, true},
        {WM_CTLCOLORDLG, CLR_INVALID, 0, false},
        {WM_CTLCOLORLISTBOX, CLR_INVALID, 0, false},
    };
    const HBRUSH hollow = static_cast<HBRUSH>(::GetStockObject(HOLLOW_BRUSH));
    for (const Case& test : cases) {
        SCOPED_TRACE(test.message);
        const HDC dc = ::CreateCompatibleDC(nullptr);
        ::SetTextColor(dc, RGB(1, 2, 3));
        const auto brush = reinterpret_cast<HBRUSH>(::SendMessageW(
            window, test.message, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(window)));
        EXPECT_EQ(brush == hollow, test.hollow);
        if (test.text != CLR_INVALID) {
            EXPECT_EQ(::GetTextColor(dc), test.text);
        }
        if (test.mode != 0) {
            EXPECT_EQ(::GetBkMode(dc), test.mode);
        }
        if (test.message == WM_CTLCOLORBTN) {
            EXPECT_EQ(::GetBkColor(dc), RGB(0, 0, 255));
        }
        ::DeleteDC(dc);
    }
}

TEST_F(MainDialogTest, RefreshControlAreaInvalidatesExactlyTheControl) {
    ::ValidateRect(window, nullptr);
    dialog.controls().refreshControlArea(ControlId::TimeText);
    RECT control{};
    ::GetWindowRect(item(ControlId::TimeText), &control);
    ::MapWindowPoints(HWND_DESKTOP, window, reinterpret_cast<POINT*>(&control), 2);
    RECT update{};
    ASSERT_TRUE(::GetUpdateRect(window, &update, FALSE));
    EXPECT_TRUE(::EqualRect(&update, &control));
}

TEST_F(MainDialogTest, SelectionsOutsideAListLeaveNoneSelected) {
    Win32Controls& controls = dialog.controls();
    controls.select(ControlId::DateFormat, 1);
    EXPECT_EQ(controls.selection(ControlId::DateFormat), 1);
    controls.select(ControlId::DateFormat, 3);
    EXPECT_EQ(controls.selection(ControlId::DateFormat), -1);
    controls.select(ControlId::DateFormat, 0);
    controls.select(ControlId::DateFormat, -5);
    EXPECT_EQ(controls.selection(ControlId::DateFormat), -1);
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
    dialog.controls().setText(ControlId::DeviceName, bytes);
    EXPECT_EQ(dialog.controls().text(ControlId::DeviceName), bytes);
    dialog.controls().setText(ControlId::DeviceName, std::string_view("cut\0here", 8));
    EXPECT_EQ(dialog.controls().text(ControlId::DeviceName), "cut");
}

TEST_F(MainDialogTest, EnterAndEscapeEndTheDialog) {
    for (const int id : {IDOK, IDCANCEL}) {
        SCOPED_TRACE(id);
        MainDialog other{::GetModuleHandleW(nullptr), host, drive, locator};
        const HWND otherWindow = other.create();
        ASSERT_NE(otherWindow, nullptr);
        ::SendMessageW(otherWindow, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), 0);
        EXPECT_FALSE(::IsWindowVisible(otherWindow));  // a modeless dialog is only hidden
        ::DestroyWindow(otherWindow);
    }
}

}  // namespace
}  // namespace veltra
