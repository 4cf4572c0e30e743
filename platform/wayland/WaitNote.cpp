#include "platform/wayland/WaitNote.h"

#include <QCloseEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>

#include <utility>

namespace platform {

WaitNote::WaitNote(std::function<void()> cancel)
    : QWidget(nullptr, Qt::Window | Qt::WindowStaysOnTopHint | Qt::WindowDoesNotAcceptFocus),
      cancel_(std::move(cancel)), avbryt_(new QPushButton(QStringLiteral("Avbryt"), this)) {
    setWindowTitle(QStringLiteral("Tintra"));
    // The main window is hidden while the screen is copied: closing this
    // note must not end the program, and it must not take the keyboard
    // from the desktop's own question.
    setAttribute(Qt::WA_QuitOnClose, false);
    setAttribute(Qt::WA_ShowWithoutActivating);
    auto* layout = new QHBoxLayout(this);
    layout->addWidget(new QLabel(QString::fromUtf8("Venter på skrivebordet …"), this));
    layout->addWidget(avbryt_);
    avbryt_->setFocusPolicy(Qt::NoFocus);
    connect(avbryt_, &QPushButton::clicked, this, &WaitNote::cmdAvbryt_Click);
}

void WaitNote::closeEvent(QCloseEvent* event) {
    event->accept();
    cmdAvbryt_Click();
}

void WaitNote::cmdAvbryt_Click() {
    // The owner may delete the note from `cancel`.
    if (std::function<void()> cancel = std::exchange(cancel_, nullptr)) {
        cancel();
    }
}

} // namespace platform
