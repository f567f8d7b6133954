// Loading what a damaged, edited or odd settings folder holds: pulse lists
// that stop at the first line that cannot load as saved, each output's own
// increment, damaged stores kept aside without overwriting an older copy, and
// things that are not files (a FIFO, a device, a folder) refused at once.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <utility>
#include <vector>

#include "file_reader_test_files.h"
#include "files/settings_memory.h"
#include "stimulation/pulse_parameters.h"

using namespace korin;
namespace fs = std::filesystem;

namespace {

void spit(const std::string& path, const std::string& bytes) { std::ofstream(path, std::ios::binary) << bytes; }

std::string slurp(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

std::string storeWith(const std::vector<std::pair<const char*, const char*>>& entries) {
    std::string xml = "<configuration><appSettings>";
    for (const auto& [key, value] : entries)
        xml += std::string("<add key=\"") + key + "\" value=\"" + value + "\"/>";
    return xml + "</appSettings></configuration>";
}

constexpr const char* kStepHead =
    "by rep,False,repeat all the time,False\r\nPulsetype,Duration,Intensity,Pre,Post\r\nBiphasic,0.2,-10,0,99.8\r\n";

struct ListLineCase {
    const char* line;  // line 4 of a step file, after one good unit
    std::size_t units;
    const char* error;
};

class PulseListLine : public ::testing::TestWithParam<ListLineCase> {};

TEST_P(PulseListLine, LoadsAsSavedOrStopsThere) {
    const ListLineCase& c = GetParam();
    const PulseListFile file =
        parsePulseList(std::string(kStepHead) + c.line + "\r\nConst,1,5,0,9\r\n", false, "Step1 S1 Stim.csv");
    EXPECT_EQ(file.units.size(), c.units);
    EXPECT_EQ(file.error, c.error);
    PulseParameters step;
    EXPECT_EQ(applyPulseList(step, PulseParameters::kS1, file), static_cast<int>(c.units));
}

INSTANTIATE_TEST_SUITE_P(
    Lines, PulseListLine,
    ::testing::Values(
        ListLineCase{"biphasic,0.2,-10,0,99.8", 1,
                     "Step1 S1 Stim.csv line 4: the pulse type \"biphasic\" is neither \"Biphasic\" nor \"Const\""},
        ListLineCase{"Biphasic,0.2,-200,0,99.8", 1,
                     "Step1 S1 Stim.csv line 4: the intensity -200 \u00B5A is beyond the stimulator's \u00B1100 \u00B5A"},
        ListLineCase{"Const,0.2,100.5,0,99.8", 1,
                     "Step1 S1 Stim.csv line 4: the intensity 100.5 \u00B5A is beyond the stimulator's \u00B1100 \u00B5A"},
        ListLineCase{"Biphasic,0.2,-1O,0,99.8", 1, "Step1 S1 Stim.csv line 4: the Intensity \"-1O\" is not a number"},
        ListLineCase{"Biphasic,x,-10,0,99.8", 1, "Step1 S1 Stim.csv line 4: the Duration \"x\" is not a number"},
        ListLineCase{"Const,0.2,-100,0,99.8", 3, ""},
        ListLineCase{"Biphasic,0.2,100,0,99.8", 3, ""}));

TEST(PulseListLoading, StoppedListNamesTheFileAndLineOnTheConsole) {
    testfiles::TempDir dir;
    const std::string path = pulseListPath(dir.file(""), PulseList::Step2S2);
    spit(path, std::string(kStepHead) + "biphasic,0.2,-10,0,99.8\r\n");
    const LoadedSettings loaded = loadSettings(dir.file(""));
    const PulseListFile& file = loaded.lists[static_cast<std::size_t>(PulseList::Step2S2)];
    EXPECT_EQ(file.status, ListStatus::Read);
    EXPECT_EQ(file.units.size(), 1u);
    const std::string line = "Stim Last One Error " + path +
                             " line 4: the pulse type \"biphasic\" is neither \"Biphasic\" nor \"Const\"";
    EXPECT_EQ(std::count(loaded.console.begin(), loaded.console.end(), line), 1);
}

struct IncrementCase {
    std::vector<std::pair<const char*, const char*>> store;
    const char* s1;
    const char* s2;
};

class StepIncrements : public ::testing::TestWithParam<IncrementCase> {};

TEST_P(StepIncrements, ReachEachOutputOfStep2) {
    testfiles::TempDir dir;
    spit(dir.file(kSettingsFileName), storeWith(GetParam().store));
    const LoadedSettings loaded = loadSettings(dir.file(""));
    PulseParameters step1, step2, manual;
    applyToPrograms(loaded.values, step1, step2, manual);
    EXPECT_EQ(step2.autoincrementS1, GetParam().s1);
    EXPECT_EQ(step2.autoincrementS2, GetParam().s2);
}

INSTANTIATE_TEST_SUITE_P(
    Stores, StepIncrements,
    ::testing::Values(IncrementCase{{{"textBoxAutoIncrement2", "3"}}, "3", "3"},  // a store of the box text only
                      IncrementCase{{{"textBoxAutoIncrement2", "7"},
                                     {"Step2S1Increment", "2"},
                                     {"Step2S2Increment", "7"}},
                                    "2", "7"},
                      IncrementCase{{{"textBoxAutoIncrement2", "4"}, {"Step2S2Increment", "7"}}, "4", "7"}));

TEST(PulseListLoading, IncrementsOfBothOutputsSurviveASaveAndARestart) {
    testfiles::TempDir dir;
    PulseParameters programs[3];
    programs[0].autoincrementS1 = "2";
    programs[0].autoincrementS2 = "7";
    SettingsValues saved = SettingsValues::defaults();
    saved.set(editorKey(StepEditor::Step1, EditorBox::AutoIncrement), "7");  // S2 shown at close
    takeFromPrograms(saved, programs[0], programs[1], programs[2]);
    ASSERT_TRUE(saveSettings(dir.file(""), saved, programs[0], programs[1], programs[2]));
    PulseParameters restored[3];
    applyToPrograms(loadSettings(dir.file("")).values, restored[0], restored[1], restored[2]);
    EXPECT_EQ(restored[0].autoincrementS1, "2");
    EXPECT_EQ(restored[0].autoincrementS2, "7");
}

TEST(DamagedStore, EveryDamagedStartKeepsItsOwnCopy) {
    testfiles::TempDir dir;
    const std::string path = dir.file(kSettingsFileName);
    const char* damaged[] = {"first", "<configuration><appSettings>", "third"};
    for (const char* bytes : damaged) {
        spit(path, bytes);
        EXPECT_TRUE(loadSettings(dir.file("")).storeDamaged);
    }
    EXPECT_FALSE(fs::exists(path));
    EXPECT_EQ(slurp(path + ".bad"), damaged[0]);
    EXPECT_EQ(slurp(path + ".bad.1"), damaged[1]);
    EXPECT_EQ(slurp(path + ".bad.2"), damaged[2]);
}

// Puts something that is not a regular file at `path`.
using MakeOdd = void (*)(const std::string& path);

struct OddCase {
    const char* what;
    MakeOdd make;
    const char* why;
};

const OddCase kOddThings[] = {
    {"fifo", [](const std::string& p) { ASSERT_EQ(::mkfifo(p.c_str(), 0600), 0); }, "a FIFO, not a file"},
    {"folder", [](const std::string& p) { fs::create_directory(p); }, "a folder, not a file"},
    {"device", [](const std::string& p) { fs::create_symlink("/dev/zero", p); }, "a device, not a file"},
};

class OddStore : public ::testing::TestWithParam<OddCase> {};

// A FIFO would block the start-up for ever in open(); /dev/zero would fill the memory.
TEST_P(OddStore, StartsWithTheDefaultsAtOnce) {
    testfiles::TempDir dir;
    GetParam().make(dir.file(kSettingsFileName));
    const LoadedSettings loaded = loadSettings(dir.file(""), SettingsStore::Damaged::LeaveInPlace);
    EXPECT_TRUE(loaded.storeDamaged);
    EXPECT_EQ(loaded.values.get(SettingKey::Min), "20");
    ASSERT_FALSE(loaded.console.empty());
    EXPECT_NE(loaded.console.front().find(GetParam().why), std::string::npos) << loaded.console.front();
}

class OddPulseList : public ::testing::TestWithParam<OddCase> {};

TEST_P(OddPulseList, IsUnreadableNotMissing) {
    testfiles::TempDir dir;
    const std::string path = pulseListPath(dir.file(""), PulseList::ManualS1);
    GetParam().make(path);
    const PulseListFile file = readPulseListFile(path, true);
    EXPECT_EQ(file.status, ListStatus::Unreadable);
    EXPECT_EQ(file.error, "cannot read " + path + ": " + GetParam().why);
}

INSTANTIATE_TEST_SUITE_P(Kinds, OddStore, ::testing::ValuesIn(kOddThings),
                         [](const auto& info) { return std::string(info.param.what); });
INSTANTIATE_TEST_SUITE_P(Kinds, OddPulseList, ::testing::ValuesIn(kOddThings),
                         [](const auto& info) { return std::string(info.param.what); });

TEST(PulseListLoading, FileWithoutReadPermissionIsUnreadable) {
    if (::geteuid() == 0) GTEST_SKIP() << "permissions do not stop root from reading";
    testfiles::TempDir dir;
    const std::string path = dir.file("Step1 S1 Stim.csv");
    spit(path, kStepHead);
    fs::permissions(path, fs::perms::none);
    EXPECT_EQ(readPulseListFile(path, false).status, ListStatus::Unreadable);
    EXPECT_EQ(readPulseListFile(dir.file("Step1 S2 Stim.csv"), false).status, ListStatus::Missing);
}

}  // namespace
