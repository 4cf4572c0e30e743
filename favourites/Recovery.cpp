#include "favourites/Recovery.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QLockFile>
#include <QSaveFile>
#include <QUrl>

#include <set>
#include <utility>

#include <unistd.h>

namespace favourites {

namespace {

// A copy is a colour file after one line that says what it is:
// "Tintra-kopi 1 <dialog first 0|1> <hash of the next bytes|-> <file, %-encoded>".
const QByteArray kMagic = "Tintra-kopi";

QByteArray Hash(const QByteArray& bytes) {
    return QCryptographicHash::hash(bytes, QCryptographicHash::Sha1);
}

bool WriteCopy(const QString& path, const KeptList& kept, const QByteArray& body) {
    QByteArray bytes = kMagic + " 1 " + (kept.dialogFirst ? "1 " : "0 ") +
                       (kept.nextHash.isEmpty() ? QByteArray("-") : kept.nextHash.toHex()) + ' ' +
                       QUrl::toPercentEncoding(kept.file) + '\n';
    bytes += body;
    QSaveFile out(path);
    if (!out.open(QIODevice::WriteOnly)) {
        return false;
    }
    if (out.write(bytes) == bytes.size() && out.flush() && ::fsync(out.handle()) == 0) {
        return out.commit();
    }
    out.cancelWriting();
    return false;
}

// The copy's description and its colour file's bytes.
std::optional<std::pair<KeptList, QByteArray>> ReadCopy(const QString& path) {
    QFile in(path);
    if (!in.open(QIODevice::ReadOnly)) {
        return std::nullopt;
    }
    const QList<QByteArray> fields = in.readLine().trimmed().split(' ');
    if (fields.size() != 5 || fields[0] != kMagic || fields[1] != "1") {
        return std::nullopt;
    }
    KeptList kept;
    kept.dialogFirst = fields[2] == "1";
    kept.nextHash = fields[3] == "-" ? QByteArray() : QByteArray::fromHex(fields[3]);
    kept.file = QUrl::fromPercentEncoding(fields[4]);
    QByteArray body = in.readAll();
    kept.list = ReadColourFile(body).list;
    return std::pair(std::move(kept), std::move(body));
}

std::set<Recovery*>& Live() {
    static std::set<Recovery*> live;
    return live;
}

} // namespace

Recovery::Recovery(const QString& folder) : folder_(folder) {
    timer_.setSingleShot(true);
    timer_.setInterval(1000);
    connect(&timer_, &QTimer::timeout, this, &Recovery::Timer_Timeout);
    if (folder_.isEmpty() || !QDir().mkpath(folder_)) {
        folder_.clear();
        return;
    }
    // Another copy of the program that is running keeps its own list's copy.
    lock_ = std::make_unique<QLockFile>(folder_ + QStringLiteral("/ulagret.lock"));
    lock_->setStaleLockTime(0);
    if (!lock_->tryLock(0)) {
        lock_.reset();
    }
    Live().insert(this);
}

Recovery::~Recovery() {
    Live().erase(this);
    {
        std::lock_guard lock(mutex_);
        stop_ = true;
    }
    cv_.notify_all();
    if (thread_.joinable()) {
        thread_.join();
    }
}

QString Recovery::UnsavedPath() const {
    return folder_ + QStringLiteral("/ulagret.kvc");
}

QString Recovery::BeforeSavePath() const {
    return folder_ +
           (lock_ ? QStringLiteral("/forrige.kvc")
                  : QStringLiteral("/forrige-%1.kvc").arg(QCoreApplication::applicationPid()));
}

void Recovery::Touch() {
    if (!timer_.isActive()) {
        timer_.start();
    }
}

void Recovery::Settle() {
    settled_ = true;
    Touch();
}

void Recovery::Timer_Timeout() {
    Sync(false);
}

void Recovery::KeepNow() {
    timer_.stop();
    Sync(true);
}

void Recovery::Drop() {
    timer_.stop();
    if (UnsavedChanged) {
        UnsavedChanged(false);
    }
    if (lock_ && settled_) {
        Wait();
        QFile::remove(UnsavedPath());
    }
}

void Recovery::Sync(bool now) {
    std::optional<KeptList> kept = Snapshot ? Snapshot() : std::nullopt;
    if (UnsavedChanged) {
        UnsavedChanged(kept.has_value());
    }
    if (!lock_ || !settled_) {
        return;
    }
    if (!now) {
        Post(std::move(kept));
        return;
    }
    Wait();
    if (kept) {
        Write(UnsavedPath(), *kept);
    } else {
        QFile::remove(UnsavedPath());
    }
}

void Recovery::KeepAllNow() {
    for (Recovery* r : Live()) {
        r->KeepNow();
    }
}

bool Recovery::Write(const QString& path, const KeptList& kept) {
    return WriteCopy(path, kept, WriteColourFile(kept.list));
}

std::optional<KeptList> Recovery::Read(const QString& path) {
    auto copy = ReadCopy(path);
    return copy ? std::optional(std::move(copy->first)) : std::nullopt;
}

std::optional<KeptList> Recovery::LeftUnsaved() const {
    return lock_ ? Read(UnsavedPath()) : std::nullopt;
}

std::optional<KeptList> Recovery::LeftBeforeSave() const {
    if (!lock_) {
        return std::nullopt;
    }
    auto copy = ReadCopy(BeforeSavePath());
    if (!copy) {
        return std::nullopt;
    }
    // Cut short before the first byte, or after the last: nothing was lost.
    QFile file(QDir::fromNativeSeparators(copy->first.file));
    if (file.open(QIODevice::ReadOnly)) {
        const QByteArray now = file.readAll();
        if (now == copy->second || Hash(now) == copy->first.nextHash) {
            QFile::remove(BeforeSavePath());
            return std::nullopt;
        }
    }
    return std::move(copy->first);
}

void Recovery::ForgetUnsaved() {
    if (lock_) {
        Wait();
        QFile::remove(UnsavedPath());
    }
}

void Recovery::ForgetBeforeSave() {
    if (lock_) {
        QFile::remove(BeforeSavePath());
    }
}

InPlaceCopy Recovery::BeforeInPlace() {
    if (folder_.isEmpty()) {
        return {};
    }
    const QString path = BeforeSavePath();
    return {[this, path](const QString& file, const QByteArray& old, const QByteArray& next) {
                // The list about to be written is kept too: whatever moment
                // the write is cut short at, either list can be had whole.
                KeepNow();
                KeptList kept;
                kept.file = QDir::toNativeSeparators(file);
                kept.nextHash = Hash(next);
                return WriteCopy(path, kept, old);
            },
            [path] { QFile::remove(path); }};
}

void Recovery::Post(std::optional<KeptList> job) {
    {
        std::lock_guard lock(mutex_);
        job_ = std::move(job);
        if (!thread_.joinable()) {
            thread_ = std::thread(&Recovery::Work, this);
        }
    }
    cv_.notify_all();
}

void Recovery::Wait() {
    std::unique_lock lock(mutex_);
    job_.reset(); // overtaken by what the caller does next
    cv_.wait(lock, [this] { return !busy_; });
}

void Recovery::Work() {
    for (;;) {
        std::optional<KeptList> kept;
        {
            std::unique_lock lock(mutex_);
            cv_.wait(lock, [this] { return stop_ || job_; });
            if (!job_) {
                return;
            }
            kept = std::move(*job_);
            job_.reset();
            busy_ = true;
        }
        if (kept) {
            Write(UnsavedPath(), *kept);
        } else {
            QFile::remove(UnsavedPath());
        }
        {
            std::lock_guard lock(mutex_);
            busy_ = false;
        }
        cv_.notify_all();
    }
}

} // namespace favourites
