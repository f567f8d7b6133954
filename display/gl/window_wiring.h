// How the main window hands its fields, menus and sources to the
// sixteen-channel view and its colour menus, in one call from the window.
#pragma once

#include <QString>

#include <cstdint>
#include <functional>

#include "display/gl/sixteen_channel_view.h"
#include "display/gl/view_menus.h"
#include "display/selected_view_update.h"

class FileReader;
class QActionGroup;
class QLineEdit;
class QMenu;

// The window's own fields the view reads and writes.
struct WindowViewFields {
    QString* UIType = nullptr;
    QString* RawXaxis = nullptr;
    QString* RawYaxis = nullptr;
    bool* Rawauto = nullptr;
    QString* SelectOneCh = nullptr;
    std::int32_t* selectCh = nullptr;
    std::uint8_t* ReplayMode = nullptr;
    bool* sizechange = nullptr;
    bool* Tatiagari = nullptr;
    bool* PaintTatiagari = nullptr;
    bool* Paint16ChFirst = nullptr;
};

// A binding that reads and writes the fields above; every pointer must be set.
SixteenChannelBinding bindingToFields(const WindowViewFields& f);

// The selected-channel views as the sixteen-channel frames update them: the
// window's fields and range boxes they follow, and their drawing operations.
struct SelectedViewsWiring {
    std::uint8_t* Mode = nullptr;      // 0 "Spike", 1 "EP", 2 "ISI"
    QString* RawUpXaxis = nullptr;     // raw plot width, s
    int* EpXScale = nullptr;           // ms per analysis X unit
    QLineEdit* textBoxRawXMin = nullptr;
    QLineEdit* textBoxRawXMax = nullptr;
    QLineEdit* textBoxFreqXMin = nullptr;
    QLineEdit* textBoxFreqXMax = nullptr;
    std::function<void()> DrawSelectCh;
    std::function<void()> DrawFreqSelectCh;
    std::function<void()> DrawSelectChWaku;
    std::function<void()> DrawSelectFreqChWaku;
};

struct SixteenChannelWiring {
    ViewColors* colors = nullptr;
    WindowViewFields fields;
    const AcquisitionNI* acquisition = nullptr;
    std::function<const FileReader*()> reader;  // the window replaces its reader per file
    QMenu* contextMenu = nullptr;
    QActionGroup* xAxisItems = nullptr;  // "X-axis" items in menu order
    QActionGroup* yAxisItems = nullptr;  // "Y-axis" items in menu order, "Autoscale" last
    // The "Preferences" items of the three data views; each ends with SizeChangeDraw.
    std::array<PreferenceActions, 3> preferences{};
    std::function<void()> SizeChangeDraw;
    SelectedViewsWiring selected;
};

// Applies the plan to the range boxes, the views and sizechange, in the order
// the plan's steps are taken after a frame.
void applySelectedViewPlan(const SelectedViewPlan& plan, const SelectedViewsWiring& w, bool& sizechange);

// Installs the view into the placeholder panel and connects everything above.
SixteenChannelView* installSixteenChannelView(QWidget* placeholder, const SixteenChannelWiring& w);
