// The font families the window and its dialogs name come from another platform;
// these map them to the nearest families found on this machine.
#pragma once

#include <QFont>

namespace korin {

inline void registerFontSubstitutes() {
    static const bool registered = [] {
        QFont::insertSubstitutions("Microsoft Sans Serif",
                                   {"Liberation Sans", "Arial", "DejaVu Sans Condensed", "DejaVu Sans"});
        QFont::insertSubstitutions("Verdana", {"DejaVu Sans", "Bitstream Vera Sans"});
        QFont::insertSubstitutions("MS UI Gothic", {"Noto Sans CJK JP", "IPAGothic", "DejaVu Sans"});
        return true;
    }();
    (void)registered;
}

}  // namespace korin
