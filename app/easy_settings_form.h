// The "EASY SETTINGS" selector: choosing a preset copies the window's protocol
// into a PresetState, lets the presets switch it, and shows the result in the
// acquisition panel, the three step tabs, the time line and the views. The
// form makes one; it connects itself to the selector.
#pragma once

#include <QObject>
#include <QString>

#include "stimulation/easy_settings.h"

class Korin16Form;

class EasySettingsForm : public QObject {
    Q_OBJECT
public:
    explicit EasySettingsForm(Korin16Form& form);

    void comboBoxEasySettings_SelectedIndexChanged(const QString& selected);

    // The window's protocol as a preset sees it, and back.
    PresetState readState() const;
    void showState(const PresetState& state);

    EasySettingsPresets presets;

private:
    Korin16Form& form_;
};
