// Export while replaying: the .bin/.hdr and CSV files byte for byte, the range
// and channels they hold, pause, and files that cannot be created or written.
#include <gtest/gtest.h>

#include <charconv>
#include <cmath>
#include <filesystem>
#include <random>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include "acquisition/alert_messages.h"
#include "files/export_writer.h"
#include "files/file_reader.h"
#include "files/replay_control.h"
#include "tests/engine/file_reader_test_files.h"
#include "tests/engine/file_size_limit.h"

using namespace testfiles;
namespace alerts = korin::alerts;

namespace {

std::string slurp(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

std::int16_t binValue(const std::string& bin, std::size_t index) {
    return static_cast<std::int16_t>(static_cast<unsigned char>(bin[2 * index]) |
                                     (static_cast<unsigned char>(bin[2 * index + 1]) << 8));
}

class ReplayExportTest : public ::testing::Test {
protected:
    void open(int traces, const CountFn& count = identityCount, const char* name = "rec.pldat") {
        RecordingSpec plan;
        plan.traces = traces;
        replay.buttonFileOpen_Click(dir.write(name, recording(plan, count).data));
        ASSERT_TRUE(replay.readerActive);
    }
    void exportAs(const char* format, const char* name = "out") {
        window.texts[ReplayText::DataFormat] = format;
        window.texts[ReplayText::ExportFolder] = dir.file("");
        window.texts[ReplayText::ExportFileName] = name;
        replay.toolStripButtonRec_Click();
    }
    std::string out(const char* extension) const { return slurp(dir.file(std::string("out") + extension)); }

    TempDir dir;
    HeadlessReplayWindow window;
    korin::ChannelLevels levels;
    ReplayControl replay{window, levels};
};

TEST(ExportValues, ShortCountsTruncateTowardZeroAndSaturate) {
    struct Case {
        double mv;
        std::int16_t count;
    };
    for (const Case& c : {Case{-0.5, -8192}, Case{0.00003, 0}, Case{-0.00003, 0}, Case{1.99993896484375, 32767},
                          Case{3.0, 32767}, Case{-3.0, -32768}})
        EXPECT_EQ(ExportWriter::shortCount(c.mv, kCf2000), c.count) << c.mv;
}

TEST(ExportValues, CsvValuesHaveTenDecimals) {
    struct Case {
        double mv;
        const char* text;
    };
    for (const Case& c : {Case{0.012345678949, "0.0123456789"}, Case{-1.0, "-1.0000000000"}, Case{0.0, "0.0000000000"},
                          Case{-0.5, "-0.5000000000"}}) {
        char text[400];
        EXPECT_EQ(std::string(text, ExportWriter::formatCsvValue(text, c.mv)), c.text) << c.mv;
    }
}

TEST(ExportValues, CsvValuesMatchCorrectRoundingOverTheWholeRange) {
    std::mt19937_64 rng(7);
    std::uniform_real_distribution<double> mv(-150.0, 150.0);
    std::uniform_int_distribution<int> count(-32768, 32767);
    char fast[400], exact[400];
    for (int i = 0; i < 200'000; ++i) {
        // Plain values, exact counts of both ranges, and ties at the tenth decimal.
        const double values[] = {mv(rng), count(rng) * kCf2000, count(rng) * 0.00030517578125,
                                 std::round(mv(rng) * 1e10) / 1e10 + 0.5e-10, -1e-12 * (i % 7)};
        for (double v : values) {
            const std::string got(fast, ExportWriter::formatCsvValue(fast, v));
            const std::string want(exact, std::to_chars(exact, exact + sizeof exact, v, std::chars_format::fixed, 10).ptr);
            ASSERT_EQ(got, want) << std::hexfloat << v;
        }
    }
}

TEST_F(ReplayExportTest, ShortOfTwoTracesOfAllChannelsHoldsEveryCountAndTheHeader) {
    open(2);
    exportAs("Short (16 bit)");
    EXPECT_TRUE(window.alerts.empty());
    const std::string bin = out(".bin");
    ASSERT_EQ(bin.size(), 1'280'000u) << "2 x 20 000 scans x 16 x 2 bytes";
    // Unfiltered, every count comes back as recorded: scan k of block n, value j.
    EXPECT_EQ(binValue(bin, 16 * 12345 + 5), identityCount(1, 2345, 5));
    EXPECT_EQ(binValue(bin, 16 * 39999 + 15), identityCount(3, 9999, 15));
    EXPECT_EQ(out(".hdr"),
              "Conversion factor: short to mV,0.00006103515625000000\r\n"
              "Active channels,1,2,3,4,5,6,7,8,9,10,11,12,13,14,15,16");
}

TEST_F(ReplayExportTest, CsvOfChannelsThreeAndSevenHasTheirHeaderAndOneRowPerScan) {
    open(2);
    for (int c = 0; c < 16; ++c)
        if (c != 2 && c != 6) window.channels.buttonChrep_Click(c);
    exportAs("CSV");
    const std::string csv = out(".csv");
    std::istringstream lines(csv);
    std::string header, first;
    std::getline(lines, header);
    std::getline(lines, first);
    EXPECT_EQ(header, "Ch3,Ch7,\r");
    EXPECT_EQ(first, "0.0012207031,0.0036621094,\r") << "counts 2 and 6 of scan 0";
    std::size_t rows = 0;
    for (char ch : csv) rows += ch == '\n';
    EXPECT_EQ(rows, 1u + 40'000u);
}

TEST_F(ReplayExportTest, AQuarterSecondRangeExportsFiveThousandScansPerTrace) {
    open(2);
    window.texts[ReplayText::TimeTo] = "250";
    exportAs("Short (16 bit)");
    EXPECT_EQ(out(".bin").size(), 2u * 5000u * 16u * 2u);
}

TEST_F(ReplayExportTest, AFilteredValueBeyondTheShortRangeSaturates) {
    // A full-scale square wave, 100 scans per half period, through a 100 Hz high-pass.
    open(1, [](int, int k, int) { return static_cast<std::int16_t>((k / 100) % 2 ? 32767 : -32767); });
    window.texts[ReplayText::Highpass] = "100";
    exportAs("Short (16 bit)");
    const std::string bin = out(".bin");
    ASSERT_EQ(bin.size(), 20'000u * 32u);
    EXPECT_EQ(binValue(bin, 16 * 100), 32767) << "the step up overshoots full scale";
    EXPECT_EQ(binValue(bin, 16 * 200), -32768) << "and the step down";
}

TEST_F(ReplayExportTest, PausingClosesTheExportWithTheBlocksSoFarAndRecordStartsItAnew) {
    open(2);
    int blocks = 0;
    window.onDraw = [&] {
        if (++blocks == 3) replay.toolStripButtonPause_Click();
    };
    exportAs("Short (16 bit)");
    EXPECT_EQ(out(".bin").size(), 3u * 320'000u);
    window.onDraw = nullptr;
    exportAs("Short (16 bit)");
    EXPECT_EQ(out(".bin").size(), 320'000u) << "from the replay position on";
}

TEST_F(ReplayExportTest, TheStatusLineNamesTheExportFileAndTheBlocksItHolds) {
    struct Case {
        const char* format;
        int pauseAtBlock;  // 0: never
        std::string status;
    };
    const std::string base = dir.file("") + "/out";
    const Case cases[] = {
        {"Short (16 bit)", 0, "Export written: " + base + ".bin (4 blocks)"},
        {"CSV", 0, "Export written: " + base + ".csv (4 blocks)"},
        {"Short (16 bit)", 1, "Export stopped: " + base + ".bin holds 1 block"},
    };
    for (const Case& c : cases) {
        open(2);
        const std::string exporting = "Exporting to " + base + (c.format[0] == 'C' ? ".csv" : ".bin");
        window.draws = 0;
        window.onDraw = [&] {
            if (window.draws == 1) {
                EXPECT_EQ(window.status, exporting);
            }
            if (window.draws == c.pauseAtBlock) replay.toolStripButtonPause_Click();
        };
        exportAs(c.format);
        EXPECT_EQ(window.status, c.status);
    }
}

TEST_F(ReplayExportTest, AnExportFileThatCannotBeCreatedAlertsBeforeTheReplayStarts) {
    open(1);
    window.texts[ReplayText::DataFormat] = "CSV";
    window.texts[ReplayText::ExportFolder] = dir.file("no such folder");
    window.texts[ReplayText::ExportFileName] = "out";
    replay.toolStripButtonRec_Click();
    EXPECT_EQ(window.alerts, std::vector<std::string>{alerts::kExportFileNotCreated});
    EXPECT_EQ(window.draws, 0);
    EXPECT_EQ(window.state, korin::RunState::Stop);
    EXPECT_EQ(replay.rectf.load(), 0);
}

TEST(ExportOverwrite, AnOutputThatIsTheInputOrAnotherRecordingIsRefusedBeforeAnythingIsWritten) {
    struct Case {
        const char* input;   // the recording replayed
        const char* format;
        const char* linked;  // an output name linked to "other.pldat", or null
    };
    for (const Case& c : {Case{"out.bin", "Short (16 bit)", nullptr}, Case{"out.hdr", "Short (16 bit)", nullptr},
                          Case{"out.csv", "CSV", nullptr}, Case{"rec.pldat", "Short (16 bit)", "out.bin"},
                          Case{"rec.pldat", "CSV", "out.csv"}}) {
        TempDir dir;
        RecordingSpec plan;
        const std::vector<std::uint8_t> bytes = recording(plan).data;
        const std::string input = dir.write(c.input, bytes);
        const std::string other = dir.write("other.pldat", bytes);
        if (c.linked) std::filesystem::create_symlink(other, dir.file(c.linked));
        HeadlessReplayWindow window;
        korin::ChannelLevels levels;
        ReplayControl replay(window, levels);
        replay.buttonFileOpen_Click(input);
        ASSERT_TRUE(replay.readerActive) << c.input;
        window.texts[ReplayText::DataFormat] = c.format;
        window.texts[ReplayText::ExportFolder] = dir.file("");
        window.texts[ReplayText::ExportFileName] = "out";
        replay.toolStripButtonRec_Click();

        const std::string what = std::string(c.input) + " as " + c.format + (c.linked ? " through a link" : "");
        EXPECT_EQ(window.alerts, std::vector<std::string>{alerts::kExportWouldOverwrite}) << what;
        EXPECT_EQ(window.draws, 0) << what;
        EXPECT_TRUE(slurp(input) == std::string(bytes.begin(), bytes.end())) << what;
        EXPECT_TRUE(slurp(other) == std::string(bytes.begin(), bytes.end())) << what;
        if (std::string(c.format) != "CSV" && std::string(c.input) != "out.hdr") {
            EXPECT_FALSE(std::filesystem::exists(dir.file("out.hdr"))) << what;
        }
    }
}

TEST_F(ReplayExportTest, ABinThatCannotBeCreatedLeavesNoHeaderBehind) {
    open(1);
    std::filesystem::create_directory(dir.file("out.bin"));
    exportAs("Short (16 bit)");
    EXPECT_EQ(window.alerts, std::vector<std::string>{alerts::kExportFileNotCreated});
    EXPECT_FALSE(std::filesystem::exists(dir.file("out.hdr")));
    EXPECT_EQ(window.draws, 0);
}

TEST_F(ReplayExportTest, ADiskThatFillsStopsTheExportWithEveryWholeBlockBeforeIt) {
    open(2);
    {
        FileSizeLimit cap(2 * 320'000 + 1000);
        exportAs("Short (16 bit)");
    }
    EXPECT_EQ(window.alerts, std::vector<std::string>{alerts::kExportFileNotWritten});
    EXPECT_EQ(window.status, "Export stopped: " + dir.file("") + "/out.bin holds 2 blocks");
    const std::string bin = out(".bin");
    ASSERT_EQ(bin.size(), 2u * 320'000u);
    EXPECT_EQ(binValue(bin, 16 * 19999 + 15), identityCount(1, 9999, 15));
    EXPECT_EQ(window.state, korin::RunState::Stop);
    EXPECT_EQ(window.draws, 2);
}

TEST_F(ReplayExportTest, RecordWithoutAFolderOrNameAlertsAndExportsNothing) {
    open(1);
    replay.toolStripButtonRec_Click();
    window.texts[ReplayText::ExportFolder] = dir.file("");
    replay.toolStripButtonRec_Click();
    EXPECT_EQ(window.alerts, (std::vector<std::string>{alerts::kNoOutputFolder, alerts::kNoOutputFileName}));
    EXPECT_EQ(window.draws, 0);
}

}  // namespace

int cliExport(int argc, char** argv);

namespace {

TEST_F(ReplayExportTest, TheToolAndTheWindowExportTheSameBytes) {
    RecordingSpec plan;
    plan.traces = 3;
    const std::string recordingPath = dir.write("three.pldat", recording(plan).data);
    for (const char* format : {"short", "csv"}) {
        std::vector<std::string> args = {recordingPath, "--format", format, "--out", dir.file("tool"),
                                         "--traces", "2-3", "--ms", "120-870", "--channels", "1,5,16",
                                         "--highpass", "10", "--lowpass", "2000"};
        std::vector<char*> argv;
        for (std::string& a : args) argv.push_back(a.data());
        ASSERT_EQ(cliExport(static_cast<int>(argv.size()), argv.data()), 0) << format;

        HeadlessReplayWindow shown;
        korin::ChannelLevels shownLevels;
        ReplayControl control(shown, shownLevels);
        control.buttonFileOpen_Click(recordingPath);
        for (int c = 0; c < 16; ++c)
            if (c != 0 && c != 4 && c != 15) shown.channels.buttonChrep_Click(c);
        shown.texts[ReplayText::TraceFrom] = "2";
        shown.texts[ReplayText::TimeFrom] = "120";
        shown.texts[ReplayText::TimeTo] = "870";
        shown.texts[ReplayText::Highpass] = "10";
        shown.texts[ReplayText::Lowpass] = "2000";
        shown.texts[ReplayText::DataFormat] = std::string(format) == "short" ? "Short (16 bit)" : "CSV";
        shown.texts[ReplayText::ExportFolder] = dir.file("");
        shown.texts[ReplayText::ExportFileName] = "shown";
        control.toolStripButtonRec_Click();
        ASSERT_TRUE(shown.alerts.empty());

        for (const char* extension : std::string(format) == "short" ? std::vector<const char*>{".bin", ".hdr"}
                                                                      : std::vector<const char*>{".csv"}) {
            const std::string tool = slurp(dir.file(std::string("tool") + extension));
            EXPECT_GT(tool.size(), 60u) << extension;
            EXPECT_TRUE(tool == slurp(dir.file(std::string("shown") + extension))) << extension;
        }
    }
}

}  // namespace
