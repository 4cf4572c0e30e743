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
    LoadPunkt();
}

frmPunkt* PointMeasure::Punkt() const {
    return punkt_;
}

frmZoom* PointMeasure::Zoom() const {
    return zoom_;
}

frmPunkt* PointMeasure::LoadPunkt() {
    if (!punkt_) {
        punkt_ = new frmPunkt(*this, host.MainWindow());
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
        zoom_ = new frmZoom(*this, punkt_);
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
