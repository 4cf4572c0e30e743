#include "measure/PointMeasure.h"

#include "measure/frmPunkt.h"
#include "measure/frmZoom.h"

namespace measure {

PointMeasure::PointMeasure(Host& h, const platform::Services& s) : host(h), services(s) {
    tmr1.setSingleShot(true);
    tmr1.setInterval(200);
    QObject::connect(&tmr1, &QTimer::timeout, &tmr1, [this] { tmr1_Timer(); });
}

PointMeasure::~PointMeasure() {
    delete zoom_.data();
    delete punkt_.data();
}

void PointMeasure::cboZoom_Click(int listIndex) {
    lZoomHalf = ZoomHalfFor(listIndex, lZoomHalf);
}

void PointMeasure::cmdPunkt_Click() {
    host.SetMainVisible(false);
    if (services.screenGrab) {
        services.screenGrab->Prepare();
    }
    tmr1.start();
}

void PointMeasure::tmr1_Timer() {
    tmr1.stop();
    if (grabbing_ || punkt_) {
        return;
    }
    if (!services.screenGrab) {
        Grabbed({});
        return;
    }
    grabbing_ = true;
    services.screenGrab->GrabDesktop(
        [this, alive = std::weak_ptr<bool>(alive_)](platform::IScreenGrab::Result r) {
            if (!alive.expired()) {
                grabbing_ = false;
                Grabbed(std::move(r));
            }
        });
}

void PointMeasure::Grabbed(platform::IScreenGrab::Result result) {
    if (result.still && !result.still->Size().isEmpty()) {
        // A picture may turn out broken only once it is decoded, beside
        // the windows: then there is nothing to measure.
        if (LoadPunkt(std::move(result.still), result.pointerInStill)->Still().isNull()) {
            UnloadZoom();
            UnloadPunkt();
            Abandon(true);
        }
        return;
    }
    if (result.cancelled) {
        Abandon(false);
        return;
    }
    if (!result.canPickColour || !services.messageBox) {
        Abandon(true);
        return;
    }
    const platform::MsgAnswer answer = services.messageBox->Show(
        host.MainWindow(),
        QString::fromUtf8("Skjermbildet kan ikke kopieres her. Vil du heller velge en farge med "
                          "skrivebordets egen fargevelger?"),
        QStringLiteral("Tintra"), platform::MsgButtons::YesNo, platform::MsgIcon::Question);
    if (answer != platform::MsgAnswer::Yes) {
        Abandon(false);
        return;
    }
    grabbing_ = true;
    services.screenGrab->PickColour([this, alive = std::weak_ptr<bool>(alive_)](auto colour) {
        if (!alive.expired()) {
            grabbing_ = false;
            Picked(colour);
        }
    });
}

void PointMeasure::Picked(std::optional<int32_t> colour) {
    host.SetMainVisible(true);
    if (colour) {
        // No still, no block: the measurement picture keeps what it shows.
        host.PickColour(*colour);
    }
}

void PointMeasure::Abandon(bool tell) {
    host.SetMainVisible(true);
    if (tell && services.messageBox) {
        services.messageBox->Show(
            host.MainWindow(), QStringLiteral("Skjermbildet kan ikke kopieres her."),
            QStringLiteral("Tintra"), platform::MsgButtons::OK, platform::MsgIcon::Exclamation);
    }
}

frmPunkt* PointMeasure::Punkt() const {
    return punkt_;
}

frmZoom* PointMeasure::Zoom() const {
    return zoom_;
}

frmPunkt* PointMeasure::LoadPunkt(std::unique_ptr<platform::ScreenStill> still,
                                  bool pointerInStill) {
    if (!punkt_) {
        punkt_ = new frmPunkt(*this, host.MainWindow(), std::move(still), pointerInStill);
        punkt_->Form_Load();
    }
    return punkt_;
}

void PointMeasure::UnloadPunkt() {
    if (frmPunkt* w = punkt_) {
        punkt_ = nullptr;
        w->hide();
        // Unloading may come from one of the window's own handlers.
        w->deleteLater();
    }
}

frmZoom* PointMeasure::LoadZoom() {
    if (!zoom_) {
        zoom_ = new frmZoom(*this, punkt_, !desktop.placesWindows);
        zoom_->Form_Load();
    }
    return zoom_;
}

void PointMeasure::UnloadZoom() {
    if (frmZoom* w = zoom_) {
        zoom_ = nullptr;
        w->Form_Unload();
        w->hide();
        w->deleteLater();
    }
}

} // namespace measure
