#include "files/replay_window.h"

HeadlessReplayWindow::HeadlessReplayWindow() {
    // The replay panel's start-up texts.
    texts = {
        {ReplayText::TraceFrom, ""},        {ReplayText::TraceTo, ""},
        {ReplayText::TimeFrom, ""},         {ReplayText::TimeTo, ""},
        {ReplayText::Highpass, "None"},     {ReplayText::Lowpass, "None"},
        {ReplayText::Delay, "Fast"},        {ReplayText::DataFormat, "Short (16 bit)"},
        {ReplayText::ExportFolder, ""},     {ReplayText::ExportFileName, ""},
        {ReplayText::LabelTrace, "0001"},   {ReplayText::LabelRemaining, "00:00:00"},
        {ReplayText::SelectOneCh, "0"},
    };
}

std::string HeadlessReplayWindow::text(ReplayText which) const {
    auto it = texts.find(which);
    return it == texts.end() ? std::string() : it->second;
}

void HeadlessReplayWindow::applyRunState(korin::RunState newState, bool) {
    state = newState;
    states.push_back(newState);
}

void HeadlessReplayWindow::ShowAlertForm(const std::string& message) {
    alerts.push_back(message);
    if (onAlert) onAlert(message);
}

void HeadlessReplayWindow::DrawChartLoad() {
    ++draws;
    if (onDraw) onDraw();
}

void HeadlessReplayWindow::pollEvents() {
    ++polls;
    if (onPoll) onPoll(polls);
}
