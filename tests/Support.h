#pragma once
// Helpers the suites share: files, settings, the File menu, lists, mouse.
#include "favourites/FileMenu.h"
#include "platform/doubles/Doubles.h"

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

// A stored setting of the program's section (read or written).
inline QString& Setting(platform::doubles::FakeServices& f, const QString& key) {
    return f.settings.values[platform::doubles::FakeSettings::Key("Tintra", "Tilpass", key)];
}

// Not QList's ==: Qt 6.4 memcmps integers, also from null (sanitizers object).
inline bool Same(const favourites::ColourList& a, const favourites::ColourList& b) {
    return std::equal(a.colors.begin(), a.colors.end(), b.colors.begin(), b.colors.end()) &&
           a.names == b.names;
}

// The File menu as the main window holds it, its dialogs answered by script.
struct FileMenuRig : favourites::FileMenuHost {
    favourites::FavouritesModel model;
    platform::doubles::FakeMessageBox box;
    platform::doubles::FakeFileDialog dialog;
    favourites::FileMenu menu{model, box, dialog, *this};

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

// A mouse event at any point: QTest sends one at (0, 0) to the widget's middle.
inline void SendMouse(QWidget* w, QEvent::Type type, QPointF at, Qt::MouseButton button,
                      Qt::MouseButtons held) {
    QMouseEvent e(type, at, w->mapToGlobal(at), button, held, Qt::NoModifier);
    QApplication::sendEvent(w, &e);
}

inline void SendWheel(QWidget* w, QPointF at, int delta) {
    QWheelEvent e(at, w->mapToGlobal(at), {}, {0, delta}, Qt::NoButton, {}, Qt::NoScrollPhase,
                  false);
    QApplication::sendEvent(w, &e);
}

} // namespace support
