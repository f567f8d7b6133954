// The protocol presets: what a preset sets, what its store keeps across
// switches, and the pattern lengths of the factory protocols.
#include <gtest/gtest.h>

#include "stimulation/easy_settings.h"

using easy::Preset;

namespace {

PresetState choose(std::initializer_list<const char*> names) {
    PresetState state;
    EasySettingsPresets presets;
    for (const char* name : names) presets.comboBoxEasySettings_SelectedIndexChanged(name, state);
    return state;
}

}  // namespace

TEST(EasySettings, EpBaselineFromCustom) {
    const PresetState s = choose({"EP - baseline"});
    EXPECT_TRUE(s.tabs[0].enabled);
    EXPECT_FALSE(s.tabs[1].enabled);
    for (int f : {PulseParameters::kS1, PulseParameters::kS2}) {
        ASSERT_EQ(s.step1.pulses(f).size(), 1u);
        EXPECT_EQ(s.step1.pulses(f)[0].Duration, "0.2");
        EXPECT_EQ(s.step1.pulses(f)[0].Post, "99.8");
    }
    EXPECT_EQ(s.step1.S1Ch, 0);  // electrode "1"
    EXPECT_EQ(s.step1.S2Ch, -1);
    EXPECT_EQ(s.tabs[0].redButton, 0);
    EXPECT_EQ(s.hours + "/" + s.minutes + "/" + s.seconds, "0/0/0.1");
    EXPECT_EQ(s.intervalHours + "/" + s.intervalMinutes + "/" + s.intervalSeconds, "0/0/20");
    EXPECT_EQ(s.trace, "1000");
    EXPECT_EQ(s.Mode, 1);
    EXPECT_EQ(s.timeLineXMax, "0.10000");
    EXPECT_EQ(s.tabs[0].unitCount, 1);
}

TEST(EasySettings, EditsAreKeptPerPresetAcrossSwitches) {
    PresetState state;
    EasySettingsPresets presets;
    presets.comboBoxEasySettings_SelectedIndexChanged("LTP - HFS", state);
    std::vector<PulseConfigs> list = state.step1.PulseConfigS1;
    list.push_back(list.front());
    list.back().Intensity = "-30";
    state.step1.setPulses(PulseParameters::kS1, list);
    presets.comboBoxEasySettings_SelectedIndexChanged("ERP", state);
    EXPECT_EQ(state.step1.PulseConfigS1.size(), 11u);
    presets.comboBoxEasySettings_SelectedIndexChanged("LTP - HFS", state);
    ASSERT_EQ(state.step1.PulseConfigS1.size(), 2u);
    EXPECT_EQ(state.step1.PulseConfigS1[1].Intensity, "-30");
    EXPECT_EQ(state.manual.PulseConfigS1.size(), 100u);
}

TEST(EasySettings, CustomChangesNothingAndStoresThePreviousPreset) {
    PresetState state;
    EasySettingsPresets presets;
    presets.comboBoxEasySettings_SelectedIndexChanged("Spontaneous", state);
    state.trace = "5";
    state.RawXaxis = "1000";
    presets.comboBoxEasySettings_SelectedIndexChanged("Custom", state);
    EXPECT_EQ(state.trace, "5");
    EXPECT_EQ(state.RawXaxis, "1000");
    EXPECT_EQ(state.minutes, "20");  // 1200 s
    EXPECT_EQ(presets.EasySettingPreName(), "Custom");
    const SaveEasySettings& kept = presets.store(Preset::Spontaneous);
    EXPECT_EQ(kept.aftersave, 1);
    EXPECT_EQ(kept.trace, 5);
    EXPECT_EQ(kept.tracetime, 1200.0);
    EXPECT_EQ(kept.oscilloX, "1000");
    EXPECT_EQ(presets.store(Preset::EpBaseline).aftersave, 0);
}

TEST(EasySettings, IoCurveSetsByRepAndIncrementsOnBothSteps) {
    const PresetState s = choose({"EP - IO curve"});
    for (const PulseParameters* step : {&s.step1, &s.step2}) {
        EXPECT_EQ(step->addIncrementByRepS1, 1);
        EXPECT_EQ(step->addIncrementByRepS2, 1);
        EXPECT_EQ(step->autoincrementS1, "1");
        EXPECT_EQ(step->autoincrementS2, "1");
    }
    EXPECT_EQ(s.tabs[0].increment, "1");
    EXPECT_EQ(s.tabs[1].increment, "1");
    EXPECT_EQ(s.tabs[0].output, PulseParameters::kS1);  // its "by rep #" button shows S1's flag
    EXPECT_EQ(s.trace, "90");
}

TEST(EasySettings, StraightPacingShowsTenMinutesWithRepeatAll) {
    const PresetState s = choose({"Straight pacing"});
    EXPECT_EQ(s.hours + "/" + s.minutes + "/" + s.seconds, "0/10/0");
    EXPECT_EQ(s.step1.repeatAll, 1);
    EXPECT_EQ(s.step2.repeatAll, 1);
    EXPECT_EQ(s.hpf, "0.1");
}

struct RestoreCase {
    const char *hours, *minutes, *seconds, *shown;
};

class RestoredSeconds : public ::testing::TestWithParam<RestoreCase> {};

TEST_P(RestoredSeconds, ShowOneDecimal) {
    PresetState state;
    EasySettingsPresets presets;
    presets.comboBoxEasySettings_SelectedIndexChanged("EP - culture", state);
    state.hours = GetParam().hours;
    state.minutes = GetParam().minutes;
    state.seconds = GetParam().seconds;
    presets.comboBoxEasySettings_SelectedIndexChanged("ERP", state);
    presets.comboBoxEasySettings_SelectedIndexChanged("EP - culture", state);
    EXPECT_EQ(state.seconds, GetParam().shown);
}

INSTANTIATE_TEST_SUITE_P(Times, RestoredSeconds,
                         ::testing::Values(RestoreCase{"0", "0", "0.1", "0.1"}, RestoreCase{"1", "0", "0.7", "0.7"},
                                           RestoreCase{"0", "2", "3.14", "3.1"}));

struct PatternCase {
    const char* preset;
    int program;  // 0 Step 1, 2 Manual
    int f;
    std::size_t samples;
};

class PresetPattern : public ::testing::TestWithParam<PatternCase> {};

TEST_P(PresetPattern, HasItsSampleCount) {
    const PresetState s = choose({GetParam().preset});
    const PulseParameters& p = GetParam().program == 0 ? s.step1 : s.manual;
    EXPECT_EQ(p.samples(GetParam().f).size(), GetParam().samples);
}

INSTANTIATE_TEST_SUITE_P(Factory, PresetPattern,
                         ::testing::Values(PatternCase{"EP - baseline", 0, 0, 2000}, PatternCase{"EP - baseline", 0, 1, 2000},
                                           PatternCase{"LTP - HFS", 2, 0, 20000}, PatternCase{"LTP - TBS", 2, 0, 40000},
                                           PatternCase{"Straight pacing", 0, 0, 200000},
                                           PatternCase{"ERP", 0, 0, 200012}));

TEST(EasySettings, EveryPresetSetsTheSharedValues) {
    for (std::size_t i = 1; i < easy::kPresetCount; ++i) {
        const PresetState s = choose({easy::kPresetNames[i].data()});
        EXPECT_EQ(s.inputRange, "10000") << easy::kPresetNames[i];
        EXPECT_EQ(s.hyouziStep, -1) << easy::kPresetNames[i];
        EXPECT_TRUE(s.manual.PulseConfigS2.empty()) << easy::kPresetNames[i];
        EXPECT_FALSE(s.tabs[1].enabled) << easy::kPresetNames[i];
        EXPECT_TRUE(s.Freqauto) << easy::kPresetNames[i];
        EXPECT_EQ(s.lpf, "None") << easy::kPresetNames[i];
    }
}

TEST(EasySettings, UnknownNameChangesNothing) {
    PresetState state;
    EasySettingsPresets presets;
    std::string failure;
    EXPECT_FALSE(presets.comboBoxEasySettings_SelectedIndexChanged("Cardiac", state, &failure));
    EXPECT_FALSE(failure.empty());
    EXPECT_EQ(state.minutes, "20");
    EXPECT_EQ(presets.EasySettingPreName(), "Custom");
}
