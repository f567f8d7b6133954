#include "files/pulse_list_files.h"

#include <filesystem>

#include "files/atomic_file.h"
#include "files/regular_file.h"
#include "files/text_encoding.h"
#include "stimulation/pulse_parameters.h"

namespace korin {

namespace {

constexpr const char* kLineEnd = "\r\n";
constexpr std::string_view kByRep = "by rep";
constexpr std::string_view kRepeatAll = "repeat all the time";
constexpr std::string_view kTrue = "True";
constexpr const char* kColumns = "Pulsetype,Duration,Intensity,Pre,Post";
constexpr std::size_t kUnitFields = stim::kPulseTextFields;
// Step files: flag line, column names, then units; manual files: column names, then units.
constexpr std::int32_t kFirstStepUnitLine = 3;
constexpr std::int32_t kFirstManualUnitLine = 2;

constexpr std::array<PulseListInfo, kPulseListCount> kLists{{
    {PulseList::Step1S1, "Step1 S1 Stim.csv", 0, 0, false},
    {PulseList::Step1S2, "Step1 S2 Stim.csv", 0, 1, false},
    {PulseList::Step2S1, "Step2 S1 Stim.csv", 1, 0, false},
    {PulseList::Step2S2, "Step2 S2 Stim.csv", 1, 1, false},
    {PulseList::ManualS1, "StepM S1 Stim.csv", 2, 0, true},
    {PulseList::ManualS2, "StepM S2 Stim.csv", 2, 1, true},
}};

std::vector<std::string_view> split(std::string_view line) {
    std::vector<std::string_view> fields;
    std::size_t start = 0;
    for (;;) {
        const std::size_t comma = line.find(',', start);
        fields.push_back(line.substr(start, comma == std::string_view::npos ? std::string_view::npos : comma - start));
        if (comma == std::string_view::npos) return fields;
        start = comma + 1;
    }
}

const char* flagText(bool on) { return on ? "True" : "False"; }

std::string unitLines(const std::vector<PulseConfigs>& list) {
    std::string text;
    for (const PulseConfigs& p : list)
        text += p.Pulsetype + "," + p.Duration + "," + p.Intensity + "," + p.Pre + "," + p.Post + kLineEnd;
    return text;
}

bool saveText(const std::string& path, const std::string& utf8, std::string* error) {
    return writeFileAtomically(path, toShiftJis(utf8), error);
}

}  // namespace

const std::array<PulseListInfo, kPulseListCount>& pulseLists() { return kLists; }
const PulseListInfo& pulseListInfo(PulseList list) { return kLists[static_cast<std::size_t>(list)]; }

std::string pulseListPath(const std::string& folder, PulseList list) {
    return (std::filesystem::path(folder) / pulseListInfo(list).fileName).string();
}

PulseListFile parsePulseList(std::string_view text, bool manual, std::string_view source) {
    PulseListFile file;
    file.status = ListStatus::Read;
    const std::int32_t firstUnitLine = manual ? kFirstManualUnitLine : kFirstStepUnitLine;
    std::int32_t lineNumber = 0;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string_view::npos) end = text.size();
        std::string_view line = text.substr(start, end - start);
        start = end + 1;
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        ++lineNumber;
        const std::vector<std::string_view> f = split(line);
        if (lineNumber >= firstUnitLine && f.size() == kUnitFields) {
            if (std::string problem = stim::pulseTextProblem(f); !problem.empty()) {
                file.error = std::string(source) + " line " + std::to_string(lineNumber) + ": " + problem;
                break;
            }
            PulseConfigs pulse;
            pulse.setParameter(std::string(f[0]), std::string(f[1]), std::string(f[2]), std::string(f[3]),
                               std::string(f[4]));
            file.units.push_back({lineNumber - firstUnitLine, std::move(pulse)});
            continue;
        }
        if (manual) continue;
        if (f.size() >= 2 && f[0] == kByRep && f[1] == kTrue) file.setsByRep = true;
        if (f.size() >= 4 && f[2] == kRepeatAll && f[3] == kTrue) file.setsRepeatAll = true;
    }
    return file;
}

PulseListFile readPulseListFile(const std::string& path, bool manual) {
    std::string bytes, why;
    switch (readRegularFile(path, &bytes, &why)) {
        case ReadStatus::Read: break;
        case ReadStatus::Missing: {
            PulseListFile missing;
            missing.error = "cannot open " + path + ": No such file or directory";
            return missing;
        }
        case ReadStatus::Failed: {
            PulseListFile broken;
            broken.status = ListStatus::Unreadable;
            broken.error = "cannot read " + path + ": " + why;
            return broken;
        }
    }
    return parsePulseList(fromShiftJis(bytes), manual, path);
}

std::array<PulseListFile, kPulseListCount> readPulseLists(const std::string& folder) {
    std::array<PulseListFile, kPulseListCount> files;
    for (const PulseListInfo& info : kLists)
        files[static_cast<std::size_t>(info.id)] = readPulseListFile(pulseListPath(folder, info.id), info.manual);
    return files;
}

int applyPulseList(PulseParameters& program, int f, const PulseListFile& file, const AddUnit& addUnit) {
    if (file.setsByRep) (f == PulseParameters::kS1 ? program.addIncrementByRepS1 : program.addIncrementByRepS2) = 1;
    if (file.setsRepeatAll) program.repeatAll = 1;
    int added = 0;
    for (const PulseListUnit& unit : file.units) {
        if (addUnit(unit.index, unit.pulse) == 0) break;
        ++added;
    }
    return added;
}

int applyPulseList(PulseParameters& program, int f, const PulseListFile& file) {
    std::vector<PulseConfigs> list = program.pulses(f);
    const int added = applyPulseList(program, f, file, [&](std::int32_t, const PulseConfigs& pulse) {
        list.push_back(pulse);
        if (stim::pulseProblem(pulse).empty() && stim::listSamples(list) <= stim::kMaxSamplesPerOutput) return 1;
        list.pop_back();
        return 0;
    });
    program.setPulses(f, std::move(list));
    return added;
}

std::string stepPulseListText(const PulseParameters& program, int f) {
    std::string text = std::string(kByRep) + "," + flagText(program.incrementsByRep(f)) + "," +
                       std::string(kRepeatAll) + "," + flagText(program.repeatAll != 0) + kLineEnd;
    text += std::string(kColumns) + kLineEnd;
    return text + unitLines(program.pulses(f));
}

std::string manualPulseListText(const PulseParameters& program, int f) {
    return std::string(kColumns) + kLineEnd + unitLines(program.pulses(f));
}

bool saveStimF1(const std::string& path, const PulseParameters& step, std::string* error) {
    return saveText(path, stepPulseListText(step, PulseParameters::kS1), error);
}
bool saveStimF2(const std::string& path, const PulseParameters& step, std::string* error) {
    return saveText(path, stepPulseListText(step, PulseParameters::kS2), error);
}
bool saveStimMF1(const std::string& path, const PulseParameters& manual, std::string* error) {
    return saveText(path, manualPulseListText(manual, PulseParameters::kS1), error);
}
bool saveStimMF2(const std::string& path, const PulseParameters& manual, std::string* error) {
    return saveText(path, manualPulseListText(manual, PulseParameters::kS2), error);
}

bool savePulseLists(const std::string& folder, const PulseParameters& step1, const PulseParameters& step2,
                    const PulseParameters& manual, std::string* error) {
    if (!ensureFolder(folder, error)) return false;
    auto path = [&](PulseList list) { return pulseListPath(folder, list); };
    return saveStimF1(path(PulseList::Step1S1), step1, error) && saveStimF2(path(PulseList::Step1S2), step1, error) &&
           saveStimF1(path(PulseList::Step2S1), step2, error) && saveStimF2(path(PulseList::Step2S2), step2, error) &&
           saveStimMF1(path(PulseList::ManualS1), manual, error) &&
           saveStimMF2(path(PulseList::ManualS2), manual, error);
}

}  // namespace korin
