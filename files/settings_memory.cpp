#include "files/settings_memory.h"

#include "acquisition/alert_messages.h"
#include "stimulation/pulse_parameters.h"
#include "stimulation/step_editor.h"

namespace korin {

namespace {

constexpr std::string_view kCustom = "Custom";

void applyPass(const SettingsValues& values, LoadPass pass, SettingsTarget& target) {
    for (const SettingKeyInfo& info : settingKeys())
        if (info.pass == pass && info.rule != ValueRule::WriteOnly) target.applySetting(info.id, values.get(info.id));
}

}  // namespace

LoadedSettings loadSettings(const std::string& folder, SettingsStore::Damaged damaged) {
    LoadedSettings loaded;
    const SettingsStore store = SettingsStore::open(settingsStorePath(folder), damaged);
    loaded.storeDamaged = store.damaged();
    if (store.damaged()) loaded.console.push_back(store.message());
    loaded.lists = readPulseLists(folder);
    for (const PulseListFile& file : loaded.lists)
        if (!file.error.empty()) loaded.console.push_back(std::string(kStimLastOneError) + file.error);
    loaded.values = readSettings(store, &loaded.console);
    return loaded;
}

void initialSettingLastOneMemory(const LoadedSettings& loaded, SettingsTarget& target) {
    applyPass(loaded.values, LoadPass::First, target);
    for (const PulseListInfo& info : pulseLists()) {
        target.applyPulseList(info.id, loaded.lists[static_cast<std::size_t>(info.id)]);
        if (!info.manual && info.f == PulseParameters::kS2) target.stepListsLoaded(info.step);
    }
    applyPass(loaded.values, LoadPass::Second, target);
    target.applyLoaded(loaded.values);
}

int setStimLastOneMemory(stim::StepEditor& editor, int f, const PulseListFile& file, std::string* alert) {
    editor.selectOutput(f);
    const int added =
        applyPulseList(editor.program(), f, file, [&](std::int32_t unitIndex, const PulseConfigs& pulse) {
            const stim::EditResult r = editor.setStepF(f, pulse, std::to_string(unitIndex), "1");
            if (r.alert.empty()) return 1;
            if (alert) *alert = r.alert;
            return 0;
        });
    editor.selectOutput(editor.tab.output);
    return added;
}

void applyToPrograms(const SettingsValues& values, PulseParameters& step1, PulseParameters& step2,
                     PulseParameters& manual) {
    PulseParameters* programs[] = {&step1, &step2, &manual};
    for (int e = 0; e < 3; ++e) {
        const auto editor = static_cast<StepEditor>(e);
        PulseParameters& p = *programs[e];
        p.S1Ch = values.integer(electrodeKey(editor, PulseParameters::kS1));
        p.S2Ch = values.integer(electrodeKey(editor, PulseParameters::kS2));
        const std::string& shown = values.get(editorKey(editor, EditorBox::AutoIncrement));
        auto increment = [&](int f) {
            const SettingKey own = incrementKey(editor, f);
            return values.from(own) == SettingSource::Store ? values.get(own) : shown;
        };
        p.autoincrementS1 = increment(PulseParameters::kS1);
        p.autoincrementS2 = increment(PulseParameters::kS2);
    }
}

void takeFromPrograms(SettingsValues& values, const PulseParameters& step1, const PulseParameters& step2,
                      const PulseParameters& manual) {
    const PulseParameters* programs[] = {&step1, &step2, &manual};
    for (int e = 0; e < 3; ++e) {
        const auto editor = static_cast<StepEditor>(e);
        values.setInteger(electrodeKey(editor, PulseParameters::kS1), programs[e]->S1Ch);
        values.setInteger(electrodeKey(editor, PulseParameters::kS2), programs[e]->S2Ch);
        values.set(incrementKey(editor, PulseParameters::kS1), programs[e]->autoincrementS1);
        values.set(incrementKey(editor, PulseParameters::kS2), programs[e]->autoincrementS2);
    }
}

const char* closeQuestion(std::string_view presetName) {
    return presetName == kCustom ? alerts::kSaveSettingsQuestion : nullptr;
}

bool saveSettings(const std::string& folder, const SettingsValues& values, const PulseParameters& step1,
                  const PulseParameters& step2, const PulseParameters& manual, std::string* error) {
    SettingsStore store = SettingsStore::open(settingsStorePath(folder));
    writeSettings(store, values);
    if (!store.save(error)) return false;
    return savePulseLists(folder, step1, step2, manual, error);
}

}  // namespace korin
