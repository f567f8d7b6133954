#include "display/chart_source.h"

#include "acquisition/acquisition_ni.h"

static_assert(AcquisitionNI::kChAryLength == ChartSnapshot::kLength);

ChartSnapshot liveSnapshot(const AcquisitionNI& acquisition) {
    ChartSnapshot s;
    s.chAry = acquisition.chAry;
    s.DrawChartMaxIndex = acquisition.DrawChartMaxIndex;
    s.ring = true;
    s.tailA = acquisition.tailA;
    s.DrawTyuu = acquisition.DrawTyuu != 0;
    return s;
}
