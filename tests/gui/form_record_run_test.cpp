// A recorded run in the window, end to end, on a free-running simulated Dev1.
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QStatusBar>
#include <QToolButton>

#include <filesystem>

#include "acquisition/acquisition_ni.h"
#include "acquisition/run_control.h"
#include "acquisition/sim_device.h"
#include "app/form_run_window.h"
#include "tests/gui/gui_test_support.h"

namespace fs = std::filesystem;

namespace {

class RecordInWindow : public ShownSimulatedForm {};

}  // namespace

TEST_F(RecordInWindow, RecordUpdatesTheLabelsStopReturnsToStoppedAndTheFileIsOnDisk) {
    control<QLineEdit>("textBoxExportDire")->setText(QString::fromStdString(folder.string()));
    // Clicks Stop through the toolbar once the loop has run a few passes; the
    // loop pumps the window's events, so the button works while it runs.
    auto pump = form->runWindow->pump;
    int pumps = 0;
    QString traceLabel, remainingLabel;
    bool pauseWhileRecording = true;
    form->runWindow->pump = [&] {
        pump();
        if (++pumps == 11 + 6) {
            traceLabel = control<QLabel>("labelRemainingTrace")->text();
            remainingLabel = control<QLabel>("labelRemaining")->text();
            pauseWhileRecording = control<QToolButton>("toolStripButtonPause")->isEnabled();
            control<QToolButton>("toolStripButtonStop")->click();
        }
    };
    control<QToolButton>("toolStripButtonRec")->click();

    EXPECT_TRUE(alerts->informed.isEmpty()) << alerts->informed.join("; ").toStdString();
    EXPECT_EQ(traceLabel, "0001");
    EXPECT_EQ(remainingLabel, "00:19:57") << "20 minutes less six blocks of 0.5 s";
    EXPECT_FALSE(pauseWhileRecording) << "a recorded run offers Pause only from its first interval";
    EXPECT_TRUE(control<QToolButton>("toolStripButtonRec")->isEnabled());
    EXPECT_TRUE(control<QToolButton>("toolStripButtonPlay")->isEnabled());
    EXPECT_FALSE(control<QToolButton>("toolStripButtonStop")->isEnabled());
    EXPECT_FALSE(form->runControl->runActive());

    const std::string data = form->runControl->dataFilePath();
    ASSERT_FALSE(data.empty());
    EXPECT_EQ(fs::file_size(data), 123u + 6u * (39u + 320'000u));
    EXPECT_TRUE(fs::exists(form->runControl->summaryFilePath()));
}

TEST_F(RecordInWindow, RecordWithoutAFolderAlertsAndStaysStopped) {
    control<QLineEdit>("textBoxExportDire")->setText("");
    control<QToolButton>("toolStripButtonRec")->click();
    EXPECT_EQ(alerts->informed, QStringList({"Please specify an output folder."}));
    EXPECT_TRUE(control<QToolButton>("toolStripButtonRec")->isEnabled());
    EXPECT_FALSE(control<QToolButton>("toolStripButtonStop")->isEnabled());
}

TEST_F(RecordInWindow, ClosingTheWindowDuringARunFinishesItAndClosesTheFile) {
    control<QLineEdit>("textBoxExportDire")->setText(QString::fromStdString(folder.string()));
    auto pump = form->runWindow->pump;
    int pumps = 0;
    form->runWindow->pump = [&] {
        pump();
        if (++pumps == 11 + 3) form->close();
    };
    control<QToolButton>("toolStripButtonRec")->click();
    EXPECT_FALSE(form->runControl->runActive());
    EXPECT_FALSE(form->acquisition->file.isOpen());
    EXPECT_FALSE(form->acquisition->hasInputTask());
    EXPECT_EQ(fs::file_size(form->runControl->dataFilePath()), 123u + 3u * (39u + 320'000u));
}

TEST_F(RecordInWindow, TheStatusBarSaysMeasuringPausedAndWhereTheFinishedRunIs) {
    control<QLineEdit>("textBoxExportDire")->setText(QString::fromStdString(folder.string()));
    control<QComboBox>("comboBoxTrace")->setEditText("2");
    control<QComboBox>("comboBoxMin")->setEditText("0");
    control<QComboBox>("comboBoxSec")->setEditText("1");
    control<QComboBox>("comboBoxInSec")->setEditText("3");
    auto status = [&] { return form->statusBar()->currentMessage().toStdString(); };
    auto pump = form->runWindow->pump;
    int pumps = 0, pausedPumps = 0;
    std::string measuring, paused;
    form->runWindow->pump = [&] {
        pump();
        ++pumps;
        if (pumps == 1) measuring = status();
        if (pumps == 11 + 3) control<QToolButton>("toolStripButtonPause")->click();  // in the first interval
        if (form->PauseTyuu && ++pausedPumps == 2) {
            paused = status();
            control<QToolButton>("toolStripButtonRec")->click();
        }
    };
    control<QToolButton>("toolStripButtonRec")->click();

    EXPECT_TRUE(alerts->informed.isEmpty()) << alerts->informed.join("; ").toStdString();
    EXPECT_EQ(measuring, "Measuring the DC offset: 5.5 s left");
    EXPECT_EQ(paused, "Paused. Play or Record resumes; Start Stim delivers the Manual program.");
    EXPECT_EQ(status(), "Run finished: 2 traces recorded to " + form->runControl->dataFilePath());
}
