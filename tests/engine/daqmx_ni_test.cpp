#include "acquisition/daqmx_ni.h"

#include <gtest/gtest.h>


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
