// libFuzzer target: arbitrary bytes as the settings store and one pulse list,
// through the loading the window and the command-line tool share: pugixml's
// parse, the key table's rules, the four passes, and the pulse list's units
// through the step editor's setStepF. Besides crashes and sanitizer reports,
// it traps on a broken promise of the loading:
//   - every value read is a fixed point of its key's rule (written back and
//     read again, it is the same value from the store);
//   - every unit that reaches a program is a "Biphasic" or "Const" pulse within
//     the stimulator's ±100 µA;
//   - a program's list written as its file and parsed again gives the same units.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "acquisition/number_text.h"
#include "files/settings_memory.h"
#include "files/text_encoding.h"
#include "memory_file.h"
#include "settings_fuzz_input.h"
#include "stimulation/pulse_parameters.h"
#include "stimulation/step_editor.h"

namespace {

using korin::SettingKey;

void check(bool promise) {
    if (!promise) __builtin_trap();
}

// The window's side of the loading without controls: the editors' state takes
// what the window's controls would.
class Target : public korin::SettingsTarget {
public:
    PulseParameters programs[3];
    stim::StepEditor editors[3] = {{programs[0], stim::StepKind::Step1},
                                   {programs[1], stim::StepKind::Step2},
                                   {programs[2], stim::StepKind::Manual}};
    double traceSeconds = 0;

    void applySetting(SettingKey key, const std::string& value) override {
        auto number = [&] { return korin::parseDouble(value).value_or(0.0); };
        switch (key) {
            case SettingKey::Hours: traceSeconds += number() * 3600; return;
            case SettingKey::Min: traceSeconds += number() * 60; return;
            case SettingKey::Sec: traceSeconds += number(); return;
            case SettingKey::Step1F:
            case SettingKey::Step2F:
            case SettingKey::StepMF: {
                const int step = static_cast<int>(key) - static_cast<int>(SettingKey::Step1F);
                editors[step].selectOutput(value == "S2" ? PulseParameters::kS2 : PulseParameters::kS1);
                return;
            }
            default: break;
        }
        for (int step = 0; step < 3; ++step) {
            const auto editor = static_cast<korin::StepEditor>(step);
            stim::StepTabState& tab = editors[step].tab;
            if (key == korin::editorKey(editor, korin::EditorBox::Unit))
                editors[step].selectUnit(korin::parseInt32(value).value_or(0));
            else if (key == korin::editorKey(editor, korin::EditorBox::Pulse))
                tab.fields.Pulsetype = value;
            else if (key == korin::editorKey(editor, korin::EditorBox::AutoIncrement))
                tab.increment = value;
        }
    }
    void applyPulseList(korin::PulseList list, const korin::PulseListFile& file) override {
        const korin::PulseListInfo& info = korin::pulseListInfo(list);
        stim::StepEditor& editor = editors[info.step];
        editor.setTraceSeconds(traceSeconds);
        korin::setStimLastOneMemory(editor, info.f, file);
    }
    void applyLoaded(const korin::SettingsValues& values) override {
        korin::applyToPrograms(values, programs[0], programs[1], programs[2]);
        for (PulseParameters& p : programs) {
            stim::programProblem(p);
            for (int f : {PulseParameters::kS1, PulseParameters::kS2}) p.parseAutoIncrement(f);
        }
    }
};

void checkValuesAreFixedPoints(const korin::SettingsValues& values) {
    korin::SettingsStore again;
    korin::writeSettings(again, values);
    const korin::SettingsValues reread = korin::readSettings(again);
    for (const korin::SettingKeyInfo& info : korin::settingKeys()) {
        if (info.rule == korin::ValueRule::WriteOnly) continue;
        check(reread.get(info.id) == values.get(info.id));
        check(reread.from(info.id) == korin::SettingSource::Store);
    }
}

void checkUnits(const PulseParameters& program, int f, bool manual) {
    for (const PulseConfigs& p : program.pulses(f)) {
        check(p.Pulsetype == PulseConfigs::kBiphasic || p.Pulsetype == PulseConfigs::kConst);
        const auto intensity = stim::parseFloat32(p.Intensity);
        check(intensity && std::fabs(*intensity) <= stim::kIntensityLimitUa);
    }
    const std::string text =
        manual ? korin::manualPulseListText(program, f) : korin::stepPulseListText(program, f);
    const korin::PulseListFile reread = korin::parsePulseList(text, manual);
    check(reread.error.empty());
    check(reread.units.size() == program.pulses(f).size());
    for (std::size_t i = 0; i < reread.units.size(); ++i) {
        const PulseConfigs& a = reread.units[i].pulse;
        const PulseConfigs& b = program.pulses(f)[i];
        check(a.Pulsetype == b.Pulsetype && a.Duration == b.Duration && a.Intensity == b.Intensity &&
              a.Pre == b.Pre && a.Post == b.Post);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const fuzzinput::SettingsInput in =
        fuzzinput::split(std::string_view(reinterpret_cast<const char*>(data), size));
    MemoryFile storeFile(reinterpret_cast<const std::uint8_t*>(in.store.data()), in.store.size());
    if (!storeFile.ok()) return 0;

    korin::LoadedSettings loaded;
    const korin::SettingsStore store =
        korin::SettingsStore::open(storeFile.path(), korin::SettingsStore::Damaged::LeaveInPlace);
    loaded.values = korin::readSettings(store, &loaded.console);
    checkValuesAreFixedPoints(loaded.values);

    const korin::PulseListInfo& info = korin::pulseLists()[in.steer % korin::kPulseListCount];
    loaded.lists[static_cast<std::size_t>(info.id)] =
        korin::parsePulseList(korin::fromShiftJis(in.pulseList), info.manual, info.fileName);

    Target target;
    korin::initialSettingLastOneMemory(loaded, target);
    for (int step = 0; step < 3; ++step)
        for (int f : {PulseParameters::kS1, PulseParameters::kS2}) checkUnits(target.programs[step], f, step == 2);
    return 0;
}
