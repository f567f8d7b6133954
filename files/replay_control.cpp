#include "files/replay_control.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <exception>
#include <span>

#include "acquisition/alert_messages.h"
#include "acquisition/caught_fault.h"
#include "acquisition/number_text.h"
#include "acquisition/run_control.h"
#include "acquisition/status_messages.h"
#include "acquisition/timer.h"
#include "files/export_writer.h"
#include "files/file_reader.h"
#include "files/stimulation_log.h"
#include "files/stimulation_export.h"
#include "processing/filter_selectors.h"
#include "processing/thresholds.h"

using korin::RunState;
namespace alerts = korin::alerts;

namespace {

constexpr double kBlockMs = 500.0;
constexpr double kSamplesPerMs = 20.0;
constexpr const char* kNoFileChosen = "openFileDialog1";

void console(const char* text) {
    std::printf("%s\n", text);
    std::fflush(stdout);
}

std::int64_t floorDiv(std::int64_t a, std::int64_t b) {
    const std::int64_t q = a / b;
    return (a % b != 0 && (a < 0) != (b < 0)) ? q - 1 : q;
}

std::int64_t ceilBlocks(double ms) { return static_cast<std::int64_t>(std::ceil(ms / kBlockMs)); }

// The last component of a path, split at either separator.
std::string lastComponent(const std::string& path) {
    const std::size_t cut = path.find_last_of("/\\");
    return cut == std::string::npos ? path : path.substr(cut + 1);
}

}  // namespace

ReplayControl::ReplayControl(ReplayWindow& window, korin::ChannelLevels& levels, korin::RunFlags* flags,
                             std::unique_ptr<FileReader>* readerSlot)
    : ownFlags_(flags ? nullptr : std::make_unique<korin::RunFlags>()),
      flags_(flags ? *flags : *ownFlags_),
      readerSlot_(readerSlot ? readerSlot : &ownReader_),
      window_(window),
      levels_(levels) {
    if (!*readerSlot_) *readerSlot_ = std::make_unique<FileReader>();
}

ReplayControl::~ReplayControl() { cancelDelay(); }

// Defined before the handlers that use them.
template <typename F>
void ReplayControl::guarded(F&& body) {
    const std::optional<std::string> fault = korin::caughtFault(body);
    if (!fault) return;
    korin::printInternalError(*fault);
    cancelDelay();
    if (exporting()) reader()->fileclose();
    window_.terminateEventPump();
    inLoop_ = false;
    alertInternalError();
}

void ReplayControl::alertInternalError() {
    faultPending_ = false;
    StopTyuuDisable();
    window_.ShowAlertForm(exporting() ? alerts::kExportInternalError : alerts::kReplayInternalError);
}

void ReplayControl::internalError(const std::string& reason) {
    korin::printInternalError(reason);
    if (!inLoop_) return;
    // The loop checks PlayTyuu, which the stopped state clears, after every pump.
    faultPending_ = true;
    StopTyuuDisable();
}

void ReplayControl::applyState(RunState state) {
    flags_.apply(state);
    window_.applyRunState(state, rectf != 0);
}

// --- Texts ----------------------------------------------------------------------

std::string ReplayControl::traceHyouzi(int trace) { return RunControl::traceHyouzi(trace); }

std::string ReplayControl::getReplayRemaining(double seconds) { return Timer::formatHms(seconds); }

int ReplayControl::delayForSpeed(const std::string& speed) {
    if (speed == kFastText) return 0;
    if (speed == kNormalText) return kNormalDelayMs;
    return kSlowDelayMs;
}

void ReplayControl::progressMessage() {
    const FileReader& r = *reader();
    window_.setText(ReplayText::LabelTrace, traceHyouzi(r.traceNumberIndex + 1));
    window_.setText(ReplayText::LabelRemaining, getReplayRemaining((r.traceBlockNumberIndex + 1) * 0.5));
}

void ReplayControl::setReplayFilter() {
    korin::SwitchReading lpfNone = korin::isFilterComboBoxNoneLPF(window_.text(ReplayText::Lowpass));
    window_.setText(ReplayText::Lowpass, lpfNone.text);
    korin::SwitchReading hpfNone = korin::isFilterComboBoxNoneHPF(window_.text(ReplayText::Highpass));
    window_.setText(ReplayText::Highpass, hpfNone.text);
    korin::ValueReading lpf = korin::getFilterComboBoxValueLPF(window_.text(ReplayText::Lowpass));
    if (!lpfNone.none) window_.setText(ReplayText::Lowpass, lpf.text);
    korin::ValueReading hpf = korin::getFilterComboBoxValueHPF(window_.text(ReplayText::Highpass));
    if (!hpfNone.none) window_.setText(ReplayText::Highpass, hpf.text);
    reader()->setFilter(lpf.value, hpf.value, lpfNone.none ? 0 : 1, hpfNone.none ? 0 : 1);
}

// --- Range ----------------------------------------------------------------------

std::optional<ReplayControl::Range> ReplayControl::range() const {
    const auto tf = korin::parseInt32(window_.text(ReplayText::TraceFrom));
    const auto tt = korin::parseInt32(window_.text(ReplayText::TraceTo));
    const auto mf = korin::parseInt32(window_.text(ReplayText::TimeFrom));
    const auto mt = korin::parseInt32(window_.text(ReplayText::TimeTo));
    if (!tf || !tt || !mf || !mt) return std::nullopt;
    return Range{*tf, *tt, *mf, *mt};
}

bool ReplayControl::rangeIntoReader() {
    const auto r = range();
    if (!r) {
        window_.ShowAlertForm(alerts::kNumericalValue);
        return false;
    }
    FileReader& fr = *reader();
    fr.tracefrom1 = r->traceFrom;
    fr.traceto1 = r->traceTo;
    fr.msfrom1 = r->msFrom;
    fr.msto1 = r->msTo;
    fr.setLastReplayBlock();
    return true;
}

bool ReplayControl::inTraceTime(std::int32_t n) const {
    const auto r = range();
    return r && inRange(*r, n);
}

bool ReplayControl::inRange(const Range& r, std::int32_t n) const {
    const std::int64_t B = ceilBlocks(reader()->DurationMax);
    if (B <= 0) return false;
    const std::int64_t F = static_cast<std::int64_t>(std::floor(r.msFrom / kBlockMs));
    const std::int64_t E = ceilBlocks(r.msTo);
    // Trace t (1-based) holds n when (t-1)B + F <= n < (t-1)B + E; the traces
    // that do form one run of t, met against the range's traces.
    const std::int64_t first = floorDiv(static_cast<std::int64_t>(n) - E, B) + 2;
    const std::int64_t last = floorDiv(static_cast<std::int64_t>(n) - F, B) + 1;
    return std::max<std::int64_t>(first, r.traceFrom) <= std::min<std::int64_t>(last, r.traceTo);
}

std::optional<std::int32_t> ReplayControl::lastInRangeAtOrBefore(std::int32_t n) const {
    const auto r = range();
    if (!r) return std::nullopt;
    for (std::int32_t m = n; m >= 0; --m)
        if (inRange(*r, m)) return m;
    return std::nullopt;
}

std::optional<std::int32_t> ReplayControl::blocksInRange() const {
    const auto r = range();
    if (!r) return std::nullopt;
    const FileReader& fr = *reader();
    const std::int64_t lastBlock = (static_cast<std::int64_t>(r->traceTo) - 1) * ceilBlocks(fr.DurationMax) +
                                   ceilBlocks(r->msTo);
    const std::int64_t end = std::min<std::int64_t>(lastBlock, fr.AllBlock);
    std::int32_t count = 0;
    for (std::int32_t n = 0; n < end; ++n) count += inTraceTime(n) ? 1 : 0;
    return count;
}

std::string ReplayControl::rangeProblem() const {
    const auto r = range();
    if (!r) return alerts::kNumericalValue;
    const FileReader& fr = *reader();
    if (r->traceFrom < 1 || r->traceTo > fr.TraceMax || r->traceFrom > r->traceTo)
        return "The traces " + std::to_string(r->traceFrom) + "-" + std::to_string(r->traceTo) +
               " are not within the file's 1-" + std::to_string(fr.TraceMax) + ".";
    if (r->msFrom < 0 || r->msTo > fr.DurationMax || r->msFrom >= r->msTo)
        return "The time range " + std::to_string(r->msFrom) + "-" + std::to_string(r->msTo) +
               " ms is not within the file's trace of " + korin::defaultNumberText(fr.DurationMax) + " ms.";
    return {};
}

std::int32_t ReplayControl::tracesHeld() const {
    const FileReader& fr = *reader();
    const std::int64_t B = ceilBlocks(fr.DurationMax);
    if (B <= 0) return fr.TraceMax;
    // Blocks are placed by number, trace after trace, as the range rule places them.
    const std::int64_t held = (static_cast<std::int64_t>(fr.AllBlock) + B - 1) / B;
    return static_cast<std::int32_t>(std::min<std::int64_t>(held, fr.TraceMax));
}

std::string ReplayControl::missingTracesText() const {
    const std::int32_t held = tracesHeld();
    const std::int32_t stated = reader()->TraceMax;
    if (held >= stated) return {};
    return "The file holds traces 1-" + std::to_string(held) + " (its header says " + std::to_string(stated) + ").";
}

void ReplayControl::setSampleWindow(double blockOffsetMs) {
    FileReader& fr = *reader();
    const auto r = range();
    if (!r) return;
    const double d = r->msFrom - blockOffsetMs;
    fr.KaisiPoint = (d > 0 && d < kBlockMs) ? static_cast<std::int32_t>(std::trunc(d * kSamplesPerMs)) : 0;
    const double e = r->msTo - blockOffsetMs;
    fr.OwariPoint = (e > 0 && e < kBlockMs) ? static_cast<std::int32_t>(std::trunc(e * kSamplesPerMs))
                                            : FileReader::kBlockScans;
}

// --- Opening a file -------------------------------------------------------------

void ReplayControl::buttonFileOpen_Click(const std::string& path) {
    guarded([&] {
        if (readerActive) reader()->Close();
        readerActive = false;
        if (path.empty() || path == kNoFileChosen) return;
        *readerSlot_ = std::make_unique<FileReader>();
        FileReader& fr = *reader();
        if (!fr.open(path) || !fr.read()) {
            const std::string why = fr.errorText();
            fr.Close();
            window_.ShowAlertForm(why.empty() ? alerts::kReplayFileNotRead : why);
            return;
        }
        readerActive = true;
        const stimlog::ReadResult log = stimlog::read(stimlog::pathFor(path));
        stimuli_ = measuresfile::TraceStimuli(log.rows);
        logProblem_ = log.problem;
        if (!logProblem_.empty()) console(("stimulation log: " + logProblem_).c_str());
        recordingPath_ = path;
        window_.setText(ReplayText::FileName, lastComponent(path));
        window_.setText(ReplayText::TraceFrom, "1");
        window_.setText(ReplayText::TraceTo, std::to_string(fr.TraceMax));
        window_.setText(ReplayText::TimeFrom, "0");
        window_.setText(ReplayText::TimeTo, korin::defaultNumberText(fr.DurationMax));
        window_.ChSelector(fr.ACary);
        fr.ACSelectary = ACSelectaryrep;
        window_.GetSelectCh(ACSelectaryrep);
        if (thresholdKeisannLoad() != 0) return;
        fr.EPline1 = levels_.EPThreshAry1;
        fr.EPline2 = levels_.EPThreshAry2;
        fr.syokika();
        resetMeasures();
        fr.selectch = korin::parseInt32(window_.text(ReplayText::SelectOneCh)).value_or(0);
        StopTyuuDisable();
    });
}

int ReplayControl::thresholdKeisannLoad() {
    if (!window_.initEventPump()) {
        console("Can't initialize GLFW");
        return 1;
    }
    SyoriTyuuDisable();
    FileReader& fr = *reader();
    fr.syokika();
    for (int i = 0; i < kThresholdBlocks && fr.NowBlock < fr.AllBlock; ++i) {
        // Every block starts from a fresh filter.
        setReplayFilter();
        if (!fr.readThresholdData()) break;
        window_.pollEvents();
    }
    window_.terminateEventPump();
    korin::thresholdKeisann(fr.chAry, korin::kReplayThresholdSamples, levels_.yMThreshAry, levels_.yPThreshAry,
                            levels_.PostAry);
    fr.Pthre = levels_.yPThreshAry;
    fr.Mthre = levels_.yMThreshAry;
    fr.Postthre = levels_.PostAry;
    return 0;
}

// --- Handlers -------------------------------------------------------------------

void ReplayControl::toolStripButtonPlay_Click() {
    guarded([&] {
        if (!readerActive) window_.showStatus(korin::status::kNoRecordingOpen);
        if (!readerActive || inLoop_) return;
        rectf = 0;
        reader()->rectf = false;
        LoadData();
    });
}

void ReplayControl::toolStripButtonRec_Click() {
    guarded([&] {
        if (!readerActive) window_.showStatus(korin::status::kNoRecordingOpen);
        if (!readerActive || inLoop_) return;
        FileReader& fr = *reader();
        rectf = 1;
        fr.rectf = true;
        const bool shortFormat = window_.text(ReplayText::DataFormat) == ExportWriter::kShortFormatText;
        fr.shortExportOn = shortFormat;
        fr.csvExportOn = !shortFormat;
        if (window_.text(ReplayText::ExportFolder).empty()) {
            rectf = 0;
            fr.rectf = false;
            StopTyuuDisable();
            window_.ShowAlertForm(alerts::kNoOutputFolder);
            return;
        }
        if (window_.text(ReplayText::ExportFileName).empty()) {
            rectf = 0;
            fr.rectf = false;
            StopTyuuDisable();
            window_.ShowAlertForm(alerts::kNoOutputFileName);
            return;
        }
        LoadData();
    });
}

void ReplayControl::toolStripButtonStop_Click() {
    guarded([&] {
        if (readerActive) {
            FileReader& fr = *reader();
            fr.NowBlock = 0;
            fr.NowSeleIndex = 0;
            // Forgetting the step back makes the next Next start the range afresh
            // instead of continuing after a window that Stop has given up.
            fr.BackTyuu = false;
        }
        StopTyuuDisable();
    });
}

void ReplayControl::toolStripButtonPause_Click() {
    guarded([&] { PauseTyuuDisable(); });
}

void ReplayControl::leaveReplayMode() {
    cancelDelay();
    toolStripButtonStop_Click();
}

void ReplayControl::stepEnd() {
    window_.terminateEventPump();
    NextTyuuDisable();
}

void ReplayControl::toolStripButtonNext_Click() {
    guarded([&] {
        if (!readerActive || inLoop_) return;
        FileReader& fr = *reader();
        rectf = 0;
        fr.rectf = false;
        SyoriTyuuDisable();
        if (!window_.initEventPump()) {
            console("Can't initialize GLFW");
            return;
        }
        if (!rangeIntoReader()) {
            window_.terminateEventPump();
            StopTyuuDisable();
            return;
        }
        window_.GetSelectCh(ACSelectaryrep);
        if (fr.isLastBlockReplay()) {
            window_.terminateEventPump();
            StopTyuuDisable();
            return;
        }
        PlayTyuu = 1;
        // Nothing replayed yet; a step back to block 0 keeps what was analysed.
        if (fr.NowBlock == 0 && !fr.BackTyuu) {
            fr.syokika();
            resetMeasures();
            setReplayFilter();
        }
        readData();
        progressMessage();
        window_.DrawChartLoad();
        stepEnd();
    });
}

void ReplayControl::toolStripButtonBack_Click() {
    guarded([&] {
        if (!readerActive || inLoop_) return;
        FileReader& fr = *reader();
        rectf = 0;
        fr.rectf = false;
        if (!range()) {
            window_.ShowAlertForm(alerts::kNumericalValue);
            return;
        }
        SyoriTyuuDisable();
        if (!window_.initEventPump()) {
            console("Can't initialize GLFW");
            return;
        }
        rangeIntoReader();
        const std::int32_t shown = fr.NowBlock;
        if (fr.backBlock() == 0) {
            stepEnd();
            return;
        }
        // Blocks outside the range are passed over by number, never read: a
        // trace's first block among them would clear the view and its header
        // would relabel it.
        const std::optional<std::int32_t> target = lastInRangeAtOrBefore(fr.NowBlock);
        pldat::BlockHeaderFields header;
        if (!target || !fr.blockHeaderAt(*target, header)) {
            fr.NowBlock = shown;
            stepEnd();
            return;
        }
        PlayTyuu = 1;
        fr.NowBlock = *target;
        setSampleWindow(header.blockOffsetMs);
        if (!fr.backSkip()) {
            fr.NowBlock = shown;
            stepEnd();
            return;
        }
        progressMessage();
        window_.DrawChartLoad();
        stepEnd();
    });
}

// --- The replay loop ------------------------------------------------------------

std::string ReplayControl::exportPath() const {
    std::string path = window_.text(ReplayText::ExportFolder) + "/" + window_.text(ReplayText::ExportFileName);
    if (!reader()->shortExportOn) path += ExportWriter::kCsvExtension;
    return path;
}

void ReplayControl::writeStimulationExport() {
    const FileReader& fr = *reader();
    const auto r = range();
    const std::int64_t B = ceilBlocks(fr.DurationMax);
    if (!r || B <= 0) return;
    // The export goes on from the block the replay reads next.
    std::int64_t n = fr.NowBlock + (fr.BackTyuu ? std::max(fr.BlockNum, 0) : 0);
    while (n < fr.AllBlock && !inRange(*r, static_cast<std::int32_t>(n))) ++n;
    stimlog::ExportRange kept;
    kept.traceFrom = r->traceFrom;
    kept.traceTo = std::min(r->traceTo, tracesHeld());
    kept.msFrom = r->msFrom;
    kept.msTo = r->msTo;
    kept.firstTrace = static_cast<std::int32_t>(n / B + 1);
    kept.firstTraceMs = std::max<double>(r->msFrom, static_cast<double>(n % B) * kBlockMs);
    const std::string stem = window_.text(ReplayText::ExportFolder) + "/" + window_.text(ReplayText::ExportFileName);
    if (const std::string problem = stimlog::writeExportLog(recordingPath_, stem, kept); !problem.empty())
        console(problem.c_str());
}

std::string ReplayControl::exportDataPath() const {
    return reader()->shortExportOn ? exportPath() + ".bin" : exportPath();
}

void ReplayControl::showReplayEnd(bool exported, std::int64_t blocks, bool wholeRange) {
    namespace status = korin::status;
    if (exported) {
        const std::string path = exportDataPath();
        window_.showStatus(wholeRange ? status::exportWritten(path, blocks) : status::exportStopped(path, blocks));
    } else if (wholeRange) {
        window_.showStatus(status::kReplayFinished);
    } else {
        window_.showStatus(PauseTyuu ? status::kReplayPaused : "");
    }
}

void ReplayControl::readData() {
    FileReader& fr = *reader();
    blockRead_ = false;
    if (!rangeIntoReader()) {
        rangeFailed_ = true;
        return;
    }
    // After a step back the next block forward is the one after the window.
    if (fr.BackTyuu) {
        fr.NowBlock += std::max(fr.BlockNum, 0);
        fr.BackTyuu = false;
    }
    if (fr.isLastBlockReplay()) return;
    while (PlayTyuu) {
        if (!fr.readHeader()) {
            readFailed_ = true;
            return;
        }
        if (inTraceTime(fr.NowBlock)) {
            setSampleWindow(fr.blockOffsetTime);
            const std::int32_t n = fr.NowBlock;
            blockRead_ = fr.readData();
            readFailed_ = !blockRead_;
            if (blockRead_) measureBlock(n);
            return;
        }
        ++fr.NowBlock;
        window_.pollEvents();
        if (fr.isLastBlockReplay()) return;
    }
}

void ReplayControl::LoadData() {
    FileReader& fr = *reader();
    window_.applyEnterBackColor();
    window_.GetSelectCh(ACSelectaryrep);
    const bool exportOn = exporting();
    if (exportOn && !fr.fileopen(exportPath())) {
        console(fr.exportErrorText().c_str());
        rectf = 0;
        fr.rectf = false;
        StopTyuuDisable();
        window_.ShowAlertForm(fr.exportRefused() ? alerts::kExportWouldOverwrite : alerts::kExportFileNotCreated);
        return;
    }
    if (!window_.initEventPump()) {
        console("Can't initialize GLFW");
        if (exportOn) fr.fileclose();
        return;
    }
    inLoop_ = true;
    readFailed_ = rangeFailed_ = false;
    bool writeFailed = false;
    std::int64_t blocksExported = 0;
    window_.showStatus(exportOn ? korin::status::exporting(exportDataPath()) : korin::status::kReplaying);
    try {
        if (!PauseTyuu) {
            fr.syokika();
            resetMeasures();
            setReplayFilter();
        }
        if (exportOn) writeStimulationExport();
        ReplayTyuuDisable();
        KyuusiTyuu = 0;
        rangeFailed_ = !rangeIntoReader();
        if (!rangeFailed_) {
            while (!fr.isLastBlockReplay() && PlayTyuu) {
                readData();
                if (readFailed_ || rangeFailed_) break;
                if (!blockRead_) continue;  // the rest of the range lay outside its times
                if (exportOn && fr.exportFailed()) {
                    writeFailed = true;
                    break;
                }
                if (exportOn) ++blocksExported;
                if (onBlock) onBlock();
                progressMessage();
                window_.DrawChartLoad();
                window_.pollEvents();
                DelayValue = delayForSpeed(window_.text(ReplayText::Delay));
                if (DelayValue != 0) {
                    startDelay(DelayValue);
                    while (PlayTyuu && KyuusiTyuu) {
                        window_.pollEvents();
                        std::this_thread::sleep_for(std::chrono::milliseconds(1));
                    }
                    cancelDelay();
                }
            }
        }
    } catch (const std::exception& e) {
        korin::printInternalError(e.what());
        faultPending_ = true;
    } catch (...) {
        korin::printInternalError(korin::kUnknownExceptionText);
        faultPending_ = true;
    }
    cancelDelay();
    inLoop_ = false;
    if (exportOn && !fr.fileclose()) writeFailed = true;
    window_.terminateEventPump();
    showReplayEnd(exportOn, blocksExported, !faultPending_ && !writeFailed && !rangeFailed_ && !readFailed_ && fr.isLastBlockReplay());
    if (faultPending_) {
        alertInternalError();
    } else if (writeFailed) {
        console(fr.exportErrorText().c_str());
        StopTyuuDisable();
        window_.ShowAlertForm(alerts::kExportFileNotWritten);
    } else if (rangeFailed_) {
        StopTyuuDisable();
    } else if (fr.isLastBlockReplay()) {
        EndTyuuDisable();
    } else if (readFailed_) {
        StopTyuuDisable();
        window_.ShowAlertForm(alerts::kReplayFileNotRead);
    }
}

// --- Evoked-response measures --------------------------------------------------

void ReplayControl::resetMeasures() {
    std::uint16_t channels = 0;
    if (readerActive) {
        const FileReader& fr = *reader();
        for (int c = 0; c < FileReader::kChannels; ++c)
            if (fr.ACary[c] == 1 && ACSelectaryrep[c] != 0) channels = static_cast<std::uint16_t>(channels | 1U << c);
    }
    evoked_.setChannels(channels);
    evoked_.beginRun();
    measuredEnd_ = 0;
    measuringTrace_ = -1;
}

void ReplayControl::measureBlock(std::int32_t n) {
    FileReader& fr = *reader();
    // A block seen again after a step back was measured the first time.
    if (n < measuredEnd_) return;
    measuredEnd_ = n + 1;
    pldat::BlockHeaderFields h;
    if (!fr.blockHeaderAt(n, h)) return;
    if (h.traceIndex != measuringTrace_) {
        measuringTrace_ = h.traceIndex;
        std::int64_t traceScans = 0;
        pldat::BlockHeaderFields b;
        for (std::int32_t m = n - h.blockIndex; m < fr.AllBlock && fr.blockHeaderAt(m, b); ++m) {
            if (b.traceIndex != h.traceIndex) break;
            traceScans += b.samplesPerChannel;
        }
        const korin::TraceInfo info = measuresfile::traceInfoOf(h);
        const std::span<const korin::StimOnset> onsets = stimuli_.of(info.trace);
        evoked_.beginTrace(info, onsets.data(), static_cast<int>(onsets.size()), traceScans);
    }
    // The block's sample window is packed at the front of aryData.
    const std::int32_t first = std::max(fr.KaisiPoint, 0);
    const std::int32_t end = std::min(fr.OwariPoint, h.samplesPerChannel);
    if (end > first)
        evoked_.addBlock(fr.aryData, static_cast<std::int64_t>(h.blockIndex) * FileReader::kBlockScans + first,
                         end - first);
    if (fr.isLastBlockReplay()) evoked_.endRun();
}

// --- The delay thread -----------------------------------------------------------

void ReplayControl::DelaySleep() {
    std::unique_lock<std::mutex> lock(delayMutex_);
    delayWake_.wait_for(lock, std::chrono::milliseconds(DelayValue), [this] { return delayCancelled_; });
    KyuusiTyuu = 0;
}

void ReplayControl::startDelay(int ms) {
    cancelDelay();
    {
        std::lock_guard<std::mutex> lock(delayMutex_);
        delayCancelled_ = false;
    }
    DelayValue = ms;
    // Set before the thread starts, so that a short sleep cannot clear it first.
    KyuusiTyuu = 1;
    threadDelay = std::thread(&ReplayControl::DelaySleep, this);
}

void ReplayControl::cancelDelay() {
    if (!threadDelay.joinable()) return;
    {
        std::lock_guard<std::mutex> lock(delayMutex_);
        delayCancelled_ = true;
    }
    delayWake_.notify_all();
    threadDelay.join();
}
