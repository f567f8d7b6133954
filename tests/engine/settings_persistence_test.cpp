// The settings store, its keys and the pulse-list files: defaults, the parse
// rules, a full round trip and the failures that must not cost a start-up or
// the previous store.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "file_reader_test_files.h"
#include "file_size_limit.h"
#include "acquisition/device_preference.h"
#include "files/settings_memory.h"
#include "stimulation/pulse_parameters.h"
#include "stimulation/step_editor.h"

using namespace korin;
namespace fs = std::filesystem;

namespace {

std::string slurp(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

void spit(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

std::string storeWith(const std::string& key, const std::string& value) {
    return "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<configuration><appSettings><add key=\"" + key +
           "\" value=\"" + value + "\"/></appSettings></configuration>\n";
}

PulseConfigs pulse(const char* type, const char* d, const char* i, const char* pre, const char* post) {
    PulseConfigs p;
    p.setParameter(type, d, i, pre, post);
    return p;
}

}  // namespace

TEST(SettingsStore, StoreWithNoEntriesGivesEveryDefaultAndNoPulseList) {
    testfiles::TempDir dir;
    spit(dir.file(kSettingsFileName), "<configuration><appSettings/></configuration>");
    const LoadedSettings loaded = loadSettings(dir.file(""));
    for (const SettingKeyInfo& info : settingKeys()) {
        EXPECT_EQ(loaded.values.get(info.id), info.defaultText) << info.name;
        EXPECT_EQ(loaded.values.from(info.id), SettingSource::Default) << info.name;
    }
    for (const PulseListFile& file : loaded.lists) EXPECT_EQ(file.status, ListStatus::Missing);
    EXPECT_FALSE(loaded.storeDamaged);
    EXPECT_EQ(loaded.values.get(SettingKey::Min), "20");
    EXPECT_EQ(loaded.values.colour(ViewColour::Back), (Rgb{255, 255, 255}));
}

struct StoredValueCase {
    const char* key;
    const char* stored;
    const char* applied;
    SettingSource source;
};

class StoredValueRule : public ::testing::TestWithParam<StoredValueCase> {};

TEST_P(StoredValueRule, AppliesAsTheWindowWould) {
    const StoredValueCase& c = GetParam();
    testfiles::TempDir dir;
    spit(dir.file(kSettingsFileName), storeWith(c.key, c.stored));
    const LoadedSettings loaded = loadSettings(dir.file(""));
    for (const SettingKeyInfo& info : settingKeys()) {
        if (info.name != c.key) continue;
        EXPECT_EQ(loaded.values.get(info.id), c.applied);
        EXPECT_EQ(loaded.values.from(info.id), c.source);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Rules, StoredValueRule,
    ::testing::Values(StoredValueCase{"StepFilter", "-1", "-1", SettingSource::Store},
                      StoredValueCase{"StepFilter", "both", "-1", SettingSource::Store},
                      StoredValueCase{"StepFilter", "2", "2", SettingSource::Store},
                      StoredValueCase{"UIType", "B", "C", SettingSource::Store},
                      StoredValueCase{"UIType", "A", "A", SettingSource::Store},
                      StoredValueCase{"Mode", "EP", "0", SettingSource::Default},
                      StoredValueCase{"Mode", "2", "2", SettingSource::Store},
                      StoredValueCase{"SelectCh", "x1", "1", SettingSource::Default},
                      StoredValueCase{"GridColor16G", "300", "0", SettingSource::Default},
                      StoredValueCase{"Step2S2Ch", "abc", "-1", SettingSource::Default},
                      StoredValueCase{"Step1S1Ch", "3.0", "-1", SettingSource::Default},
                      StoredValueCase{"Step2S2Ch", "16", "-1", SettingSource::Default},
                      StoredValueCase{"StepMS1Ch", "15", "15", SettingSource::Store},
                      StoredValueCase{"StepMS2Ch", "-1", "-1", SettingSource::Store},
                      StoredValueCase{"Input Range", "5000", "2000", SettingSource::Default},
                      StoredValueCase{"Input Range", "10000", "10000", SettingSource::Store},
                      StoredValueCase{"Low cut freq", "7", "1", SettingSource::Default},
                      StoredValueCase{"High cut freq", "3000", "5000", SettingSource::Default},
                      StoredValueCase{"High cut freq replay", "2500", "2500", SettingSource::Store},
                      StoredValueCase{"Step1F", "S3", "S1", SettingSource::Default},
                      StoredValueCase{"StepMF", "S2", "S2", SettingSource::Store},
                      StoredValueCase{"comboBoxPulse2", "biphasic", "Biphasic", SettingSource::Default},
                      StoredValueCase{"comboBoxPulseM", "Const", "Const", SettingSource::Store},
                      StoredValueCase{"comboBoxUnit", "2.5", "0", SettingSource::Default},
                      StoredValueCase{"Delay", "fast", "Fast", SettingSource::Default},
                      StoredValueCase{"Data format Replay", "CSV", "CSV", SettingSource::Store},
                      StoredValueCase{"Min", "1.5", "0", SettingSource::Store},
                      StoredValueCase{"Sec Interval", "30", "30", SettingSource::Store},
                      StoredValueCase{"Sec", "1.5", "1.5", SettingSource::Store},
                      StoredValueCase{"RawData Autoscale", "yes", "False", SettingSource::Default},
                      StoredValueCase{"EpYUnit", "uV", "mV", SettingSource::Store},
                      StoredValueCase{"EpXUnit", "hours", "min", SettingSource::Store},
                      StoredValueCase{"Device", "PXI", "Auto", SettingSource::Store},
                      StoredValueCase{"Device", "Simulated", "Simulated", SettingSource::Store},
                      StoredValueCase{"Data format", "CSV", "Pellor (16 bit)", SettingSource::Default},
                      StoredValueCase{"Mode", "3", "3", SettingSource::Store},
                      StoredValueCase{"Mode", "4", "0", SettingSource::Default},
                      StoredValueCase{"EvokedWinTo", "20.50", "20.5", SettingSource::Store},
                      StoredValueCase{"EvokedBlank", "abc", "1", SettingSource::Default},
                      StoredValueCase{"EvokedWidth", "inf", "1", SettingSource::Default},
                      StoredValueCase{"SlopeMeasure", "3", "3", SettingSource::Store},
                      StoredValueCase{"SlopeMeasure", "4", "0", SettingSource::Default},
                      StoredValueCase{"SlopeBaselineTraces", "0", "10", SettingSource::Default},
                      StoredValueCase{"SlopeBaselineTraces", "30", "30", SettingSource::Store},
                      StoredValueCase{"SlopeAbsolute", "True", "0", SettingSource::Default},
                      StoredValueCase{"SlopeAbsolute", "1", "1", SettingSource::Store}));

TEST(EvokedWindowsSettings, DefaultsAreTheMeasurersDefaults) {
    EXPECT_EQ(evokedWindows(SettingsValues::defaults()), EvokedWindows{});
}

TEST(EvokedWindowsSettings, InconsistentStoredSetGivesTheDefaultsAndSaysWhy) {
    testfiles::TempDir dir;
    // Each value is a number, but a measure window ending before it starts is no window.
    spit(dir.file(kSettingsFileName), storeWith("EvokedWinTo", "0.5"));
    const LoadedSettings loaded = loadSettings(dir.file(""));
    std::string problem;
    EXPECT_EQ(evokedWindows(loaded.values, &problem), EvokedWindows{});
    EXPECT_EQ(problem, windowsProblem({2, 0.2, 1, 1, 0.5, 1.5, 3, 1}).value());
}

class SkippedValue : public ::testing::TestWithParam<std::pair<const char*, const char*>> {};

TEST_P(SkippedValue, LeavesOneConsoleLine) {
    testfiles::TempDir dir;
    const auto [key, value] = GetParam();
    spit(dir.file(kSettingsFileName), storeWith(key, value));
    const LoadedSettings loaded = loadSettings(dir.file(""));
    const std::string skipped = "\"" + std::string(key) + "\" = \"" + value + "\" is skipped";
    EXPECT_EQ(std::count_if(loaded.console.begin(), loaded.console.end(),
                            [&](const std::string& line) { return line.find(skipped) != std::string::npos; }),
              1);
}

INSTANTIATE_TEST_SUITE_P(Keys, SkippedValue,
                         ::testing::Values(std::pair{"Mode", "EP"}, std::pair{"Step1S2Ch", "abc"},
                                           std::pair{"Input Range", "5000"}));

struct LimitBoxCase {
    SettingKey key;
    const char* box;
    const char* stored;
};

class LimitBoxStored : public ::testing::TestWithParam<LimitBoxCase> {};

TEST_P(LimitBoxStored, AsItsNumberOrItsFallback) {
    SettingsValues values = SettingsValues::defaults();
    values.set(GetParam().key, GetParam().box);
    EXPECT_EQ(values.get(GetParam().key), GetParam().stored);
}

INSTANTIATE_TEST_SUITE_P(Fallbacks, LimitBoxStored,
                         ::testing::Values(LimitBoxCase{SettingKey::RawYMax, "abc", "0.5"},
                                           LimitBoxCase{SettingKey::RawYMin, "abc", "-0.5"},
                                           LimitBoxCase{SettingKey::FreqYMax, "", "10"},
                                           LimitBoxCase{SettingKey::FreqYMin, "1,5", "0"},
                                           LimitBoxCase{SettingKey::RawYMax, " 050.0", "50"},
                                           LimitBoxCase{SettingKey::RawYMin, "-2.5e1", "-25"}));

TEST(PulseListFiles, StepFlagLineSetsTheByRepFlagOnly) {
    const PulseListFile file =
        parsePulseList("by rep,True,repeat all the time,False\r\nPulsetype,Duration,Intensity,Pre,Post\r\n", false);
    PulseParameters step;
    step.repeatAll = 1;
    applyPulseList(step, PulseParameters::kS2, file);
    EXPECT_EQ(step.addIncrementByRepS2, 1);
    EXPECT_EQ(step.addIncrementByRepS1, 0);
    EXPECT_EQ(step.repeatAll, 1);  // a "False" clears nothing
    EXPECT_EQ(step.S2ChAddNum, 0);
}

TEST(PulseListFiles, ManualFileWithThreeUnitLinesLoadsUnitsZeroToTwo) {
    const PulseListFile file = parsePulseList(
        "Pulsetype,Duration,Intensity,Pre,Post\r\nBiphasic,0.2,-10,0,9.8\r\nConst,1,5,0,9\r\nBiphasic,0.1,-20,0,99.9\r\n",
        true);
    ASSERT_EQ(file.units.size(), 3u);
    for (int i = 0; i < 3; ++i) EXPECT_EQ(file.units[i].index, i);
    PulseParameters manual;
    EXPECT_EQ(applyPulseList(manual, PulseParameters::kS1, file), 3);
    EXPECT_EQ(manual.PulseConfigS1[1].Pulsetype, "Const");
    EXPECT_EQ(manual.PulseAmplitudeAry.size(), 200u + 200u + 2000u);
}

TEST(PulseListFiles, RefusedUnitStopsTheReadingAndKeepsTheUnitsBefore) {
    const PulseListFile file = parsePulseList(
        "by rep,False,repeat all the time,False\r\nPulsetype,Duration,Intensity,Pre,Post\r\n"
        "Biphasic,0.2,-10,0,9.8\r\nBiphasic,0.2,-10,0,-1\r\nBiphasic,0.2,-10,0,9.8\r\n",
        false);
    PulseParameters step;
    EXPECT_EQ(applyPulseList(step, PulseParameters::kS1, file), 1);
    EXPECT_EQ(step.S1ChAddNum, 1);
}

TEST(PulseListFiles, StepUnitsLongerThanTheTraceStopAtTheEditorsRefusal) {
    // 100 ms units in a 0.25 s trace: the third would make the pattern too long.
    const PulseListFile file = parsePulseList(
        "by rep,False,repeat all the time,True\r\nPulsetype,Duration,Intensity,Pre,Post\r\n"
        "Biphasic,0.2,-10,0,99.8\r\nConst,0.2,-5,0,99.8\r\nBiphasic,0.2,-10,0,99.8\r\n",
        false);
    PulseParameters step;
    stim::StepEditor editor(step, stim::StepKind::Step1);
    editor.setTraceSeconds(0.25);
    std::string alert;
    EXPECT_EQ(setStimLastOneMemory(editor, PulseParameters::kS2, file, &alert), 2);
    EXPECT_EQ(alert, "A stimulation pattern must be shorter than the record time.");
    ASSERT_EQ(step.S2ChAddNum, 2);
    EXPECT_EQ(step.PulseConfigS2[1].Pulsetype, "Const");
    EXPECT_EQ(step.repeatAll, 1);
}

TEST(PulseListFiles, StepFileIsFlagLineHeaderAndUnitsWithCrLf) {
    testfiles::TempDir dir;
    PulseParameters step;
    step.setPulses(PulseParameters::kS1, {pulse("Biphasic", "0.2", "-10", "0", "99.8")});
    step.addIncrementByRepS1 = 1;
    ASSERT_TRUE(saveStimF1(dir.file("s1.csv"), step));
    EXPECT_EQ(slurp(dir.file("s1.csv")),
              "by rep,True,repeat all the time,False\r\nPulsetype,Duration,Intensity,Pre,Post\r\n"
              "Biphasic,0.2,-10,0,99.8\r\n");
}

TEST(SettingsMemory, RoundTripRestoresEveryKeyAndAllSixLists) {
    testfiles::TempDir dir;
    SettingsValues saved = SettingsValues::defaults();
    const char* nonDefault[] = {"10000", "7", "1", "2", "3", "0", "5", "30", "100", "None", "0.1", "2500", "CSV",
                                "CSV"};
    for (std::size_t i = 0; i < std::size(nonDefault); ++i) saved.set(static_cast<SettingKey>(i), nonDefault[i]);
    for (SettingKey k : {SettingKey::RawAutoscale, SettingKey::SelectedRawAutoscale, SettingKey::SelectedFreqAutoscale,
                         SettingKey::Step1Enable, SettingKey::Step2Enable, SettingKey::ReplayMode})
        saved.setFlag(k, true);
    for (SettingKey k : {SettingKey::RawDuration, SettingKey::RawVoltage, SettingKey::SelectedRawDuration})
        saved.set(k, "1000");
    saved.set(SettingKey::Step2F, "S2");
    saved.setInteger(SettingKey::Mode, 3);
    const EvokedWindows windows{5, 0.5, 0.8, 1.2, 20, 1.25, 2.75, 0.6};
    setEvokedWindows(saved, windows);
    saved.setInteger(SettingKey::SlopeMeasure, 2);
    saved.setInteger(SettingKey::SlopeBaselineTraces, 25);
    saved.setInteger(SettingKey::SlopeAbsolute, 1);
    saved.set(SettingKey::RawYMax, "0.25");
    saved.set(SettingKey::FreqYMin, "-3");
    saved.set(SettingKey::Delay, "Slow");
    saved.setInteger(SettingKey::SelectCh, 15);
    for (int e = 0; e < 3; ++e)
        for (int b = 0; b < 8; ++b)
            saved.set(editorKey(static_cast<StepEditor>(e), static_cast<EditorBox>(b)),
                      b == static_cast<int>(EditorBox::Pulse) ? "Const" : std::to_string(e * 10 + b + 1));
    saved.setColour(ViewColour::Back, {1, 2, 3});
    saved.setColour(ViewColour::Line, {40, 50, 60});
    saved.setColour(ViewColour::Grid, {255, 0, 128});
    saved.setInteger(SettingKey::StepFilter, -1);
    saved.set(SettingKey::UIType, "A");
    saved.set(SettingKey::RawUpYUnit, "mV");
    saved.set(SettingKey::EpXUnit, "min");
    saved.set(SettingKey::Device, "Simulated");

    PulseParameters programs[3];
    for (int p = 0; p < 3; ++p) {
        programs[p].setPulses(PulseParameters::kS1, {pulse("Biphasic", "0.2", std::to_string(-p - 1).c_str(), "0", "9.8")});
        programs[p].setPulses(PulseParameters::kS2, {pulse("Const", "1", "5", "1", "8"), pulse("Biphasic", "0.7", "-3", "0", "1")});
        programs[p].S1Ch = p;
        programs[p].S2Ch = 15 - p;
        programs[p].autoincrementS1 = std::to_string(p + 2);
        programs[p].autoincrementS2 = std::to_string(p + 7);
    }
    programs[0].addIncrementByRepS2 = 1;
    programs[1].repeatAll = 1;
    takeFromPrograms(saved, programs[0], programs[1], programs[2]);
    std::string error;
    ASSERT_TRUE(saveSettings(dir.file(""), saved, programs[0], programs[1], programs[2], &error)) << error;

    const LoadedSettings loaded = loadSettings(dir.file(""));
    for (const SettingKeyInfo& info : settingKeys()) {
        if (info.rule == ValueRule::WriteOnly) continue;
        EXPECT_EQ(loaded.values.get(info.id), saved.get(info.id)) << info.name;
        EXPECT_EQ(loaded.values.from(info.id), SettingSource::Store) << info.name;
    }
    EXPECT_EQ(SettingsStore::open(settingsStorePath(dir.file(""))).value("Data format"), "CSV");
    EXPECT_EQ(evokedWindows(loaded.values), windows);

    PulseParameters restored[3];
    applyToPrograms(loaded.values, restored[0], restored[1], restored[2]);
    for (const PulseListInfo& info : pulseLists())
        applyPulseList(restored[info.step], info.f, loaded.lists[static_cast<std::size_t>(info.id)]);
    for (int p = 0; p < 3; ++p) {
        for (int f : {PulseParameters::kS1, PulseParameters::kS2}) {
            ASSERT_EQ(restored[p].pulses(f).size(), programs[p].pulses(f).size());
            for (std::size_t u = 0; u < programs[p].pulses(f).size(); ++u) {
                const PulseConfigs& a = restored[p].pulses(f)[u];
                const PulseConfigs& b = programs[p].pulses(f)[u];
                EXPECT_EQ(a.Pulsetype + a.Duration + a.Intensity + a.Pre + a.Post,
                          b.Pulsetype + b.Duration + b.Intensity + b.Pre + b.Post);
            }
            EXPECT_EQ(restored[p].samples(f), programs[p].samples(f));
        }
        EXPECT_EQ(restored[p].S1Ch, p);
        EXPECT_EQ(restored[p].S2Ch, 15 - p);
        EXPECT_EQ(restored[p].autoincrementS1, std::to_string(p + 2));
        EXPECT_EQ(restored[p].autoincrementS2, std::to_string(p + 7));
    }
    EXPECT_EQ(restored[0].addIncrementByRepS2, 1);
    EXPECT_EQ(restored[0].addIncrementByRepS1, 0);
    EXPECT_EQ(restored[1].repeatAll, 1);
    EXPECT_EQ(restored[0].repeatAll, 0);
    EXPECT_EQ(loaded.values.colour(ViewColour::Grid), (Rgb{255, 0, 128}));
}

TEST(SettingsStore, TruncatedStoreStartsWithDefaultsAndIsKeptAside) {
    testfiles::TempDir dir;
    const std::string path = dir.file(kSettingsFileName);
    const std::string truncated = storeWith("Min", "5").substr(0, 70);
    spit(path, truncated);
    const LoadedSettings loaded = loadSettings(dir.file(""));
    EXPECT_TRUE(loaded.storeDamaged);
    EXPECT_EQ(loaded.values.get(SettingKey::Min), "20");
    EXPECT_FALSE(fs::exists(path));
    EXPECT_EQ(slurp(path + kDamagedStoreSuffix), truncated);
    ASSERT_FALSE(loaded.console.empty());
    EXPECT_NE(loaded.console.front().find(".bad"), std::string::npos);
}

TEST(SettingsStore, NotXmlLeftInPlaceWhenAskedAndNeverOverwritten) {
    testfiles::TempDir dir;
    const std::string path = dir.file(kSettingsFileName);
    spit(path, "Min=5\n");
    SettingsStore store = SettingsStore::open(path, SettingsStore::Damaged::LeaveInPlace);
    EXPECT_TRUE(store.damaged());
    store.add("Min", "7");
    EXPECT_FALSE(store.save());
    EXPECT_EQ(slurp(path), "Min=5\n");
}

TEST(SettingsStore, SaveInterruptedAfterTheTemporaryFileLeavesThePreviousStore) {
    testfiles::TempDir dir;
    const std::string path = dir.file(kSettingsFileName);
    SettingsStore first = SettingsStore::open(path);
    first.add("Min", "5");
    ASSERT_TRUE(first.save());

    SettingsStore second = SettingsStore::open(path);
    second.remove("Min");
    second.add("Min", "9");
    std::string temp;
    EXPECT_FALSE(second.save(nullptr, [&](const std::string& t) {
        temp = t;
        return false;  // the program dies here
    }));
    EXPECT_TRUE(fs::exists(temp));
    const SettingsStore after = SettingsStore::open(path);
    EXPECT_FALSE(after.damaged());
    EXPECT_EQ(after.value("Min"), "5");
}

TEST(SettingsStore, FullDiskLeavesThePreviousStoreWhole) {
    testfiles::TempDir dir;
    const std::string path = dir.file(kSettingsFileName);
    SettingsStore store = SettingsStore::open(path);
    store.add("Min", "5");
    ASSERT_TRUE(store.save());
    const std::string before = slurp(path);
    for (int i = 0; i < 200; ++i) store.add("Key" + std::to_string(i), "a long enough value to pass the cap");
    std::string error;
    {
        FileSizeLimit cap(before.size() + 100);
        EXPECT_FALSE(store.save(&error));
    }
    EXPECT_FALSE(error.empty());
    EXPECT_EQ(slurp(path), before);
    for (const auto& entry : fs::directory_iterator(dir.file(""))) EXPECT_EQ(entry.path().filename(), kSettingsFileName);
}

TEST(SettingsMemory, LoadingRunsItsPassesInOrder) {
    struct Recorder : SettingsTarget {
        std::vector<std::string> calls;
        void applySetting(SettingKey key, const std::string&) override {
            calls.push_back(std::string(keyInfo(key).name));
        }
        void applyPulseList(PulseList list, const PulseListFile&) override {
            calls.push_back(std::string(pulseListInfo(list).fileName));
        }
        void stepListsLoaded(int step) override { calls.push_back("step " + std::to_string(step)); }
        void applyLoaded(const SettingsValues&) override { calls.push_back("apply"); }
    } target;
    initialSettingLastOneMemory(LoadedSettings{SettingsValues::defaults(), {}, false, {}}, target);
    const std::vector<std::string> head(target.calls.begin(), target.calls.begin() + 14);
    EXPECT_EQ(head, (std::vector<std::string>{"Input Range", "Trace", "Hours", "Min", "Sec", "Step1 S1 Stim.csv",
                                              "Step1 S2 Stim.csv", "step 0", "Step2 S1 Stim.csv",
                                              "Step2 S2 Stim.csv", "step 1", "StepM S1 Stim.csv",
                                              "StepM S2 Stim.csv", "Hours Interval"}));
    EXPECT_EQ(target.calls.back(), "apply");
    EXPECT_EQ(std::count(target.calls.begin(), target.calls.end(), "Data format"), 0);
    EXPECT_EQ(target.calls.size(), 5 + 6 + 2 + (kSettingKeyCount - 5 - 1) + 1);
}

TEST(SettingsMemory, OnlyCustomAsksToSave) {
    EXPECT_STREQ(closeQuestion("Custom"), "Would you like to save the current settings?");
    EXPECT_EQ(closeQuestion("Straight pacing"), nullptr);
}

TEST(SettingsFolder, FollowsTheConfigurationHome) {
    EXPECT_EQ(settingsFolderFor("/cfg", "/home/u"), "/cfg/Korin16");
    EXPECT_EQ(settingsFolderFor(nullptr, "/home/u"), "/home/u/.config/Korin16");
    EXPECT_EQ(settingsFolderFor("relative", "/home/u"), "/home/u/.config/Korin16");
    setSettingsFolderOverride("/elsewhere");
    EXPECT_EQ(settingsFolder(), "/elsewhere");
    setSettingsFolderOverride("");
}

struct DeviceCase {
    const char* setting;
    const char* description;
};

class DeviceSetting : public ::testing::TestWithParam<DeviceCase> {};

TEST_P(DeviceSetting, ChoosesTheDeviceItNames) {
    DeviceChoiceOptions options;
    options.niLibraryNames = {"libkorin16-no-such-driver.so"};
    options.simulationRealTime = false;
    const DeviceChoice choice = chooseDevice(devicePreferenceFromText(GetParam().setting), options);
    EXPECT_EQ(choice.description.rfind(GetParam().description, 0), 0u) << choice.description;
    EXPECT_NE(choice.driver, nullptr);
}

INSTANTIATE_TEST_SUITE_P(Choices, DeviceSetting,
                         ::testing::Values(DeviceCase{"Simulated", "Simulated Dev1 (chosen"},
                                           DeviceCase{"NI-DAQmx", "Simulated Dev1 (NI-DAQmx chosen but not found"},
                                           DeviceCase{"Unknown", "Simulated Dev1 (no real recording)"}));
