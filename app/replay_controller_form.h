// The replay mode of the window: replay control drives the replay panel
// through FormReplayWindow, and the panel's buttons, the toolbars in replay
// mode and the folder choosers call into it. The form creates one and keeps it.
#pragma once

#include <QObject>

#include <functional>
#include <memory>
#include <string>

#include "display/replay_channel_selector.h"
#include "files/replay_window.h"

class Korin16Form;
class QLineEdit;
class ReplayControl;

// The main window as replay control sees it.
class FormReplayWindow : public ReplayWindow {
public:
    explicit FormReplayWindow(Korin16Form& form);

    std::string text(ReplayText which) const override;
    void setText(ReplayText which, const std::string& value) override;
    void ChSelector(const std::uint8_t* presentFlags) override;
    void GetSelectCh(std::uint8_t* selectFlags) override;
    void applyRunState(korin::RunState state, bool recording) override;
    void ShowAlertForm(const std::string& message) override;
    void showStatus(const std::string& message) override;
    void applyEnterBackColor() override;
    void DrawChartLoad() override;
    bool initEventPump() override;
    void pollEvents() override;
    void terminateEventPump() override;

    // A click on buttonChrep_N (channel 0 to 15) toggles it.
    void buttonChrep_Click(int channel);
    const ReplayChannelSelector& channels() const { return selector_; }

    // The replay loop's pump; by default GLFW's and then the window's own
    // events, so the buttons work while a replay runs.
    std::function<bool()> startPump;
    std::function<void()> pump;
    std::function<void()> stopPump;

private:
    void paintChannelButtons();

    Korin16Form& form_;
    ReplayChannelSelector selector_;
};

class ReplayControllerForm : public QObject {
    Q_OBJECT
public:
    explicit ReplayControllerForm(Korin16Form& form);
    ~ReplayControllerForm() override;

    // Shows openFileDialog1 in openDialogFolder() and opens the file chosen.
    void buttonFileOpen_Click();
    // The folder of the last recording opened, else the record panel's output
    // folder; empty when neither is a folder.
    std::string openDialogFolder() const;
    // Folder choosers of the record panel's output and the replay panel's export.
    void buttonExport_Click();
    void buttonExportReplay_Click();

    // The choosers, replaceable so tests need no dialog: the file to open from
    // a starting folder (empty when none was chosen) and a folder from a
    // starting one (empty when the user cancelled).
    std::function<std::string(const std::string& start)> chooseRecordingFile;
    std::function<std::string(const std::string& start)> chooseFolder;

    FormReplayWindow window;
    std::unique_ptr<ReplayControl> control;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void connectButtons();
    void chooseFolderInto(QLineEdit* field);

    Korin16Form& form_;
    std::string lastOpened_;
};
