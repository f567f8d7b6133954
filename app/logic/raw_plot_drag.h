// The threshold and EP-window drags of the selected-channel raw plot. Only the
// left button starts one, and the pointer moves it only while that button is
// still held: another button's press opens the plot's menu, whose release the
// plot never sees, and must not leave every channel's threshold following a
// pointer with no button down.
#pragma once

#include <cstdint>

namespace korin {

struct RawPlotDrag {
    std::uint8_t DragOK = 0;

    // Any press but the left button's ends a drag.
    void press(bool leftButton) { DragOK = leftButton ? 1 : 0; }
    void release() { DragOK = 0; }
    // Whether a move drags; a move without the left button held ends the drag.
    bool move(bool leftHeld) {
        if (!leftHeld) DragOK = 0;
        return DragOK != 0;
    }
};

}  // namespace korin
