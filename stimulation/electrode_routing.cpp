#include "stimulation/electrode_routing.h"

namespace stim {

std::int32_t getPOch(std::int32_t ch) {
    if (ch >= 0 && ch <= 7) return ch + 16;
    if (ch >= 8 && ch <= 15) return ch;
    return kNotRouted;
}

ElectrodeClick clickElectrodeButton(int redButton, int label, std::int32_t electrode) {
    const std::int32_t ch = label - 1;
    ElectrodeClick result;
    result.redButton = redButton == ch ? -1 : ch;
    result.electrode = electrode == ch ? -1 : ch;
    return result;
}

}  // namespace stim
