#include "files/file_naming.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "files/settings_summary.h"
#include "files/text_encoding.h"

namespace fs = std::filesystem;

namespace {

const StartDateTime kStart{2022, 1, 31, 9, 5, 3, 250};

std::string readAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

SettingsSummary exampleSummary() {
    SettingsSummary s;
    s.start = kStart;
    s.repeat = "3";
    s.hours = "0";
    s.minutes = "0";
    s.seconds = "1.0";
    s.intervalHours = "0";
    s.intervalMinutes = "0";
    s.intervalSeconds = "3";
    s.inputRange = "2000";
    s.highpass = "None";
    s.lowpass = "5000";
    s.conversionFactor = 1.0 / 16384;
    return s;
}

// The exact bytes of exampleSummary(): fullwidth colon 0x81 0x46, CR LF between lines.
const std::string kExampleBytes =
    "Start time \x81\x46 2022/01/31/09h 05m 03s\r\n"
    "Repeat number \x81\x46 3\r\n"
    "Recording time \x81\x46 0h 0m 1.0s\r\n"
    "Interval time \x81\x46 0h 0m 3s\r\n"
    "Input range (uV) \x81\x46 2000\r\n"
    "Highpass filter (Hz) \x81\x46 None\r\n"
    "Lowpass filter (Hz) \x81\x46 5000\r\n"
    "Conversion factor (mV) \x81\x46 0.0000610352";

struct SummaryFileFixture : ::testing::Test {
    fs::path dir;
    void SetUp() override {
        dir = fs::path(::testing::TempDir()) /
              ("summary_" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
        fs::remove_all(dir);
        fs::create_directories(dir);
    }
    void TearDown() override { fs::remove_all(dir); }
};

}  // namespace

TEST(FileNaming, TimeStampTextPadsEveryPartButTheYearToTwoDigits) {
    EXPECT_EQ(timeStampText(kStart), "20220131_09h05m03s");
    EXPECT_EQ(timeStampText({2023, 12, 1, 23, 59, 0, 0}), "20231201_23h59m00s");
}

TEST(FileNaming, RecordingFileIsFolderStampAddedTextAndExtension) {
    EXPECT_EQ(recordingFilePath("/data/rec", "20220131_09h05m03s", "_slice2"),
              "/data/rec/20220131_09h05m03s_slice2.pldat");
    EXPECT_EQ(recordingFilePath("/data/rec", "20220131_09h05m03s", ""), "/data/rec/20220131_09h05m03s.pldat");
}

TEST(FileNaming, ManualStimulationFileHasAnUnderscoreBeforeTheAddedText) {
    EXPECT_EQ(manualFilePath("/data/rec", "20220131_09h07m00s", "slice2"),
              "/data/rec/20220131_09h07m00s_slice2_Manual Stim.pldat");
    EXPECT_EQ(manualFilePath("/data/rec", "20220131_09h07m00s", ""),
              "/data/rec/20220131_09h07m00s__Manual Stim.pldat");
}

TEST(FileNaming, SettingsFileSharesTheRecordingStem) {
    EXPECT_EQ(settingsFilePath("/data/rec", "20220131_09h05m03s", "_a"), "/data/rec/20220131_09h05m03s_a_settings.txt");
}

TEST(FileNaming, SummaryOfANumberedDataFileKeepsItsNumber) {
    EXPECT_EQ(settingsPathForData("/d/20220131_09h05m03s_a.pldat"), "/d/20220131_09h05m03s_a_settings.txt");
    EXPECT_EQ(settingsPathForData("/d/20220131_09h05m03s_a_2.pldat"), "/d/20220131_09h05m03s_a_2_settings.txt");
}

TEST(FileNaming, FolderEndingInASeparatorIsNotGivenASecondOne) {
    EXPECT_EQ(joinPath("/data/rec/", "x.pldat"), "/data/rec/x.pldat");
    EXPECT_EQ(joinPath("/data/rec", "x.pldat"), "/data/rec/x.pldat");
}

TEST(FileNaming, NumberedNameGoesBeforeTheExtension) {
    EXPECT_EQ(numberedPath("/d/20220131_09h05m03s.pldat", 1), "/d/20220131_09h05m03s.pldat");
    EXPECT_EQ(numberedPath("/d/20220131_09h05m03s.pldat", 2), "/d/20220131_09h05m03s_2.pldat");
    EXPECT_EQ(numberedPath("/d/x_Manual Stim.pldat", 3), "/d/x_Manual Stim_3.pldat");
    EXPECT_EQ(numberedPath("/d.v/noext", 2), "/d.v/noext_2");
}

TEST(SettingsSummary, ConversionFactorHasExactlyTenDecimals) {
    EXPECT_EQ(conversionFactorText(1.0 / 16384), "0.0000610352");
    EXPECT_EQ(conversionFactorText(1.0 / 3276.8), "0.0003051758");
}

TEST(SettingsSummary, StartTimeLineUsesThePaddedPartsWithSlashesAndUnits) {
    EXPECT_EQ(summaryStartTimeText(kStart), "2022/01/31/09h 05m 03s");
}

TEST(SettingsSummary, TextIsShiftJisWithCrLfBetweenLinesAndNoneAfterTheLast) {
    EXPECT_EQ(korin::toShiftJis(settingsSummaryText(exampleSummary())), kExampleBytes);
}

TEST(SettingsSummary, CharactersShiftJisLacksBecomeQuestionMarks) {
    EXPECT_EQ(korin::toShiftJis("\xEF\xBC\x9A"), "\x81\x46");                  // fullwidth colon
    EXPECT_EQ(korin::toShiftJis("\xE6\x97\xA5\xE6\x9C\xAC"), "\x93\xFA\x96\x7B");  // two kanji
    EXPECT_EQ(korin::toShiftJis("a\xC2\xB5" "b"), "a?b");                        // micro sign
    EXPECT_EQ(korin::toShiftJis("a\xFF" "b"), "a?b");                            // not UTF-8
    EXPECT_EQ(korin::toShiftJis("a\xE6\x97"), "a?");                             // cut-off sequence
}

TEST_F(SummaryFileFixture, SummaryFileHoldsExactlyTheShiftJisBytes) {
    const std::string path = (dir / "s_settings.txt").string();
    ASSERT_TRUE(appendSettingsSummary(path, exampleSummary()));
    EXPECT_EQ(readAll(path), kExampleBytes);
}

TEST_F(SummaryFileFixture, AppendingToAnExistingSummaryContinuesItsLastLine) {
    const std::string path = (dir / "s_settings.txt").string();
    ASSERT_TRUE(appendSettingsSummary(path, exampleSummary()));
    ASSERT_TRUE(appendSettingsSummary(path, exampleSummary()));
    EXPECT_EQ(readAll(path), kExampleBytes + kExampleBytes);
    EXPECT_NE(readAll(path).find("0.0000610352Start time"), std::string::npos);
}

TEST_F(SummaryFileFixture, UnopenableSummaryIsReportedWithItsReason) {
    std::string error;
    EXPECT_FALSE(appendSettingsSummary((dir / "missing" / "s_settings.txt").string(), exampleSummary(), &error));
    EXPECT_NE(error.find("No such file or directory"), std::string::npos);
}

TEST_F(SummaryFileFixture, FullDiskWhileWritingTheSummaryIsReported) {
    std::string error;
    EXPECT_FALSE(appendSettingsSummary("/dev/full", exampleSummary(), &error));
    EXPECT_NE(error.find("No space left on device"), std::string::npos);
}
