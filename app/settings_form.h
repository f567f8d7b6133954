// The window side of the remembered settings: puts each stored key into its
// control or field at the first paint of the step-1 stimulus panel, and at
// close (under "Custom", after a Yes) reads every key back from the controls
// and saves them with the six pulse lists. The form makes one; it plugs
// itself into the form's initialSettingLastOneMemory and
// Korin16Form_FormClosed hooks.
#pragma once

#include <QObject>

#include <string>

#include "files/settings_memory.h"

class Korin16Form;

class SettingsForm : public QObject, public korin::SettingsTarget {
    Q_OBJECT
public:
    explicit SettingsForm(Korin16Form& form);
    ~SettingsForm() override;

    // Reads the store and the pulse lists of korin::settingsFolder() and applies
    // them in their four passes; every console line goes to standard output.
    void initialSettingLastOneMemory();
    // Whether the saved settings have been applied (once per window).
    bool applied() const { return applied_; }
    // Asks to save only under "Custom"; a No or any other preset saves nothing.
    void Korin16Form_FormClosed();

    // Every key of the table as the controls and fields hold it now.
    korin::SettingsValues currentValues() const;

    // --- SettingsTarget ---
    void applySetting(korin::SettingKey key, const std::string& value) override;
    void applyPulseList(korin::PulseList list, const korin::PulseListFile& file) override;
    void stepListsLoaded(int step) override;
    void applyLoaded(const korin::SettingsValues& values) override;

private:
    // The trace duration of the acquisition panel, for the record-time check
    // of the pulse lists of Steps 1 and 2.
    double traceSeconds() const;

    Korin16Form& form_;
    bool applied_ = false;
};
