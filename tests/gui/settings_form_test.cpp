// The remembered settings in the window: saved at close under "Custom" after a
// Yes, restored at the first paint of the next window, nothing saved under a
// preset, a damaged store starting the defaults, and a preset filling the controls.
#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QToolButton>
#include <QPushButton>
#include <QTemporaryDir>

#include <cstdlib>

#include "app/device_choice_form.h"
#include "app/easy_settings_form.h"
#include "app/panel_widgets.h"
#include "app/run_toolbar.h"
#include "acquisition/acquisition_ni.h"
#include "app/selected_views_form.h"
#include "app/settings_form.h"
#include "app/slope_view_form.h"
#include "app/step_editor_form.h"
#include "app/step_tab.h"
#include "files/settings_store.h"
#include "tests/gui/gui_test_support.h"

namespace {

using korin::SettingKey;

class SettingsFormTest : public ::testing::Test {
protected:
    void SetUp() override { korin::setSettingsFolderOverride(folder.path().toStdString()); }
    void TearDown() override {
        if (form) form->close();
        form.reset();
        korin::setSettingsFolderOverride("");
    }

    // A new window, shown, with its saved settings applied.
    void start() {
        form = std::make_unique<Korin16Form>(std::make_shared<NoDeviceDriver>(), "NI-DAQmx Dev1 (test)");
        alerts = std::make_shared<RecordingAlertSink>();
        form->setAlertSink(alerts);
        form->show();
        ASSERT_TRUE(waitFor([&] { return form->settingsForm->applied(); }));
        settle();
    }
    void closeAnswering(bool yes) {
        alerts->answer = yes;
        form->close();
        form.reset();
    }
    template <typename T>
    T* control(const char* name) const {
        T* found = form->findChild<T*>(QString::fromLatin1(name));
        EXPECT_NE(found, nullptr) << name;
        return found;
    }
    QString file(const char* name) const { return folder.filePath(QString::fromLatin1(name)); }
    void choosePreset(const char* name) {
        control<QComboBox>("comboBoxEasySettings")->setCurrentText(QString::fromLatin1(name));
    }

    QTemporaryDir folder;
    std::unique_ptr<Korin16Form> form;
    std::shared_ptr<RecordingAlertSink> alerts;
};

std::vector<PulseConfigs> pulses(const PulseParameters& p, int f) { return p.pulses(f); }

bool samePulses(const PulseParameters& a, const PulseParameters& b) {
    for (int f : {PulseParameters::kS1, PulseParameters::kS2}) {
        const auto x = pulses(a, f), y = pulses(b, f);
        if (x.size() != y.size()) return false;
        for (std::size_t i = 0; i < x.size(); ++i)
            if (x[i].Pulsetype != y[i].Pulsetype || x[i].Duration != y[i].Duration ||
                x[i].Intensity != y[i].Intensity || x[i].Pre != y[i].Pre || x[i].Post != y[i].Post)
                return false;
    }
    return a.repeatAll == b.repeatAll && a.addIncrementByRepS1 == b.addIncrementByRepS1 &&
           a.addIncrementByRepS2 == b.addIncrementByRepS2;
}

// Adds one pulse to output f of a tab through its controls.
void addPulse(Korin16Form& form, int step, int f, const char* duration, const char* intensity) {
    StepTab* tab = form.stepTab(step);
    tab->comboStepF->setCurrentIndex(f);
    tab->comboBoxPulse->setCurrentText("Biphasic");
    tab->textBoxDurationTrain->setText(duration);
    tab->textBoxIntensity->setText(intensity);
    tab->textBoxPre->setText("0");
    tab->textBoxPost->setText("99");
    tab->textBoxUnits->setText("1");
    tab->buttonAddStep->click();
}

TEST_F(SettingsFormTest, RoundTripRestoresEveryKeyAndAllSixLists) {
    start();
    // A protocol in every control the store keeps, set as the user would.
    const std::pair<const char*, const char*> texts[] = {
        {"comboInputRange", "10000"}, {"comboBoxTrace", "3"},      {"comboBoxHours", "0"},
        {"comboBoxMin", "5"},         {"comboBoxSec", "30"},      {"comboBoxInHours", "0"},
        {"comboBoxInMin", "6"},       {"comboBoxInSec", "15"},    {"comboBoxHPF", "10"},
        {"comboBoxLPF", "3000"},      {"comboBoxHPFReplay", "100"}, {"comboBoxLPFReplay", "3000"},
        {"comboBoxDataFormatReplay", "CSV"}, {"comboBoxDelay", "Slow"}};
    for (const auto& [name, text] : texts) korin::ui::setSelectorText(control<QComboBox>(name), text);
    control<QLineEdit>("textBoxRawYMax")->setText("120");
    control<QLineEdit>("textBoxFreqYMax")->setText("40");
    control<QLineEdit>("textBoxFreqYMin")->setText("2");
    control<QCheckBox>("CheckStep1Enable")->setChecked(true);
    control<QCheckBox>("CheckStep2Enable")->setChecked(true);
    for (int step = 0; step < 3; ++step) {
        addPulse(*form, step, PulseParameters::kS1, "0.2", "-15");
        addPulse(*form, step, PulseParameters::kS1, "0.3", "-25");
        addPulse(*form, step, PulseParameters::kS2, "0.4", "-35");
        form->stepTab(step)->electrodeButtons[static_cast<std::size_t>(3 + step)]->click();  // S2, the shown output
    }
    form->stepTab(0)->buttonbyrep->click();
    form->stepTab(1)->buttonRepeatAll->click();
    form->stepTab(1)->textBoxAutoIncrement->setText("2.5");
    form->Rawauto = true;
    form->RawXaxis = "1000";
    form->RawYaxis = "100";
    form->RawUpXaxis = "5";
    form->selectedViews->setRawUpAuto(true);
    form->selectedViews->setFreqAuto(true);
    form->Mode = 2;
    form->selectCh = 7;
    form->hyouziStep = 2;
    form->UIType = "A";
    form->colors.BackColor16 = {10, 20, 30};
    form->colors.LineColor16 = {200, 100, 50};
    form->colors.GridColor16 = {1, 2, 3};
    form->selectedViews->rawUpUnitItem("mV");
    form->selectedViews->epXUnitItem("min");
    control<QLineEdit>("textBoxRawYMin")->setText("abc");  // kept as its fallback
    form->deviceChoice->setPreference(DevicePreference::Simulated);

    const korin::SettingsValues saved = form->settingsForm->currentValues();
    const PulseParameters step1 = form->Step1PP, step2 = form->Step2PP, manual = form->StepMPP;
    EXPECT_EQ(saved.get(SettingKey::RawYMin), "-0.5");
    closeAnswering(true);
    ASSERT_EQ(alerts->asked, QStringList{"Would you like to save the current settings?"});

    start();
    const korin::SettingsValues restored = form->settingsForm->currentValues();
    for (const korin::SettingKeyInfo& key : korin::settingKeys()) {
        if (key.id == SettingKey::DataFormat) continue;  // written, never read back
        EXPECT_EQ(restored.get(key.id), saved.get(key.id)) << key.name;
    }
    EXPECT_TRUE(samePulses(form->Step1PP, step1));
    EXPECT_TRUE(samePulses(form->Step2PP, step2));
    EXPECT_TRUE(samePulses(form->StepMPP, manual));
    EXPECT_EQ(form->Step1PP.S2Ch, 3);
    EXPECT_EQ(form->StepMPP.S2Ch, 5);
    EXPECT_EQ(form->stepTab(0)->comboStepF->currentText(), "S2");
    EXPECT_EQ(form->stepTab(0)->redElectrode(), 3);
    EXPECT_EQ(control<QComboBox>("comboBoxMin")->currentText(), "5");
    EXPECT_TRUE(control<QCheckBox>("CheckStep2Enable")->isChecked());
    EXPECT_EQ(form->colors.LineColor16, (Rgb{200, 100, 50}));
    EXPECT_EQ(form->RawUpYScale, 1);  // mV
    EXPECT_EQ(form->EpXScale, 60000);
    EXPECT_EQ(form->deviceChoice->preference(), DevicePreference::Simulated);
}

TEST_F(SettingsFormTest, SlopeModeItsChoicesAndTheWindowsSurviveASaveAndARestart) {
    start();
    for (int i = 0; i < 3; ++i) form->modeButton()->click();
    ASSERT_EQ(form->Mode, 3);
    form->slopeView->setMeasure(korin::EvokedMeasure::Amplitude);
    form->slopeView->setBaselineTraces(25);
    form->slopeView->setAbsolute(true);
    const korin::EvokedWindows windows{5, 0.5, 0.8, 1.2, 20, 1.25, 2.75, 0.6};
    ASSERT_FALSE(form->slopeView->setEvokedWindows(windows));
    closeAnswering(true);

    start();
    EXPECT_EQ(form->Mode, 3);
    EXPECT_EQ(form->modeButton()->text(), "Slope");
    EXPECT_EQ(form->slopeView->settings().measure, korin::EvokedMeasure::Amplitude);
    EXPECT_EQ(form->slopeView->settings().baselineTraces, 25);
    EXPECT_TRUE(form->slopeView->settings().absolute);
    EXPECT_TRUE(control<QAction>("MenuItemSlopeAmplitude")->isChecked());
    EXPECT_EQ(control<QLineEdit>("textBoxSlopeBaselineTraces")->text(), "25");
    EXPECT_EQ(form->slopeView->evokedWindows(), windows);
}

TEST_F(SettingsFormTest, EachOutputsIncreaseSurvivesASaveAndARestart) {
    start();
    StepTab* tab = form->stepTab(0);
    tab->comboStepF->setCurrentIndex(PulseParameters::kS1);
    tab->textBoxAutoIncrement->setText("2");
    tab->comboStepF->setCurrentIndex(PulseParameters::kS2);
    tab->textBoxAutoIncrement->setText("7");
    closeAnswering(true);

    start();
    tab = form->stepTab(0);
    EXPECT_EQ(form->Step1PP.autoincrementS1, "2");
    EXPECT_EQ(form->Step1PP.autoincrementS2, "7");
    EXPECT_EQ(tab->comboStepF->currentText(), "S2");
    EXPECT_EQ(tab->textBoxAutoIncrement->text(), "7");
    tab->comboStepF->setCurrentIndex(PulseParameters::kS1);
    EXPECT_EQ(tab->textBoxAutoIncrement->text(), "2");
}

// The same store printed by `korin16-cli settings` (tests/cli/settings.sh).
TEST_F(SettingsFormTest, StoredValuesNoControlOffersLoadAsTheToolPrintsThem) {
    QFile store(file(korin::kSettingsFileName));
    ASSERT_TRUE(store.open(QIODevice::WriteOnly));
    store.write("<configuration><appSettings><add key=\"Input Range\" value=\"5000\"/>"
                "<add key=\"Low cut freq\" value=\"7\"/><add key=\"High cut freq\" value=\"3000\"/>"
                "<add key=\"Step1F\" value=\"S3\"/><add key=\"Min\" value=\"1.5\"/>"
                "<add key=\"Step1S2Ch\" value=\"abc\"/><add key=\"Step2S1Ch\" value=\"3.0\"/>"
                "</appSettings></configuration>");
    store.close();
    start();
    EXPECT_EQ(control<QComboBox>("comboInputRange")->currentText(), "2000");
    EXPECT_EQ(control<QComboBox>("comboBoxHPF")->currentText(), "1");
    EXPECT_EQ(control<QComboBox>("comboBoxLPF")->currentText(), "5000");
    EXPECT_EQ(control<QComboBox>("comboStep1F")->currentText(), "S1");
    EXPECT_EQ(control<QComboBox>("comboBoxMin")->currentText(), "0");
    EXPECT_EQ(form->Step1PP.S2Ch, -1);
    EXPECT_EQ(form->Step2PP.S1Ch, -1);
}

TEST_F(SettingsFormTest, ClosingUnderAPresetSavesNothing) {
    start();
    choosePreset("Straight pacing");
    closeAnswering(true);
    EXPECT_TRUE(alerts->asked.isEmpty());
    EXPECT_TRUE(QDir(folder.path()).isEmpty());
}

TEST_F(SettingsFormTest, EpBaselineFillsTheControls) {
    start();
    choosePreset("EP - baseline");
    EXPECT_TRUE(control<QCheckBox>("CheckStep1Enable")->isChecked());
    EXPECT_FALSE(control<QCheckBox>("CheckStep2Enable")->isChecked());
    EXPECT_EQ(control<QComboBox>("comboBoxTrace")->currentText(), "1000");
    EXPECT_EQ(control<QComboBox>("comboBoxSec")->currentText(), "0.1");
    EXPECT_EQ(control<QComboBox>("comboBoxInSec")->currentText(), "20");
    EXPECT_EQ(control<QComboBox>("comboInputRange")->currentText(), "10000");
    ASSERT_EQ(form->Step1PP.pulses(PulseParameters::kS1).size(), 1u);
    EXPECT_EQ(form->Step1PP.pulses(PulseParameters::kS2).size(), 1u);
    EXPECT_EQ(form->Step1PP.pulses(PulseParameters::kS1)[0].Duration, "0.2");
    EXPECT_EQ(form->Step1PP.S1Ch, 0);
    EXPECT_EQ(form->Step1PP.S2Ch, -1);
    EXPECT_EQ(form->stepTab(0)->redElectrode(), 0);
    EXPECT_EQ(form->stepTab(0)->comboBoxUnit->currentText(), "1");
    EXPECT_EQ(form->stepTab(0)->textBoxPost->text(), "99.8");
    EXPECT_EQ(form->Mode, 1);
}

TEST_F(SettingsFormTest, TruncatedStoreStartsWithDefaultsAndIsKeptAside) {
    QFile store(file(korin::kSettingsFileName));
    ASSERT_TRUE(store.open(QIODevice::WriteOnly));
    store.write("<configuration><appSettings><add key=\"Min\" value=\"5\"/><add key=\"Tra");
    store.close();
    start();
    EXPECT_EQ(control<QComboBox>("comboBoxMin")->currentText(), "20");
    EXPECT_EQ(control<QComboBox>("comboBoxTrace")->currentText(), "1");
    EXPECT_TRUE(QFile::exists(file("Korin16.config.bad")));
    EXPECT_FALSE(QFile::exists(file(korin::kSettingsFileName)));
}

TEST_F(SettingsFormTest, ChosenDeviceOpensAtTheNextRunsSetUp) {
    start();
    DeviceChoiceForm& device = *form->deviceChoice;
    int opened = 0;
    device.choose = [&](DevicePreference) {
        ++opened;
        return DeviceChoice{std::make_shared<NoDeviceDriver>(true), "Simulated Dev1 (chosen)", false, ""};
    };
    device.menu()->actions().at(2)->trigger();  // "Simulated"
    EXPECT_EQ(opened, 0);
    EXPECT_TRUE(form->labelDevice->text().endsWith("(Simulated from the next run)")) << form->labelDevice->text().toStdString();
    form->runToolBars()[0]->toolStripButtonPlay->click();  // the set-up fails on the absent device
    settle();
    EXPECT_EQ(opened, 1);
    EXPECT_TRUE(form->acquisition->driver().isSimulated());
    EXPECT_TRUE(form->labelDevice->text().startsWith("Device: Simulated Dev1 (chosen)"));
    EXPECT_FALSE(form->labelDevice->text().contains("next run"));
}

// With KORIN16_PROTOCOL_DIR set (tests/cli/record_settings.sh), saves an
// "EP - baseline" protocol of two 0.1 s traces there for the command-line tool.
TEST_F(SettingsFormTest, SavesAProtocolForTheCommandLine) {
    const char* out = std::getenv("KORIN16_PROTOCOL_DIR");
    if (!out) GTEST_SKIP() << "run by tests/cli/record_settings.sh";
    korin::setSettingsFolderOverride(out);
    start();
    choosePreset("EP - baseline");
    choosePreset("Custom");
    korin::ui::setSelectorText(control<QComboBox>("comboBoxTrace"), "2");
    korin::ui::setSelectorText(control<QComboBox>("comboBoxInSec"), "1");
    korin::ui::setSelectorText(control<QComboBox>("comboBoxHPF"), "10");
    form->stepTab(0)->comboStepF->setCurrentIndex(PulseParameters::kS2);
    form->stepTab(0)->electrodeButtons[4]->click();  // S2 to electrode 5
    closeAnswering(true);
    EXPECT_TRUE(QFile::exists(QDir(out).filePath("Step1 S1 Stim.csv")));
}

}  // namespace
