#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

#include "logger/CfgRecord.h"
#include "logger/FirmwareImage.h"
#include "platform/DriveFilesFactory.h"
#include "platform/fake/FixedHost.h"
#include "simulator/SimulatedLocator.h"
#include "support/FakeDrive.h"
#include "support/TempFolder.h"
#include "ui/DialogSession.h"
#include "ui/MemoryControls.h"

namespace veltra::test {
namespace {

using Id = ControlId;

SimulatorSettings quickSettings(std::uint32_t serial = 1001, std::uint8_t revision = 2) {
    SimulatorSettings settings;
    settings.serial = serial;
    settings.firmwareRevision = revision;  // 1: it needs the carried firmware
    settings.configureTime = std::chrono::milliseconds(300);
    settings.upgradeTime = std::chrono::milliseconds(500);
    return settings;
}

// The whole road without a window: the in-memory window, the real poll cycle and simulated
// loggers in a temporary folder, reached through the real drive access or, for the faults a
// folder cannot be made to show, through a drive held in memory that holds the first's DAT.SRC.
// It reports whichever logger is plugged in at drive E.
struct DialogRig : LoggerLocator {
    explicit DialogRig(SimulatorSettings settings = quickSettings(), bool inMemory = false)
        : simulator(folder.path() / "first", settings),
          other(folder.path() / "second", quickSettings(2002)),
          real(makeDriveFiles([this](char letter) { return rootOf(letter); })),
          session(controls, host, inMemory ? fake : *real, *this) {
        controls.setListener([this](ControlId id, Notification what) { session.notify(id, what); });
        session.open();
        if (inMemory) {
            // A message box may stay open for long: the drive must not be held meanwhile, and a
            // click and a timer tick that come while it is open do nothing.
            controls.setMessageResponder([this](std::string_view) {
                EXPECT_EQ(fake.sessionsOpen, 0) << "drive held";
                timerDuringMessage = controls.timerRunning();
                const auto ticksBefore = state.pollState.tickCount;
                controls.click(Id::ConfigureButton);
                cycle.tick();
                EXPECT_EQ(state.pollState.tickCount, ticksBefore) << "tick within a tick";
            });
            plug(simulator);
            fake.files["DAT.SRC"] = file("DAT.SRC");
            ticks(4);
        }
    }

    // Plugs one of the rig's loggers in (and the other out).
    void plug(LoggerSimulator& logger) {
        unplug();
        logger.plugIn();
        plugged = &logger;
    }
    void unplug() {
        for (LoggerSimulator* logger : {&simulator, &other}) {
            if (logger->connected()) {
                logger->unplug();
            }
        }
        plugged = nullptr;
    }
    void ticks(int count) {
        for (int i = 0; i < count; ++i) {
            cycle.tick();
        }
    }
    // Lets the simulator and the window run side by side for `count` ticks of 100 ms.
    void run(int count) {
        for (int i = 0; i < count; ++i) {
            simulator.advance(std::chrono::milliseconds(100));
            other.advance(std::chrono::milliseconds(100));
            cycle.tick();
        }
    }
    // Clicks the configure button and runs the tick that does the work.
    void configure() {
        controls.click(Id::ConfigureButton);
        cycle.tick();
    }
    // Starts the window and plugs the logger in; its settings are shown afterwards.
    void startWithLogger() {
        ticks(2);
        plug(simulator);
        ticks(5);
    }

    std::vector<std::string> collectMatchEntries() override {
        return plugged ? SimulatedLocator(*plugged).collectMatchEntries()
                       : std::vector<std::string>{};
    }
    std::optional<std::filesystem::path> rootOf(char drive) const override {
        return plugged ? SimulatedLocator(*plugged).rootOf(drive) : std::nullopt;
    }
    std::string text(ControlId id) const { return controls.text(id); }
    std::vector<std::uint8_t> file(const char* name) const { return file(simulator, name); }
    static std::vector<std::uint8_t> file(const LoggerSimulator& logger, const char* name) {
        std::ifstream in(logger.folder() / name, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), {}};
    }

    TempFolder folder;
    MemoryControls controls;
    FixedHost host{{2024, 3, 1, 8, 30, 15}, 480};
    LoggerSimulator simulator;
    LoggerSimulator other;
    const LoggerSimulator* plugged = nullptr;
    FakeDrive fake;
    bool timerDuringMessage = false;
    std::unique_ptr<DriveFiles> real;
    DialogSession session;
    DialogState& state = session.state();
    PollCycle& cycle = session.pollCycle();
};

// The data of the record with the given tag in a CONFIG.CFG, as written.
std::vector<std::uint8_t> recordOf(const std::vector<std::uint8_t>& file, std::uint8_t tag) {
    for (const CfgRecord& record : parseCfgRecords(file).value_or(std::vector<CfgRecord>{})) {
        if (record.tag == tag) {
            return record.data;
        }
    }
    return {};
}

// The first ticks set the window up; a logger is found on one tick, shown two ticks later and
// its recording time estimated on the next.
TEST(PollCycle, SetsUpThenShowsALoggersSettingsAndEstimate) {
    DialogRig rig;
    rig.ticks(1);
    EXPECT_EQ(rig.text(Id::ConfigureButton), "Plug Logger");
    EXPECT_FALSE(rig.controls.isEnabled(Id::ConfigureButton));
    EXPECT_EQ(rig.controls.focus(), Id::TimeDelay);
    EXPECT_EQ(rig.controls.selection(Id::TimeZone), -1) << "nothing but the set-up on tick 1";
    rig.ticks(1);  // the host at UTC+08:00 selects its own zone
    EXPECT_EQ(rig.controls.entryText(Id::TimeZone, rig.controls.selection(Id::TimeZone)),
              "UTC+08:00");
    EXPECT_EQ(rig.text(Id::HighTempUnit), "Celsius");
    EXPECT_EQ(rig.text(Id::RecordingTime), "Longest Recording Time:");
    rig.ticks(1);
    EXPECT_EQ(rig.text(Id::DateText), "2024/03/01");
    EXPECT_EQ(rig.text(Id::TimeText), "08:30:15");

    rig.plug(rig.simulator);
    for (const char* text : {"Plug Logger", "Plug Logger", "Configure (E)"}) {
        rig.ticks(1);
        EXPECT_EQ(rig.text(Id::ConfigureButton), text);
    }
    EXPECT_TRUE(rig.controls.isEnabled(Id::ConfigureButton));
    EXPECT_EQ(rig.text(Id::DeviceName), "Simulated logger");
    EXPECT_EQ(rig.text(Id::DeviceId), "SIM00001001");
    EXPECT_EQ(rig.text(Id::SamplingInterval), "60");
    EXPECT_EQ(rig.controls.selection(Id::ChannelSelection), 2);
    EXPECT_EQ(rig.controls.entryText(Id::TimeZone, rig.controls.selection(Id::TimeZone)),
              "UTC+00:00");
    // 262144 bytes of 22-bit records, at the interval typed.
    const std::pair<const char*, const char*> estimates[] = {
        {nullptr, "66.2 days"}, {"3", "3.3 days"},    {"3600", "3971.9 days"},
        {"1", "1.1 days"},      {"abc", "0.0 hours"},
    };
    for (const auto& [interval, estimate] : estimates) {
        if (interval) {
            rig.controls.type(Id::SamplingInterval, interval);
        }
        rig.ticks(1);
        EXPECT_EQ(rig.text(Id::RecordingTime), std::string("Longest Recording Time: ") + estimate);
    }
}

TEST(PollCycle, AlarmFieldsFollowTheUnitAndTheChannel) {
    DialogRig rig;
    rig.startWithLogger();
    const struct {
        int channel;
        bool temperature;
        bool humidity;
    } cases[] = {{1, false, true}, {0, true, false}, {2, true, true}};
    for (const auto& c : cases) {
        rig.controls.choose(Id::ChannelSelection, c.channel);
        rig.ticks(1);
        for (Id id : {Id::HighTempAlarm, Id::LowTempAlarm, Id::TemperatureUnit}) {
            EXPECT_EQ(rig.controls.isEnabled(id), c.temperature) << "channel " << c.channel;
        }
        for (Id id : {Id::HighHumidityAlarm, Id::LowHumidityAlarm}) {
            EXPECT_EQ(rig.controls.isEnabled(id), c.humidity) << "channel " << c.channel;
        }
    }
    struct Step {
        int unit;               // list index chosen, -1 for none
        const char* typedHigh;  // typed into the high field afterwards, or null
        const char* high;
        const char* low;
        const char* label;
    };
    const Step steps[] = {
        {1, nullptr, "46.4", "35.6", "Fahrenheit"},
        {-1, "50", "50", "35.6", "Fahrenheit"},  // 50 °F is 10 °C
        {0, nullptr, "10.0", "2.0", "Celsius"},
        {1, nullptr, "50.0", "35.6", "Fahrenheit"},
    };
    for (const Step& step : steps) {
        if (step.unit >= 0) {
            rig.controls.choose(Id::TemperatureUnit, step.unit);
        }
        if (step.typedHigh) {
            rig.controls.type(Id::HighTempAlarm, step.typedHigh);
        }
        rig.ticks(1);
        EXPECT_EQ(rig.text(Id::HighTempAlarm), step.high);
        EXPECT_EQ(rig.text(Id::LowTempAlarm), step.low);
        EXPECT_EQ(rig.text(Id::HighTempUnit), step.label);
        EXPECT_EQ(rig.text(Id::LowTempUnit), step.label);
    }
    EXPECT_DOUBLE_EQ(rig.state.alarmTemperatures.highAlarmCelsius, 10.0);

    rig.configure();
    const auto config = rig.file("CONFIG.CFG");
    EXPECT_EQ(recordOf(config, cfg_tag::HighTempAlarm), (std::vector<std::uint8_t>{200, 0}));
    EXPECT_EQ(recordOf(config, cfg_tag::TemperatureUnit), std::vector<std::uint8_t>{1});
}

TEST(PollCycle, RefusedImageIsReadAgainSilently) {
    DialogRig rig;
    rig.startWithLogger();
    rig.unplug();
    rig.ticks(2);
    rig.plug(rig.simulator);
    std::filesystem::resize_file(rig.simulator.folder() / "DAT.SRC", 639);
    rig.ticks(10);
    EXPECT_EQ(rig.text(Id::ConfigureButton), "Plug Logger");
    EXPECT_TRUE(rig.controls.messages().empty());

    rig.unplug();  // the simulator leaves the damaged DAT.SRC: it is no longer what it wrote
    std::filesystem::remove(rig.simulator.folder() / "DAT.SRC");
    rig.plug(rig.simulator);  // a good image under the same drive, read on the next tick
    rig.ticks(1);
    EXPECT_EQ(rig.text(Id::ConfigureButton), "Configure (E)");
}

// What a write came to shows in the button's caption and one message per failure; OK.DAT stands
// only beside settings written whole. Settings held back for an upgrade are written, unasked, when
// the logger comes back; the logger written (no other) is then compared: one message names the
// first five settings it kept.
TEST(PollCycle, ConfigureShowsWhatTheWriteCameTo) {
    using R = WriteResult;
    const std::string refused = "Sample interval must be in the range of 1 second to 1440 minutes!";
    const std::string failed =
        "It's fail to configure device,please confirm that the device was plugged!";
    const std::string upgradeFailed = "Firmware upgrade failed,Please try again!";
    const std::string notTaken = "The logger did not take these settings: ";
    const std::string nameKept =
        notTaken + "Device Name (written \"Freezer 7\", reported \"Simulated logger\")";
    using Typed = std::vector<std::pair<Id, const char*>>;
    const Typed named = {{Id::DeviceName, "Freezer 7"}};
    const std::vector<std::string> keepsName = {"device-name"}, keepsAll = ignorableSettings();
    const Typed manyTyped = {{Id::TimeDelay, "30"},        {Id::SamplingInterval, "300"},
                             {Id::AlarmLedFlash, "5"},     {Id::DeviceName, "Freezer 7"},
                             {Id::Website, "example.org"}, {Id::UserInfo, "Shelf 2"},
                             {Id::Trademark, "Acme"}};
    const std::string allKept =
        notTaken +
        "Time Delay (written \"30\", reported \"60\"), Sampling Interval (written \"300\", "
        "reported \"60\"), Alarm Led Flash Time (written \"5\", reported \"0\"), Device Name "
        "(written \"Freezer 7\", reported \"Simulated logger\"), Website (written "
        "\"example.org\", reported \"\"), and 2 more";
    // After the write: nothing (the drive in memory), the logger's return, or another logger.
    enum Then { Stays, ComesBack, OtherComes };
    const struct {
        std::uint8_t revision;  // 1: the logger needs the carried firmware
        Typed typed;            // before the click
        const char* failing;    // the drive operation that fails, if any
        R result;
        const char* button;
        std::vector<std::string> messages;
        bool comesBack = false;  // upgraded, back with the firmware it had: upgraded again
        Then then = Stays;
        std::vector<std::string> keeps = {};  // the settings the simulated logger keeps
    } cases[] = {
        {2, {{Id::SamplingInterval, "60"}}, "", R::Written, "Configuring...", {}},
        {2, {{Id::SamplingInterval, "0"}}, "", R::Refused, "Configure (E)", {refused}},
        {2, {}, "create CONFIG.CFG", R::WriteFailed, "Plug logger", {failed}},
        {1, {}, "", R::UpgradeStarted, "Firmware Upgrade", {}},
        {1, {}, "create APP.BIN", R::UpgradeFailedThenWritten, "Configuring...", {upgradeFailed}},
        {1, {}, "read APP.BIN", R::UpgradeFailedThenWritten, "Firmware Upgrade", {upgradeFailed}},
        {1, {}, "lock", R::DriveBusy, "Plug logger", {upgradeFailed, failed}},
        {1, {}, "lock", R::DriveBusy, "Configuring...", {upgradeFailed, failed}, true},
        {2, named, "", R::Written, "Configure (E)", {}, false, ComesBack},
        {2, named, "", R::Written, "Configure (E)", {nameKept}, false, ComesBack, keepsName},
        {2, manyTyped, "", R::Written, "Configure (E)", {allKept}, false, ComesBack, keepsAll},
        {2, named, "", R::Written, "Configure (E)", {}, false, OtherComes, keepsName},
        {1, named, "", R::Written, "Configure (E)", {nameKept}, false, ComesBack, keepsName},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "row " << &c - cases + 1);
        SimulatorSettings settings = quickSettings(1001, c.revision);
        settings.ignoredSettings = c.keeps;
        DialogRig rig(settings, c.then == Stays);
        if (c.then != Stays) {
            rig.startWithLogger();
        }
        ASSERT_EQ(rig.text(Id::ConfigureButton), "Configure (E)");
        for (const auto& [id, text] : c.typed) {
            rig.controls.type(id, text);
        }
        if (c.comesBack) {
            rig.configure();
            rig.plugged = nullptr;
            rig.ticks(1);
            rig.plugged = &rig.simulator;
        }
        rig.fake.failing = {c.failing};
        c.comesBack ? rig.ticks(3) : rig.configure();
        if (c.then == OtherComes) {
            rig.run(1);  // away with its settings; another logger is plugged in meanwhile
            rig.plug(rig.other);
        }
        // Back (through the upgrade too) and shown; the message is not repeated later.
        rig.run(c.then == Stays ? 0 : 40);
        const PollState& poll = rig.state.pollState;
        EXPECT_EQ(poll.lastWrite, c.result);
        EXPECT_EQ(rig.text(Id::ConfigureButton), c.button);
        EXPECT_EQ(rig.controls.messages(), c.messages);
        EXPECT_EQ(poll.upgradePending, c.result == R::UpgradeStarted);
        EXPECT_EQ(poll.returnDifferences.has_value(), c.then == ComesBack);
        EXPECT_TRUE(rig.controls.isEnabled(Id::ConfigureButton));
        EXPECT_TRUE(rig.controls.timerRunning());
        if (c.then == Stays) {
            // Or the upgrade's own, for the logger that comes back.
            EXPECT_EQ(rig.fake.has("OK.DAT"), succeeded(c.result) || c.comesBack);
            EXPECT_EQ(rig.timerDuringMessage, c.comesBack)
                << "no tick while a click waits for the user";
        }
    }
}

TEST(PollCycle, SetupLockKeepsTheSettingsForTheNextLogger) {
    DialogRig rig;
    rig.startWithLogger();
    rig.controls.type(Id::DeviceName, "Batch A");
    rig.controls.click(Id::SetupLock);
    rig.ticks(1);
    for (Id id : {Id::TimeDelay, Id::DeviceName, Id::TimeZone, Id::HighTempAlarm}) {
        EXPECT_FALSE(rig.controls.isEnabled(id));
    }
    EXPECT_TRUE(rig.controls.isEnabled(Id::ConfigureButton));

    rig.unplug();
    rig.ticks(2);
    rig.plug(rig.other);
    rig.ticks(4);
    EXPECT_EQ(rig.text(Id::ConfigureButton), "Configure (E)");
    EXPECT_NE(rig.text(Id::RecordingTime), "Longest Recording Time:");  // estimated for it
    EXPECT_EQ(rig.text(Id::DeviceName), "Batch A");
    EXPECT_EQ(rig.text(Id::DeviceId), "");  // its settings are not shown
    EXPECT_EQ(rig.state.pollState.lastDeviceSerial, 2002u);

    rig.configure();
    const auto name = recordOf(rig.file(rig.other, "CONFIG.CFG"), cfg_tag::DeviceName);
    EXPECT_EQ(std::string(name.begin(), name.begin() + 7), "Batch A");

    rig.controls.click(Id::SetupLock);  // released: the fields can be edited again
    rig.ticks(2);
    for (Id id : {Id::TimeDelay, Id::DeviceName, Id::TimeZone, Id::HighTempAlarm}) {
        EXPECT_TRUE(rig.controls.isEnabled(id));
    }
}

TEST(PollCycle, UpgradeRoadEndsWithTheHeldBackConfiguration) {
    DialogRig rig(quickSettings(1001, 1));
    rig.startWithLogger();
    rig.controls.type(Id::DeviceName, "After upgrade");
    rig.configure();
    EXPECT_EQ(rig.file("APP.BIN").size(), FirmwareImageSize);
    EXPECT_EQ(rig.file("CONFIG.CFG").size(), UpgradeConfigFileSize);

    rig.run(1);  // the logger takes the firmware and goes away: the countdown starts
    EXPECT_EQ(rig.text(Id::ConfigureButton), "Upgrading(14)");
    int waited = 0;
    while (rig.state.pollState.upgradePending && waited < 20) {
        rig.run(1);  // away, back, and read two ticks later
        ++waited;
    }
    EXPECT_EQ(waited, 7);
    EXPECT_EQ(rig.text(Id::ConfigureButton), "Configuring...");
    EXPECT_EQ(rig.state.deviceInfo.firmwareRevision, 2);
    const auto config = rig.file("CONFIG.CFG");
    ASSERT_EQ(config.size(), ConfigFileSize);
    const auto name = recordOf(config, cfg_tag::DeviceName);
    EXPECT_EQ(std::string(name.begin(), name.begin() + 13), "After upgrade");
    EXPECT_TRUE(rig.controls.messages().empty());

    rig.run(2);  // it takes the configuration and goes away: its settings are no longer shown
    EXPECT_EQ(rig.text(Id::DeviceId), "");
    EXPECT_EQ(rig.text(Id::RecordingTime), "Longest Recording Time:");
    rig.run(8);  // and comes back shown as usual
    EXPECT_EQ(rig.text(Id::ConfigureButton), "Configure (E)");
    EXPECT_EQ(rig.text(Id::DeviceName), "After upgrade");
}

// Another logger plugged in while an upgrade is awaited is shown but not written; the
// countdown goes on when it is gone and stops at zero.
TEST(PollCycle, PendingUpgradeOutlastsAnotherLoggerAndCountsDownToZero) {
    DialogRig rig(quickSettings(1001, 1));
    rig.startWithLogger();
    rig.configure();
    rig.unplug();  // pulled out before it could take the firmware
    rig.ticks(2);
    rig.plug(rig.other);
    rig.ticks(3);
    EXPECT_EQ(rig.text(Id::ConfigureButton), "Configure (E)");
    EXPECT_EQ(rig.text(Id::DeviceId), "SIM00002002");
    rig.configure();
    EXPECT_FALSE(std::filesystem::exists(rig.other.folder() / "CONFIG.CFG"));
    EXPECT_EQ(rig.state.pollState.upgradePending, 1);

    rig.unplug();
    rig.ticks(147);
    EXPECT_EQ(rig.text(Id::ConfigureButton), "Upgrading(0)");
    EXPECT_EQ(rig.state.pollState.upgradeCountdown, 1);
    rig.ticks(5);
    EXPECT_EQ(rig.text(Id::ConfigureButton), "Upgrading(0)");
    EXPECT_EQ(rig.state.pollState.upgradeCountdown, 0);
}

}  // namespace
}  // namespace veltra::test
