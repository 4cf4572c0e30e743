#pragma once
// Helpers the suites share: files, the main window's side of the File menu,
// list comparison, and mouse events QTest has no function for.
#include "favourites/FileMenu.h"

#include <QApplication>
#include <QFile>
#include <QMouseEvent>
#include <QWheelEvent>
#include <QWidget>

#include <algorithm>

namespace support {

// A file's bytes; "missing" when it cannot be read.
inline QByteArray Bytes(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("missing");
}

inline bool Write(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

// Not QList's ==: Qt 6.4 compares integers with memcmp, also from null, which
// the sanitizers report.
inline bool Same(const favourites::ColourList& a, const favourites::ColourList& b) {
    return std::equal(a.colors.begin(), a.colors.end(), b.colors.begin(), b.colors.end()) &&
           a.names == b.names;
}

struct FileMenuHost : favourites::FileMenuHost {
    void SetCaption(const QString& fileName) override { caption = fileName; }
    void SelectFavouritesTab() override {}
    void UpdateColorbox() override { ++updates; }
    void ClearColorbox() override {}
    QWidget* DialogOwner() override { return nullptr; }
    void SetBusyCursor(bool b) override { busy = b; }
    QString caption;
    int updates = 0;
    bool busy = false;
};

inline void SendMove(QWidget* w, QPointF at, Qt::MouseButtons held) {
    QMouseEvent e(QEvent::MouseMove, at, w->mapToGlobal(at), Qt::NoButton, held, Qt::NoModifier);
    QApplication::sendEvent(w, &e);
}

inline void SendWheel(QWidget* w, QPointF at, int delta) {
    QWheelEvent e(at, w->mapToGlobal(at), {}, {0, delta}, Qt::NoButton, {}, Qt::NoScrollPhase,
                  false);
    QApplication::sendEvent(w, &e);
}

} // namespace support
