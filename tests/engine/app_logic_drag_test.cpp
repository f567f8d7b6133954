#include <gtest/gtest.h>

#include <vector>

#include "app/logic/raw_plot_drag.h"

namespace {

enum class Pointer { PressLeft, PressRight, Release, Leave, Move, MoveLeftHeld };

bool lastMoveDrags(const std::vector<Pointer>& events) {
    korin::RawPlotDrag drag;
    bool drags = false;
    for (Pointer e : events) {
        switch (e) {
            case Pointer::PressLeft: drag.press(true); break;
            case Pointer::PressRight: drag.press(false); break;
            case Pointer::Release:
            case Pointer::Leave: drag.release(); break;
            case Pointer::Move: drags = drag.move(false); break;
            case Pointer::MoveLeftHeld: drags = drag.move(true); break;
        }
    }
    return drags;
}

}  // namespace

TEST(RawPlotDrag, OnlyALeftPressStartsADragAndOnlyTheHeldLeftButtonMovesIt) {
    using P = Pointer;
    struct Case {
        const char* what;
        std::vector<Pointer> events;
        bool drags;
    };
    const Case cases[] = {
        {"left drag", {P::PressLeft, P::MoveLeftHeld}, true},
        {"right press, its release taken by the menu", {P::PressRight, P::Move}, false},
        {"left press whose release went elsewhere", {P::PressLeft, P::Move, P::MoveLeftHeld}, false},
        {"released", {P::PressLeft, P::Release, P::MoveLeftHeld}, false},
        {"left the plot", {P::PressLeft, P::Leave, P::MoveLeftHeld}, false},
        {"right press during a left drag", {P::PressLeft, P::PressRight, P::MoveLeftHeld}, false},
        {"left press after a right one", {P::PressRight, P::Move, P::PressLeft, P::MoveLeftHeld}, true},
    };
    for (const Case& c : cases) EXPECT_EQ(lastMoveDrags(c.events), c.drags) << c.what;
}
