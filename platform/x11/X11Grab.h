#pragma once
// The screen copy on X11: the whole root at once, kept by the server where it
// has room and read by the program where not; elsewhere what Qt can copy of
// each screen.
#include "platform/Services.h"
#include "platform/x11/NativeImage.h"

namespace platform {

class X11Grab : public IScreenGrab {
public:
    void GrabDesktop(StillDone done) override;
    void Prepare() override;

    // The still at once; null when the screen cannot be copied here.
    std::unique_ptr<ScreenStill> Grab();

private:
    std::unique_ptr<ScreenStill> Copy(const QRegion& screens);

    RootStills roots_;
};

} // namespace platform
