#pragma once
// The screen copy on wlroots desktops (sway and its kin), from the
// compositor's own screen copy (zwlr_screencopy_manager_v1): one copy per
// screen in that screen's own device pixels, without the pointer. The
// portal there copies every screen at the largest scale, enlarging and
// smoothing the others. The Wayland client library is opened at run time,
// as Qt's Wayland platform has it loaded already; over a connection of this
// grab's own. Where anything fails, the copy comes from the fallback.
#include "platform/Services.h"

#include <memory>

namespace platform {

struct WlrScreenCopyOptions {
    // The compositor's copies take at most this long.
    int timeoutMs = 3000;
};

class WlrScreenCopy : public IScreenGrab {
public:
    using Options = WlrScreenCopyOptions;

    // `fallback` copies the screen where the compositor does not.
    explicit WlrScreenCopy(std::unique_ptr<IScreenGrab> fallback, Options options = {});

    void GrabDesktop(StillDone done) override;
    void Prepare() override { fallback_->Prepare(); }
    void PickColour(ColourDone done) override { fallback_->PickColour(std::move(done)); }

private:
    std::unique_ptr<IScreenGrab> fallback_;
    Options options_;
    // The compositor offers no screen copy (GNOME): asked once, then the
    // fallback's alone.
    bool unoffered_ = false;
};

} // namespace platform
