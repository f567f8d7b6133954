#include "acquisition/headless_run_window.h"

HeadlessRunWindow::HeadlessRunWindow() {
    // The window's start-up defaults of the record panel.
    texts = {
        {RunText::Repeat, "1"},          {RunText::Hours, "0"},         {RunText::Minutes, "20"},
        {RunText::Seconds, "0"},         {RunText::IntervalHours, "0"}, {RunText::IntervalMinutes, "0"},
        {RunText::IntervalSeconds, "0"}, {RunText::InputRange, "2000"}, {RunText::DataFormat, "Pellor (16 bit)"},
        {RunText::OutputFolder, ""},     {RunText::AddText, ""},        {RunText::Highpass, "1"},
        {RunText::Lowpass, "5000"},      {RunText::ManualButton, "Start Stim"},
        {RunText::LabelTrace, "0001"},   {RunText::LabelRemaining, "00:00:00"},
        {RunText::LabelInterval, "00:00:00"},
    };
}

std::string HeadlessRunWindow::text(RunText which) const {
    auto it = texts.find(which);
    return it == texts.end() ? std::string() : it->second;
}

void HeadlessRunWindow::applyRunState(korin::RunState newState, bool recording) {
    state = newState;
    if (newState == korin::RunState::Stop) ++stopStates;
    korin::GatingContext context{false, recording};
    if (auto on = korin::resolveGate(korin::gateFor(korin::ControlGroup::PauseButtons, newState), context))
        pauseEnabled = *on;
    if (auto on = korin::resolveGate(korin::gateFor(korin::ControlGroup::ManualStimButton, newState), context))
        manualEnabled = *on;
}

void HeadlessRunWindow::ShowAlertForm(const std::string& message) {
    alerts.push_back(message);
    if (onAlert) onAlert(message);
}

bool HeadlessRunWindow::askYesNo(const std::string& question) {
    questions.push_back(question);
    if (onQuestion) onQuestion(question);
    return answer;
}

void HeadlessRunWindow::pollEvents() {
    ++polls;
    if (onPoll) onPoll(polls);
}
