// Shared pieces of the window tests: a driver with no device behind it, an alert
// sink that records instead of blocking, and a shown, loaded main window.
#pragma once

#include <QApplication>
#include <QElapsedTimer>
#include <QMouseEvent>
#include <QStringList>
#include <QWidget>

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <memory>
#include <string>

#include "acquisition/daqmx.h"
#include "acquisition/sim_device.h"
#include "app/alert_forms.h"
#include "app/korin16_form.h"

// Every device call fails as if "Dev1" were not connected.
class NoDeviceDriver : public daqmx::Driver {
    using int32 = daqmx::int32;

public:
    explicit NoDeviceDriver(bool simulated = false) : simulated_(simulated) {}
    std::string name() const override { return simulated_ ? "Simulated Dev1" : "NI-DAQmx"; }
    bool isSimulated() const override { return simulated_; }
    int32 DAQmxCreateTask(const char*, daqmx::TaskHandle*) override { return fail(); }
    int32 DAQmxCreateAIVoltageChan(daqmx::TaskHandle, const char*, const char*, int32, double, double, int32,
                                   const char*) override { return fail(); }
    int32 DAQmxCreateAOVoltageChan(daqmx::TaskHandle, const char*, const char*, double, double, int32,
                                   const char*) override { return fail(); }
    int32 DAQmxCreateDOChan(daqmx::TaskHandle, const char*, const char*, int32) override { return fail(); }
    int32 DAQmxCfgSampClkTiming(daqmx::TaskHandle, const char*, double, int32, int32, daqmx::uInt64) override {
        return fail();
    }
    int32 DAQmxReadAnalogF64(daqmx::TaskHandle, int32, double, daqmx::bool32, double[], daqmx::uInt32, int32*,
                             daqmx::bool32*) override { return fail(); }
    int32 DAQmxWriteAnalogF64(daqmx::TaskHandle, int32, daqmx::bool32, double, daqmx::bool32, const double[],
                              int32*, daqmx::bool32*) override { return fail(); }
    int32 DAQmxWriteDigitalU32(daqmx::TaskHandle, int32, daqmx::bool32, double, daqmx::bool32,
                               const daqmx::uInt32[], int32*, daqmx::bool32*) override { return fail(); }
    int32 DAQmxStartTask(daqmx::TaskHandle) override { return fail(); }
    int32 DAQmxStopTask(daqmx::TaskHandle) override { return fail(); }
    int32 DAQmxClearTask(daqmx::TaskHandle) override { return fail(); }
    int32 DAQmxGetExtendedErrorInfo(char text[], daqmx::uInt32 size) override {
        std::strncpy(text, "Device identifier is invalid.", size);
        if (size > 0) text[size - 1] = '\0';
        return 0;
    }

private:
    static int32 fail() { return daqmx::DAQmxErrorDeviceNotFound; }
    bool simulated_;
};

// Records what the window would have shown; answers questions with `answer`.
class RecordingAlertSink : public AlertSink {
public:
    void inform(const QString& text) override { informed << text; }
    bool ask(const QString& question) override {
        asked << question;
        return answer;
    }
    QStringList informed;
    QStringList asked;
    bool answer = false;
};

// Lets posted events (layout, the deferred start-up work) run.
inline void settle() {
    for (int i = 0; i < 5; ++i) QApplication::processEvents();
}

// Handles events until `done` holds or `timeoutMs` have passed; true if it held.
// For what depends on the display server, such as the first expose and paint.
template <typename Condition>
bool waitFor(Condition done, int timeoutMs = 5000) {
    QElapsedTimer waited;
    waited.start();
    while (!done()) {
        if (waited.elapsed() > timeoutMs) return false;
        QApplication::processEvents(QEventLoop::AllEvents, 20);
    }
    return true;
}

// A main window on a device that is not there, shown and loaded.
class ShownForm : public ::testing::Test {
protected:
    void SetUp() override { showForm(std::make_shared<NoDeviceDriver>(), "NI-DAQmx Dev1 (test)"); }
    void showForm(std::shared_ptr<daqmx::Driver> driver, const char* deviceName) {
        form = std::make_unique<Korin16Form>(std::move(driver), deviceName);
        alerts = std::make_shared<RecordingAlertSink>();
        form->setAlertSink(alerts);
        form->show();
        settle();
    }
    void TearDown() override {
        form->close();
        form.reset();
    }

    template <typename T = QWidget>
    T* control(const char* name) const {
        T* found = form->findChild<T*>(QString::fromLatin1(name));
        EXPECT_NE(found, nullptr) << name;
        return found;
    }

    std::unique_ptr<Korin16Form> form;
    std::shared_ptr<RecordingAlertSink> alerts;
};

// The window on the free-running simulated Dev1, with a folder of its own per
// test: ctest runs the tests of a file side by side.
class ShownSimulatedForm : public ShownForm {
protected:
    void SetUp() override {
        const ::testing::TestInfo* test = ::testing::UnitTest::GetInstance()->current_test_info();
        folder = std::filesystem::temp_directory_path() /
                 (std::string("korin16-window-") + test->test_suite_name() + "-" + test->name());
        std::filesystem::remove_all(folder);
        std::filesystem::create_directories(folder);
        SimulatedDevice::Options options;
        options.realTime = false;
        showForm(std::make_shared<SimulatedDevice>(options), "Simulated Dev1");
    }
    void TearDown() override {
        ShownForm::TearDown();
        std::filesystem::remove_all(folder);
    }
    std::filesystem::path folder;
};

// A left-button press at the widget's top left, as a click into a field begins.
inline void pressInto(QWidget* widget) {
    const QPointF at(3, 3);
    QMouseEvent press(QEvent::MouseButtonPress, at, widget->mapToGlobal(at), Qt::LeftButton, Qt::LeftButton,
                      Qt::NoModifier);
    QApplication::sendEvent(widget, &press);
    QMouseEvent release(QEvent::MouseButtonRelease, at, widget->mapToGlobal(at), Qt::LeftButton, Qt::NoButton,
                        Qt::NoModifier);
    QApplication::sendEvent(widget, &release);
}
