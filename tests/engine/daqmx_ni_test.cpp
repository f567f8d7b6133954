#include "acquisition/daqmx_ni.h"

#include <gtest/gtest.h>

#include "acquisition/device_choice.h"

TEST(NiBinding, AbsentLibraryIsReportedUnavailableWithTheReason) {
    std::string reason;
    auto driver = daqmx::loadNiDaqmx(&reason, {"libkorin16-absent-driver.so.1"});
    EXPECT_EQ(driver, nullptr);
    EXPECT_NE(reason.find("libkorin16-absent-driver.so.1"), std::string::npos) << reason;
}

TEST(NiBinding, LibraryWithoutTheDriverSymbolsIsRefused) {
    std::string reason;
    auto driver = daqmx::loadNiDaqmx(&reason, {"libm.so.6"});
    EXPECT_EQ(driver, nullptr);
    EXPECT_NE(reason.find("DAQmxCreateTask"), std::string::npos) << reason;
}

TEST(DeviceChoice, FallsBackToTheSimulatedDev1WhenTheDriverIsAbsent) {
    DeviceChoiceOptions options;
    options.niLibraryNames = {"libkorin16-absent-driver.so.1"};
    options.simulationRealTime = false;
    DeviceChoice choice = chooseDevice(options);
    ASSERT_NE(choice.driver, nullptr);
    EXPECT_TRUE(choice.driver->isSimulated());
    EXPECT_FALSE(choice.niAvailable);
    EXPECT_NE(choice.description.find("Simulated"), std::string::npos);
    EXPECT_NE(choice.niStatus.find("not found"), std::string::npos);
    std::string why;
    EXPECT_TRUE(deviceAnswers(*choice.driver, &why)) << why;
}
