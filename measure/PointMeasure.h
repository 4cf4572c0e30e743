#pragma once
// Point measurement: the zoom choice, the "Punktmål" button and its timer, and
// the two measurement windows, each loaded at most once.
#include "measure/Host.h"
#include "measure/Measure.h"
#include "platform/Services.h"
#include "platform/x11/NativeWindow.h"

#include <QPointer>
#include <QTimer>

#include <cstdint>
#include <memory>
#include <optional>

namespace measure {

class frmPunkt;
class frmZoom;

class PointMeasure {
public:
    // `services` gives the screen copy, the settings store (zoom window
    // position) and the message box; any of them may be missing.
    PointMeasure(Host& host, const platform::Services& services);
    ~PointMeasure();
    PointMeasure(const PointMeasure&) = delete;
    PointMeasure& operator=(const PointMeasure&) = delete;

    // Half the side of the block taken around the pointer; 0 until a zoom
    // choice is made.
    int32_t lZoomHalf = 0;
    // Side of the block whose mean a pick takes (kSampleSides): 1, a single
    // pixel, unless the keys chose 3 or 5 while measuring.
    int sampleSide = 1;
    // Single shot, 200 ms: lets the main window vanish before the screen is copied.
    QTimer tmr1;

    void cboZoom_Click(int listIndex);
    void cmdPunkt_Click();
    void tmr1_Timer();

    // The loaded windows, or null.
    frmPunkt* Punkt() const;
    frmZoom* Zoom() const;

    // Loading creates the window with `still` (which may show the pointer
    // where the desktop drew it) and runs its Form_Load; unloading (a no-op
    // when not loaded) hides it and lets it go with its image.
    frmPunkt* LoadPunkt(std::unique_ptr<platform::ScreenStill> still, bool pointerInStill = false);
    void UnloadPunkt();
    frmZoom* LoadZoom();
    void UnloadZoom();

    Host& host;
    const platform::Services services;

    // What the desktop lets the program know and do.
    struct Desktop {
        // Where the pointer is, before it moves over a window of ours.
        bool pointerKnownAtStart = platform::PointerKnownAtStart();
        // Windows go where they are put; if not, the magnifier is drawn
        // inside the capture window.
        bool placesWindows = platform::PlacesOwnWindows();
    } desktop;

private:
    // The screen copy has come (or not): measure on it, or offer the
    // desktop's own colour pick, or say that the screen cannot be copied.
    void Grabbed(platform::IScreenGrab::Result result);
    void Picked(std::optional<int32_t> colour);
    // Back to the main window after a measurement that picked nothing.
    void Abandon(bool tell);

    // Set while the screen copy or the desktop's pick is under way.
    bool grabbing_ = false;
    // Outlives nothing of this object: calls back from a grab check it.
    std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
    QPointer<frmPunkt> punkt_;
    QPointer<frmZoom> zoom_;
};

} // namespace measure
