// Replay in the window, end to end: a file recorded on the simulated Dev1 is
// opened, played at "Fast" to its end, stepped back and forward, a channel
// button is switched off and the range is exported to CSV.
#include <QApplication>
#include <QComboBox>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStatusBar>
#include <QTimer>
#include <QToolButton>

#include <filesystem>
#include <fstream>
#include <string>

#include "app/form_run_window.h"
#include "app/replay_controller_form.h"
#include "app/selected_views_form.h"
#include "display/gl/plot_panel.h"
#include "display/selected_frames.h"
#include "files/file_reader.h"
#include "files/replay_control.h"
#include "tests/engine/sim_recording.h"
#include "tests/gui/gui_test_support.h"

#include <QClipboard>

namespace fs = std::filesystem;

namespace {

class ReplayInWindow : public ShownForm {
protected:
    void SetUp() override {
        ShownForm::SetUp();
        folder = fs::temp_directory_path() /
                 ("korin16-replay-" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
        fs::remove_all(folder);
        fs::create_directories(folder);
        recordingPath = (folder / "three_seconds.pldat").string();
        SimRecording(11).record(recordingPath, 3.0, 1);
        control<QToolButton>("toolStripButtonSwitch")->click();
        form->replayController->chooseRecordingFile = [this](const std::string&) { return recordingPath; };
        control<QPushButton>("buttonFileOpen")->click();
    }
    void TearDown() override {
        ShownForm::TearDown();
        fs::remove_all(folder);
    }
    bool enabled(const char* name) const { return control<QWidget>(name)->isEnabled(); }
    QString label(const char* name) const { return control<QLabel>(name)->text(); }

    fs::path folder;
    std::string recordingPath;
};

TEST_F(ReplayInWindow, OpenPlayFastToTheEndThenStepBackAndForward) {
    EXPECT_EQ(control<QLineEdit>("textBoxFileName")->text(), "three_seconds.pldat");
    EXPECT_EQ(control<QLineEdit>("textBoxTimeTo")->text(), "3000");
    EXPECT_TRUE(alerts->informed.isEmpty()) << alerts->informed.join("; ").toStdString();

    control<QComboBox>("comboBoxDelay")->setCurrentText("Fast");
    control<QToolButton>("toolStripButtonPlay2")->click();
    EXPECT_EQ(label("labelRemainingTraceRep"), "0001");
    EXPECT_EQ(label("labelRemainingRep"), "00:00:03");
    // The end of the range: Back and Next offered, Play not.
    EXPECT_TRUE(enabled("toolStripButtonBack2"));
    EXPECT_TRUE(enabled("toolStripButtonNext2"));
    EXPECT_FALSE(enabled("toolStripButtonPlay2"));
    EXPECT_TRUE(form->reader->DrawTyuu);

    // Back from a window of blocks 1 to 5 shows block 0; Next then block 1.
    control<QToolButton>("toolStripButtonBack2")->click();
    EXPECT_EQ(form->reader->traceBlockNumberIndex, 0);
    EXPECT_EQ(label("labelRemainingRep"), "00:00:00");
    control<QToolButton>("toolStripButtonNext2")->click();
    EXPECT_EQ(form->reader->traceBlockNumberIndex, 1);
    EXPECT_EQ(label("labelRemainingRep"), "00:00:01");
    EXPECT_TRUE(enabled("toolStripButtonPlay2"));
}

TEST_F(ReplayInWindow, TheStatusBarSaysReplayFinishedThenExportWritten) {
    auto status = [&] { return form->statusBar()->currentMessage().toStdString(); };
    control<QToolButton>("toolStripButtonPlay2")->click();
    EXPECT_EQ(status(), "Replay finished");
    control<QToolButton>("toolStripButtonStop2")->click();
    control<QLineEdit>("textBoxExportDireReplay")->setText(QString::fromStdString(folder.string()));
    control<QLineEdit>("textBoxExportfilenameReplay")->setText("part");
    control<QToolButton>("toolStripButtonRec2")->click();
    EXPECT_TRUE(alerts->informed.isEmpty()) << alerts->informed.join("; ").toStdString();
    EXPECT_EQ(status(), "Export written: " + (folder / "part").string() + ".bin (6 blocks)");
}

TEST_F(ReplayInWindow, AChannelSwitchedOffIsLeftOutOfTheCsvExport) {
    auto* channel3 = control<QPushButton>("buttonChrep_3");
    channel3->click();
    EXPECT_TRUE(channel3->styleSheet().contains("rgb(128, 128, 128)"));
    control<QComboBox>("comboBoxDataFormatReplay")->setCurrentText("CSV");
    control<QLineEdit>("textBoxExportDireReplay")->setText(QString::fromStdString(folder.string()));
    control<QLineEdit>("textBoxExportfilenameReplay")->setText("part");
    control<QLineEdit>("textBoxTimeTo")->setText("250");
    control<QToolButton>("toolStripButtonRec2")->click();

    EXPECT_TRUE(alerts->informed.isEmpty()) << alerts->informed.join("; ").toStdString();
    std::ifstream csv(folder / "part.csv", std::ios::binary);
    std::string header;
    std::getline(csv, header);
    EXPECT_EQ(header, "Ch1,Ch2,Ch4,Ch5,Ch6,Ch7,Ch8,Ch9,Ch10,Ch11,Ch12,Ch13,Ch14,Ch15,Ch16,\r");
    int rows = 0;
    for (std::string row; std::getline(csv, row);) ++rows;
    EXPECT_EQ(rows, 5000) << "the first 250 ms of the one trace";
}

TEST_F(ReplayInWindow, LeavingReplayModeAtTheEndLeavesBackAndNextDisabled) {
    control<QLineEdit>("textBoxTimeTo")->setText("500");
    control<QToolButton>("toolStripButtonPlay2")->click();
    ASSERT_TRUE(enabled("toolStripButtonNext2"));
    control<QToolButton>("toolStripButtonSwitch2")->click();
    EXPECT_EQ(form->ReplayMode, 0);
    EXPECT_FALSE(enabled("toolStripButtonNext"));
    EXPECT_FALSE(enabled("toolStripButtonBack"));
    EXPECT_TRUE(enabled("toolStripButtonPlay"));
}

TEST_F(ReplayInWindow, TheOpenDialogStartsInTheOutputFolderWithNoNameAndCancellingLeavesNoFileOpen) {
    control<QLineEdit>("textBoxExportDire")->setText(QString::fromStdString(folder.string()));
    QString name, filter, directory, fileName = "unread";
    QTimer closer;
    QObject::connect(&closer, &QTimer::timeout, [&] {
        if (auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget())) {
            name = dialog->objectName();
            filter = dialog->nameFilters().join(";");
            directory = dialog->directory().absolutePath();
            if (auto* edit = dialog->findChild<QLineEdit*>("fileNameEdit")) fileName = edit->text();
            dialog->reject();
        }
    });
    closer.start(20);
    // A controller with the window's own chooser, shown for real and cancelled.
    ReplayControllerForm fresh(*form);
    fresh.buttonFileOpen_Click();
    EXPECT_EQ(name, "openFileDialog1");
    EXPECT_EQ(filter, "pldat (*.pldat)");
    EXPECT_EQ(directory.toStdString(), fs::canonical(folder).string());
    EXPECT_EQ(fileName, "");
    EXPECT_FALSE(fresh.control->readerActive);
}

TEST_F(ReplayInWindow, TheOpenDialogStartsWhereTheLastRecordingWasElseInTheOutputFolder) {
    const fs::path output = folder / "output";
    fs::create_directories(output);
    auto* outputBox = control<QLineEdit>("textBoxExportDire");
    ReplayControllerForm fresh(*form);
    struct Case {
        ReplayControllerForm* controller;
        std::string outputFolder;
        std::string start;
    } cases[] = {
        {form->replayController.get(), output.string(), folder.string()},  // opened three_seconds.pldat there
        {&fresh, output.string(), output.string()},
        {&fresh, (folder / "missing").string(), ""},
        {&fresh, "", ""},
    };
    for (const Case& c : cases) {
        outputBox->setText(QString::fromStdString(c.outputFolder));
        EXPECT_EQ(c.controller->openDialogFolder(), c.start) << c.outputFolder;
    }
}

// The selected-channel plots after a live run on the free-running simulated
// Dev1, once the window is in replay mode: what they draw and what Copy Data
// copies must both come from the replay.
class ReplayAfterALiveRun : public ShownSimulatedForm {
protected:
    void SetUp() override {
        ShownSimulatedForm::SetUp();
        views = form->selectedViews.get();
        ASSERT_TRUE(waitFor([&] { return views->rawView()->width() > 100 && views->freqView()->width() > 100; }));
    }
    // A played (not recorded) run stopped after the DC-offset blocks and four more.
    void liveRun() {
        auto pump = form->runWindow->pump;
        int pumps = 0;
        form->runWindow->pump = [&, pump] {
            pump();
            if (++pumps == 11 + 4) control<QToolButton>("toolStripButtonStop")->click();
        };
        control<QToolButton>("toolStripButtonPlay")->click();
        form->runWindow->pump = pump;
        settle();
    }
    // The plot shows its empty frame: background, grid and axes only.
    static bool empty(PlotPanel* p, const ViewColors& colors) {
        DrawList frame;
        buildEmptyPlotFrame(frame, colors, p->width(), p->height());
        return p->drawList().vertices() == frame.vertices();
    }
    // Square markers of the spike-rate plot, one per bin drawn.
    static int markers(PlotPanel* p) {
        std::uint32_t vertices = 0;
        for (const DrawBatch& b : p->drawList().batches())
            if (b.primitive == Primitive::Quads) vertices += b.count;
        return static_cast<int>(vertices / 4);
    }
    // Data rows of Copy Data (the header line left out).
    int copiedRows() {
        views->toolStripMenuItemCopyData_Click();
        const QString text = QApplication::clipboard()->text();
        EXPECT_TRUE(text.startsWith("time (ms)\tSpikes per Second\n")) << text.toStdString();
        return static_cast<int>(text.count('\n')) - 1;
    }

    SelectedViewsForm* views = nullptr;
};

TEST_F(ReplayAfterALiveRun, PlotsAndCopyDataShowNothingUntilTheFileIsPlayedThenItsData) {
    constexpr int kModes = 4;  // Spike, EP, ISI, Slope
    ASSERT_EQ(form->Mode, 0) << "spike rate";
    liveRun();
    ASSERT_TRUE(form->acquisition->DrawTyuu);
    ASSERT_FALSE(empty(views->rawView(), form->colors)) << "the live run was drawn";
    ASSERT_GE(copiedRows(), 1);

    control<QToolButton>("toolStripButtonSwitch")->click();
    settle();
    // The mode button cycled once round redraws both plots, as any repaint does.
    for (int i = 0; i < kModes; ++i) control<QToolButton>("toolStripButtonMode")->click();
    ASSERT_EQ(form->ReplayMode, 1);
    EXPECT_TRUE(empty(views->rawView(), form->colors)) << "switched to replay";
    EXPECT_TRUE(empty(views->freqView(), form->colors)) << "switched to replay";
    EXPECT_EQ(copiedRows(), 0) << "switched to replay";

    const std::string path = (folder / "three_seconds.pldat").string();
    SimRecording(11).record(path, 3.0, 1);
    form->replayController->chooseRecordingFile = [&](const std::string&) { return path; };
    control<QPushButton>("buttonFileOpen")->click();
    for (int i = 0; i < kModes; ++i) control<QToolButton>("toolStripButtonMode")->click();
    EXPECT_TRUE(empty(views->rawView(), form->colors)) << "opened, not played";
    EXPECT_TRUE(empty(views->freqView(), form->colors)) << "opened, not played";
    EXPECT_EQ(copiedRows(), 0) << "opened, not played";

    control<QComboBox>("comboBoxDelay")->setCurrentText("Fast");
    control<QToolButton>("toolStripButtonPlay2")->click();
    settle();
    EXPECT_FALSE(empty(views->rawView(), form->colors)) << "played";
    EXPECT_EQ(markers(views->freqView()), 3) << "three one-second bins of the file";
    EXPECT_EQ(copiedRows(), 3) << "played";
}

}  // namespace
