// The replay mode's control: opening a recording, the threshold pre-pass, the
// replay loop at the chosen speed with export on Record, single steps forward
// and back, pause and stop, and the progress labels. It runs on the window's
// thread and drives the window only through ReplayWindow, so it runs the same
// in the window, in tests and in the command-line tool.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>

#include "acquisition/channel_levels.h"
#include "acquisition/run_flags.h"
#include "acquisition/run_gating.h"
#include "files/replay_window.h"
#include "files/trace_stimuli.h"
#include "processing/evoked_session.h"

class FileReader;

class ReplayControl {
public:
    static constexpr const char* kFastText = "Fast";
    static constexpr const char* kNormalText = "Normal";
    static constexpr int kNormalDelayMs = 25;
    static constexpr int kSlowDelayMs = 500;
    static constexpr int kThresholdBlocks = 5;

    // `flags` and `readerSlot` are the window's when it has them (the views read
    // the reader, the record side shares the flags); without, replay control
    // keeps its own.
    ReplayControl(ReplayWindow& window, korin::ChannelLevels& levels, korin::RunFlags* flags = nullptr,
                  std::unique_ptr<FileReader>* readerSlot = nullptr);
    // Ends any delay wait and joins its thread.
    ~ReplayControl();
    ReplayControl(const ReplayControl&) = delete;
    ReplayControl& operator=(const ReplayControl&) = delete;

    // --- Handlers (replay mode) ---
    // `path` is the file chosen in the open dialog, empty when none was.
    void buttonFileOpen_Click(const std::string& path);
    void toolStripButtonPlay_Click();
    void toolStripButtonRec_Click();
    void toolStripButtonStop_Click();
    void toolStripButtonPause_Click();
    void toolStripButtonNext_Click();
    void toolStripButtonBack_Click();
    // Leaving replay mode: any replay is stopped and the next play starts at
    // the range's first block.
    void leaveReplayMode();

    // --- The replay ---
    // Threshold estimate over the file's first five blocks: 0, or 1 when the
    // event pump cannot start.
    int thresholdKeisannLoad();
    void LoadData();
    // Reads the next block of the range (skipping blocks outside it).
    void readData();
    // Whether block n (over the file) lies inside the trace and time range texts.
    bool inTraceTime(std::int32_t n) const;
    void progressMessage();
    void DelaySleep();

    static std::string traceHyouzi(int trace);
    static std::string getReplayRemaining(double seconds);
    // Delay after each block for a speed text: "Fast" 0, "Normal" 25, else 500 ms.
    static int delayForSpeed(const std::string& speed);

    // Replay filter from the two combo boxes (which may be corrected).
    void setReplayFilter();

    // --- State ---
    FileReader* reader() const { return readerSlot_->get(); }
    bool readerActive = false;
    std::int32_t DelayValue = 0;
    std::uint8_t ACSelectaryrep[16] = {};

    // Blocks of the file inside the range texts, or nothing when a text is not
    // a whole number.
    std::optional<std::int32_t> blocksInRange() const;
    // Why the range texts do not fit the open file; empty when they do.
    std::string rangeProblem() const;
    // Traces 1 to tracesHeld() have blocks in the file: fewer than its header
    // says when the recording was cut or stopped early.
    std::int32_t tracesHeld() const;
    // "The file holds traces 1-2 (its header says 3).", or empty when the file
    // holds every trace its header counts.
    std::string missingTracesText() const;
    // True while LoadData runs.
    bool replaying() const { return inLoop_; }
    // A fault the window stopped at its own boundary (an exception out of a view
    // or a handler run by the event pump): printed, and a replay or export in
    // progress stops after its current block, with its files closed and the alert.
    void internalError(const std::string& reason);

    void ReplayTyuuDisable() { applyState(korin::RunState::Replay); }
    void StopTyuuDisable() { applyState(korin::RunState::Stop); }
    void PauseTyuuDisable() { applyState(korin::RunState::Pause); }
    void NextTyuuDisable() { applyState(korin::RunState::Next); }
    void EndTyuuDisable() { applyState(korin::RunState::End); }
    void SyoriTyuuDisable() { applyState(korin::RunState::Syori); }
    void applyState(korin::RunState state);

private:
    std::unique_ptr<korin::RunFlags> ownFlags_;
    korin::RunFlags& flags_;
    std::unique_ptr<FileReader> ownReader_;
    std::unique_ptr<FileReader>* readerSlot_;

public:
    std::atomic<std::uint8_t>& PlayTyuu = flags_.PlayTyuu;
    std::atomic<std::uint8_t>& StopTyuu = flags_.StopTyuu;
    std::atomic<std::uint8_t>& PauseTyuu = flags_.PauseTyuu;
    std::atomic<std::uint8_t>& KyuusiTyuu = flags_.KyuusiTyuu;
    std::atomic<std::uint8_t>& rectf = flags_.rectf;

    // Called after every block the replay loop reads (the tool's progress bar).
    std::function<void()> onBlock;

    // The evoked-response measures of the file as it plays, from the onsets of
    // the stimulation log beside it: the table, the last trace measured, and
    // the windows (set them here; they apply from the next trace). Cleared when
    // a file is opened and when a replay starts from the range's beginning.
    korin::EvokedSession& evokedSession() { return evoked_; }
    const korin::EvokedSession& evokedSession() const { return evoked_; }
    // Why the open file's stimulation log is ignored ("" when it is read, or
    // there is none); without its onsets nothing is measured.
    const std::string& stimulationLogProblem() const { return logProblem_; }

private:
    struct Range {
        std::int32_t traceFrom, traceTo, msFrom, msTo;
    };
    std::optional<Range> range() const;
    bool inRange(const Range& r, std::int32_t n) const;
    // The block of the range nearest before or at block n, if there is one.
    std::optional<std::int32_t> lastInRangeAtOrBefore(std::int32_t n) const;
    // Range texts into the reader and its lastblock; false (alerted) when not numbers.
    bool rangeIntoReader();
    // KaisiPoint and OwariPoint of a block starting `blockOffsetMs` into its trace.
    void setSampleWindow(double blockOffsetMs);
    bool exporting() const { return rectf != 0; }
    std::string exportPath() const;
    // The export's log of the pulses in its range, beside its files.
    void writeStimulationExport();
    // The export's data file: the .bin of "Short (16 bit)", the .csv.
    std::string exportDataPath() const;
    // The status line at the end of a replay or export of `blocks` blocks;
    // `wholeRange` when it reached the range's end.
    void showReplayEnd(bool exported, std::int64_t blocks, bool wholeRange);
    // Runs a handler; an exception out of it is printed, any export closed with
    // what it holds, the controls stopped and the internal-error alert shown.
    template <typename F>
    void guarded(F&& body);
    void alertInternalError();
    // A new analysis of the file: no trace measured yet.
    void resetMeasures();
    // The block just read forward (block n of the file) into the measures, once.
    void measureBlock(std::int32_t n);
    void startDelay(int ms);
    void cancelDelay();
    void stepEnd();

    ReplayWindow& window_;
    korin::ChannelLevels& levels_;
    std::string recordingPath_;  // the file the reader holds
    bool inLoop_ = false;
    bool readFailed_ = false;   // a block of the file could not be read
    bool rangeFailed_ = false;  // a range text is not a whole number
    bool blockRead_ = false;    // the last readData read a block
    bool faultPending_ = false; // the replay ends with the internal-error alert

    korin::EvokedSession evoked_;
    measuresfile::TraceStimuli stimuli_;
    std::string logProblem_;
    std::int32_t measuredEnd_ = 0;     // blocks before it were measured (or skipped) already
    std::int32_t measuringTrace_ = -1; // trace index of the trace begun in the session

    std::thread threadDelay;
    std::mutex delayMutex_;
    std::condition_variable delayWake_;
    bool delayCancelled_ = false;
};
