// In-process costs of Tintra, measured on the real main window and its
// measurement and favourites windows, with the platform services answered by
// the test doubles (no dialogs, a prepared screen copy).
//
// The colour editor's refreshes are timed as handlers (their repaint runs
// untimed between calls). Where the user waits for a picture (the still
// copy, the magnifier, the favourites boxes) the time runs until it is on
// screen: the handler, the paint that follows and, on X11, the server having
// carried it out.
//
//   tintra_bench [--smoke] [google benchmark flags]
//   tintra_bench --make-fixtures DIR    start-up files for startup_probe
//
// --smoke runs every benchmark once, to keep them building and working.
#include "app/frmTintra.h"
#include "colour/Module1.h"
#include "favourites/BoxPanel.h"
#include "favourites/ColourFile.h"
#include "measure/Measure.h"
#include "measure/PointMeasure.h"
#include "measure/frmPunkt.h"
#include "measure/frmZoom.h"
#include "platform/QtServices.h"
#include "platform/ScreenGrab.h"
#include "platform/Startup.h"
#include "platform/doubles/Doubles.h"
#include "platform/x11/X11Grab.h"

#include "ProcStatus.h"

#include <benchmark/benchmark.h>
#include <xcb/xcb.h>

#include <QAbstractNativeEventFilter>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QProcess>
#include <QTemporaryDir>
#include <QTextStream>
#include <QTimer>

#include <malloc.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

// Set when a benchmark could not do its work; the exit status tells.
bool gFailed = false;

void Fail(benchmark::State& state, const char* why) {
    gFailed = true;
    state.SkipWithError(why);
}

double Seconds(Clock::time_point from, Clock::time_point to) {
    return std::chrono::duration<double>(to - from).count();
}

// A favourites list of `n` colours with names of the length people give them.
favourites::ColourList MakeList(int n) {
    favourites::ColourList list;
    list.colors.reserve(n);
    list.names.reserve(n);
    for (int i = 0; i < n; ++i) {
        const int32_t c = static_cast<int32_t>((static_cast<uint32_t>(i) * 2654435761u) & 0xFFFFFF);
        list.colors.push_back(c);
        list.names.push_back(QStringLiteral("Farge nr. %1 blå").arg(i + 1));
    }
    return list;
}

// A picture of a busy desktop: gradients and text, no two rows alike.
QImage MakeDesktop(int w, int h) {
    QImage img(w, h, QImage::Format_RGB32);
    for (int y = 0; y < h; ++y) {
        auto* row = reinterpret_cast<QRgb*>(img.scanLine(y));
        for (int x = 0; x < w; ++x) {
            row[x] = qRgb((x * 255) / w, (y * 255) / h, (x ^ y) & 0xFF);
        }
    }
    return img;
}

bool OnX11() {
    return QGuiApplication::platformName() == QLatin1String("xcb");
}

// Waits until the X server has carried out every request sent so far (the
// pictures a paint put on screen included); nothing to wait for offscreen.
void ServerSync() {
    if (!OnX11()) {
        return;
    }
    if (auto* x11 = qApp->nativeInterface<QNativeInterface::QX11Application>()) {
        if (xcb_connection_t* c = x11->connection()) {
            std::free(xcb_get_input_focus_reply(c, xcb_get_input_focus(c), nullptr));
        }
    }
}

// Watches one widget for the end of its next paint: a paint event is sent
// synchronously, so once it has been seen and the event processing that
// delivered it has returned, the paint (and the flush after it) is done.
class PaintWatch : public QObject {
public:
    explicit PaintWatch(QWidget* w) : w_(w) { w_->installEventFilter(this); }
    ~PaintWatch() override {
        if (w_) {
            w_->removeEventFilter(this);
        }
    }
    PaintWatch(const PaintWatch&) = delete;
    PaintWatch& operator=(const PaintWatch&) = delete;

    void Arm() { painted_ = false; }
    // Processes events until the widget has painted and the X server has put
    // the result on screen; false after 5 s.
    bool Wait() {
        QElapsedTimer t;
        t.start();
        while (!painted_) {
            QCoreApplication::processEvents(QEventLoop::AllEvents);
            if (t.elapsed() > 5000) {
                return false;
            }
        }
        ServerSync();
        return true;
    }

protected:
    bool eventFilter(QObject* o, QEvent* e) override {
        if (o == w_ && e->type() == QEvent::Paint) {
            painted_ = true;
        }
        return false;
    }

private:
    QPointer<QWidget> w_;
    bool painted_ = false;
};

// The event loop left to run for `ms`, as the program's waits between its
// timers leave it.
void Idle(int ms) {
    QEventLoop idle;
    QTimer::singleShot(ms, &idle, &QEventLoop::quit);
    idle.exec();
}

// Lets every pending event and deferred deletion run.
void Settle() {
    for (int i = 0; i < 3; ++i) {
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QCoreApplication::processEvents(QEventLoop::AllEvents);
    }
}

// The main window as the program shows it, on the doubles.
struct App {
    platform::doubles::FakeServices services;
    std::unique_ptr<frmTintra> w;

    // grab: the screen copy to use instead of the double's.
    explicit App(int activeTab = 1, platform::IScreenGrab* grab = nullptr) {
        services.settings.values[platform::doubles::FakeSettings::Key(
            QStringLiteral("Tintra"), QStringLiteral("Tilpass"), QStringLiteral("ActiveTab"))] =
            QString::number(activeTab);
        platform::Services given = services.Get();
        if (grab) {
            given.screenGrab = grab;
        }
        w = std::make_unique<frmTintra>(given);
        w->Form_Initialize();
        w->Form_Load();
        w->show();
        PaintWatch watch(w.get());
        watch.Wait();
        Settle();
    }
    ~App() {
        // Nothing changed is to be asked about when the window goes.
        w->Favourites().ListChanged = false;
    }
};

// --- The colour editor -------------------------------------------------------

// Colours spread over the whole cube, so no refresh finds its texts unchanged.
std::vector<int32_t> Colours() {
    std::vector<int32_t> out;
    for (uint32_t i = 0; i < 1024; ++i) {
        out.push_back(static_cast<int32_t>((i * 2654435761u) & 0xFFFFFF));
    }
    return out;
}

// Times `act` per iteration; the repaint it leads to runs untimed after it,
// so every refresh meets the widgets in their shown state.
template <typename Act> void TimeHandler(benchmark::State& state, Act act) {
    size_t i = 0;
    for (auto _ : state) {
        const auto t0 = Clock::now();
        act(i++);
        const auto t1 = Clock::now();
        state.SetIterationTime(Seconds(t0, t1));
        QCoreApplication::processEvents(QEventLoop::AllEvents);
    }
}

void BM_ShowColour(benchmark::State& state) {
    App app;
    const auto colours = Colours();
    TimeHandler(state, [&](size_t i) {
        const int32_t c = colours[i % colours.size()];
        app.w->ShowColour(static_cast<int16_t>(c & 0xFF), static_cast<int16_t>((c >> 8) & 0xFF),
                          static_cast<int16_t>((c >> 16) & 0xFF));
    });
}

void BM_PickColour(benchmark::State& state) {
    App app;
    const auto colours = Colours();
    TimeHandler(state, [&](size_t i) { app.w->PickColour(colours[i % colours.size()]); });
}

// One step of the lightness slider as a user makes it: the value changes
// (raising the change notification) and the scroll handler runs.
void BM_vsc1_Scroll(benchmark::State& state) {
    App app;
    app.w->PickColour(Module1::Pack(40, 140, 200));
    TimeHandler(state, [&](size_t i) {
        const int l = static_cast<int>(i % 241);
        app.w->vsc1->setValue(l);
        app.w->vsc1_Scroll();
    });
}

// --- Point measurement -------------------------------------------------------

// A screen copy as the program takes it: of whatever the screen shows.
using RealGrab = platform::X11Grab;

// Where the screen copy comes from: a prepared picture of a 3840 x 2160
// desktop, the X server, or whatever way the session takes (the portal on
// Wayland).
enum Grab { kPrepared = 0, kX11 = 1, kSession = 2 };

struct Measuring {
    RealGrab real;
    std::unique_ptr<platform::IScreenGrab> session;
    App app;
    measure::PointMeasure& m = app.w->Measure();

    explicit Measuring(int zoomIndex, int grab = kPrepared)
        : session(grab == kSession ? platform::MakeScreenGrab() : nullptr),
          app(2, grab == kX11 ? &real : session.get()) {
        if (grab == kPrepared) {
            app.services.screenGrab.image = MakeDesktop(3840, 2160);
        }
        app.w->cboZoom->setCurrentIndex(zoomIndex);
    }
    // "Punktmål" as the user presses it: the main window steps aside and the
    // timer starts. The tick is left to the caller; what the program asked
    // of the server in the timer's 200 ms has been carried out when this
    // returns. A compositor takes the window away in its own time, the
    // timer's as in use: a screenshot asked for while it still animates
    // the window waits for its frames.
    void Press() {
        app.w->cmdPunkt_Click();
        const int interval = m.tmr1.interval();
        m.tmr1.stop();
        Settle();
        ServerSync();
        if (session) {
            Idle(interval);
        }
    }
    // Leaves the measurement as Escape does.
    void Leave() {
        if (measure::frmPunkt* p = m.Punkt()) {
            p->Form_KeyUp(measure::kEscape, 0);
        }
        Settle();
    }
};

// The paints of the capture window, which exists only inside the tick, and
// the exposes it was sent. On X11 it is on screen once it has painted for
// each: Qt makes up one of its own when the window maps, which the window
// lets go, and the server sends at least one for the mapping, which it
// paints. Elsewhere the first paint draws it.
class PunktPaints : public QObject, public QAbstractNativeEventFilter {
public:
    explicit PunktPaints(measure::PointMeasure& m) : m_(m) {}

    bool Done() const {
        return OnX11() ? maps_ > 0 && exposes_ > 0 && paints_ >= maps_ + exposes_ : paints_ > 0;
    }

    bool eventFilter(QObject* o, QEvent* e) override {
        if (e->type() == QEvent::Paint && dynamic_cast<measure::frmPunkt*>(o)) {
            ++paints_;
        }
        return false;
    }

    bool nativeEventFilter(const QByteArray& type, void* message, qintptr*) override {
        measure::frmPunkt* punkt = m_.Punkt();
        if (type != "xcb_generic_event_t" || !punkt || !punkt->internalWinId()) {
            return false;
        }
        const auto window = static_cast<xcb_window_t>(punkt->internalWinId());
        const auto* event = static_cast<const xcb_generic_event_t*>(message);
        switch (event->response_type & 0x7F) {
        case XCB_MAP_NOTIFY:
            maps_ += static_cast<const xcb_map_notify_event_t*>(message)->window == window;
            break;
        case XCB_EXPOSE: {
            const auto* expose = static_cast<const xcb_expose_event_t*>(message);
            exposes_ += expose->window == window && expose->count == 0;
            break;
        }
        default:
            break;
        }
        return false;
    }

private:
    measure::PointMeasure& m_;
    int maps_ = 0;
    int exposes_ = 0;
    int paints_ = 0;
};

// The bare call the GNOME and KDE rows compare with, timed between its
// iterations, so that whatever else the machine does weighs on both alike,
// by the helper TINTRA_BENCH_BARE names ("portal_time -" on GNOME,
// "desktoptool shot kde - -" on KDE): it keeps running, one request for each
// line it is sent, so that its requests come from a known caller as the
// program's do. Its sample lines go to the output. Made `calmMs` after the
// still's windows went, as the still is: the desktop has finished taking them
// away, as it has before each still.
QProcess* gBare = nullptr;

void BareRequest(int calmMs) {
    if (!gBare) {
        QStringList command = QProcess::splitCommand(qEnvironmentVariable("TINTRA_BENCH_BARE"));
        if (command.isEmpty()) {
            return;
        }
        gBare = new QProcess;
        gBare->setProcessChannelMode(QProcess::ForwardedErrorChannel);
        gBare->start(command.takeFirst(), command);
    }
    Idle(calmMs);
    gBare->write("\n");
    while (!gBare->canReadLine() && gBare->waitForReadyRead(60000)) {
    }
    if (!gBare->canReadLine()) {
        std::fprintf(stderr, "tintra_bench: the bare request failed\n");
        return;
    }
    std::fputs(gBare->readLine().constData(), stdout);
    std::fflush(stdout);
}

void EndBareRequests() {
    if (gBare) {
        gBare->closeWriteChannel();
        gBare->waitForFinished();
        delete gBare;
    }
}

// The timer's tick after "Punktmål": the screen is copied and the capture
// window (and, with a zoom choice, the zoom window) comes up. Timed until the
// capture window's copy is on screen. Arguments: the zoom choice, and 1 for
// the program's own screen copy (of a 3840 x 2160 screen under the runner's
// Xvfb) instead of a prepared picture.
void BM_StillCopyShown(benchmark::State& state) {
    const auto grab = static_cast<int>(state.range(1));
    if (grab == kX11 && !OnX11()) {
        state.SkipWithError("the real screen copy needs an X display");
        return;
    }
    if (grab == kSession && !QGuiApplication::platformName().startsWith("wayland")) {
        state.SkipWithError("the portal's screen copy needs a Wayland session");
        return;
    }
    Measuring s(static_cast<int>(state.range(0)), grab);
    double inHand = 0;
    for (auto _ : state) {
        PunktPaints paints(s.m);
        s.Press();
        qApp->installEventFilter(&paints);
        qApp->installNativeEventFilter(&paints);
        // A desktop's copy is made by its own processes on the same machine:
        // the wait for it sleeps, as the program's event loop does, rather
        // than spin and take a processor from them. A timer wakes it to
        // give up in time.
        QTimer wake;
        QEventLoop::ProcessEventsFlags flags = QEventLoop::AllEvents;
        if (grab == kSession) {
            flags |= QEventLoop::WaitForMoreEvents;
            wake.start(100);
        }
        const auto t0 = Clock::now();
        s.m.tmr1_Timer();
        QElapsedTimer guard;
        guard.start();
        while (!paints.Done() && guard.elapsed() < 5000) {
            QCoreApplication::processEvents(flags);
        }
        ServerSync();
        const auto t1 = Clock::now();
        qApp->removeNativeEventFilter(&paints);
        qApp->removeEventFilter(&paints);
        if (!paints.Done()) {
            Fail(state, "the capture window did not paint");
            break;
        }
        state.SetIterationTime(Seconds(t0, t1));
        // The real copy shows from the server's own copy; the program's copy
        // of the pixels, which every pick reads, follows.
        if (measure::frmPunkt* p = s.m.Punkt()) {
            p->Still();
        }
        inHand += Seconds(t0, Clock::now());
        s.Leave();
        if (grab == kSession) {
            BareRequest(s.m.tmr1.interval());
        }
    }
    state.counters["in_hand_us"] =
        benchmark::Counter(inHand * 1e6, benchmark::Counter::kAvgIterations);
}

// One move of the pointer with the button held, on the capture window with a
// zoom choice: the block round the pointer is enlarged into the zoom window.
// Timed until the zoom window has painted.
void BM_MagnifierMove(benchmark::State& state) {
    Measuring s(3); // "Zoom x8"
    s.Press();
    s.m.tmr1_Timer();
    Settle();
    measure::frmPunkt* punkt = s.m.Punkt();
    measure::frmZoom* zoom = s.m.Zoom();
    if (!punkt || !zoom) {
        Fail(state, "the measurement windows did not load");
        return;
    }
    PaintWatch watch(zoom);
    int i = 0;
    double handler = 0;
    for (auto _ : state) {
        const double x = 100 + (i * 37) % 3600;
        const double y = 100 + (i * 23) % 1900;
        ++i;
        watch.Arm();
        const auto t0 = Clock::now();
        punkt->Form_MouseMove(1, 0, x, y);
        const auto th = Clock::now();
        const bool painted = watch.Wait();
        const auto t1 = Clock::now();
        if (!painted) {
            Fail(state, "the zoom window did not paint");
            break;
        }
        handler += Seconds(t0, th);
        state.SetIterationTime(Seconds(t0, t1));
    }
    // The handler's share of the move, for finding where the time goes.
    state.counters["handler_us"] =
        benchmark::Counter(handler * 1e6, benchmark::Counter::kAvgIterations);
    s.Leave();
}

// --- Favourites --------------------------------------------------------------

constexpr int kManyFavourites = 100000;

// The colour file of 100,000 favourites: the runner's prepared one, or one
// written here (the memory used to write it is handed back before any
// measurement).
QString FavouritesFile() {
    static QTemporaryDir dir;
    static QString path;
    if (path.isEmpty()) {
        const QString prepared = qEnvironmentVariable("TINTRA_BENCH_FAVOURITES");
        if (!prepared.isEmpty() && QFile::exists(prepared)) {
            path = prepared;
            return path;
        }
        path = dir.filePath(QStringLiteral("Mange.kvc"));
        if (!favourites::SaveColourFile(path, MakeList(kManyFavourites)).ok()) {
            std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
            std::exit(1);
        }
        malloc_trim(0);
    }
    return path;
}

favourites::BoxPanel* Panel(frmTintra& w) {
    return w.findChild<favourites::BoxPanel*>();
}

// Opening a colour file of 100,000 favourites on the favourites tab, until
// the boxes have painted. The first open's growth of resident memory is kept
// as a counter (MB), measured in a process of its own by the runner.
void BM_Open100k(benchmark::State& state) {
    const QString path = FavouritesFile();
    App app(3);
    favourites::BoxPanel* panel = Panel(*app.w);
    if (!panel || !panel->isVisible()) {
        Fail(state, "no favourites panel on screen");
        return;
    }
    PaintWatch watch(panel->picBoksInn());
    static double growthMb = -1;
    for (auto _ : state) {
        const long before = RssKb();
        watch.Arm();
        const auto t0 = Clock::now();
        const bool read = app.w->FileMenu().ApneFil(path);
        const bool painted = watch.Wait();
        const auto t1 = Clock::now();
        if (!read || !painted || app.w->Favourites().Count() != kManyFavourites) {
            Fail(state, "the file was not opened and shown");
            break;
        }
        state.SetIterationTime(Seconds(t0, t1));
        if (growthMb < 0) {
            growthMb = static_cast<double>(RssKb() - before) / 1024.0;
        }
    }
    state.counters["rss_growth_MB"] = growthMb;
}

// "Spar" with 100,000 favourites: the name dialog's OK puts the colour on top
// and rebuilds the boxes; timed until they have painted.
void BM_AddFavourite100k(benchmark::State& state) {
    App app(3);
    favourites::BoxPanel* panel = Panel(*app.w);
    if (!panel || !panel->isVisible()) {
        Fail(state, "no favourites panel on screen");
        return;
    }
    app.w->Favourites().Load(MakeList(kManyFavourites));
    panel->UpdateColorbox();
    Settle();
    PaintWatch watch(panel->picBoksInn());
    int i = 0;
    for (auto _ : state) {
        watch.Arm();
        const auto t0 = Clock::now();
        app.w->Favourites().AddColor(Module1::Pack(i & 0xFF, 90, 200), QStringLiteral("Ny farge"));
        panel->UpdateColorbox();
        const bool painted = watch.Wait();
        const auto t1 = Clock::now();
        ++i;
        if (!painted) {
            Fail(state, "the boxes did not paint");
            break;
        }
        state.SetIterationTime(Seconds(t0, t1));
    }
}

// "Lagre" of a list of 100,000 favourites to its colour file.
void BM_Save100k(benchmark::State& state) {
    QTemporaryDir dir;
    App app;
    app.w->Favourites().Load(MakeList(kManyFavourites));
    const QString path = dir.filePath(QStringLiteral("Lagret.kvc"));
    for (auto _ : state) {
        const auto t0 = Clock::now();
        const bool ok = app.w->FileMenu().xSaveFav(path);
        const auto t1 = Clock::now();
        if (!ok) {
            Fail(state, "saving failed");
            break;
        }
        state.SetIterationTime(Seconds(t0, t1));
    }
}

// --- Start-up fixtures ---------------------------------------------------------

// What a user's start-up finds: settings naming a colour file of 200
// favourites on the favourites tab, and the last measurement "PM.bmp" in the
// folder the program starts in; and the colour file of 100,000 favourites for
// the favourites benchmarks. DIR/config is XDG_CONFIG_HOME, DIR/work the
// working folder.
int MakeFixtures(const QString& dir) {
    const QString config = dir + QStringLiteral("/config/Tintra");
    const QString work = dir + QStringLiteral("/work");
    if (!QDir().mkpath(config) || !QDir().mkpath(work)) {
        return 1;
    }
    if (!favourites::SaveColourFile(work + QStringLiteral("/Favoritter.kvc"), MakeList(200)).ok()) {
        return 1;
    }
    if (!favourites::SaveColourFile(work + QStringLiteral("/Mange.kvc"), MakeList(kManyFavourites))
             .ok()) {
        return 1;
    }
    QImage measured = MakeDesktop(190, 190);
    if (!measured.save(work + QStringLiteral("/PM.bmp"), "BMP")) {
        return 1;
    }
    QFile conf(config + QStringLiteral("/Tintra.conf"));
    if (!conf.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        return 1;
    }
    QTextStream out(&conf);
    out << "[Tilpass]\n"
        << "ActiveTab=3\n"
        << "FileName=Favoritter.kvc\n"
        << "HexFormat=3\n"
        << "MainLeft=3750\n"
        << "MainTop=3000\n"
        << "Path=" << work << "/\n"
        << "RgbFormat=2\n"
        << "ZoomFactor=3\n";
    return out.status() == QTextStream::Ok ? 0 : 1;
}

void Register(bool smoke) {
    using benchmark::kMicrosecond;
    using benchmark::kMillisecond;
    std::vector<benchmark::internal::Benchmark*> all = {
        benchmark::RegisterBenchmark("ShowColour", BM_ShowColour)->Unit(kMicrosecond),
        benchmark::RegisterBenchmark("PickColour", BM_PickColour)->Unit(kMicrosecond),
        benchmark::RegisterBenchmark("vsc1_Scroll", BM_vsc1_Scroll)->Unit(kMicrosecond),
        benchmark::RegisterBenchmark("StillCopyShown", BM_StillCopyShown)
            ->ArgNames({"zoom", "grab"})
            ->Args({3, 0}) // the default zoom choice: the zoom window comes up too
            ->Args({0, 0}) // "Uten zoom"
            ->Args({3, 1}) // the whole way, from the screen
            ->Unit(kMillisecond),
        // The same, run by the runner once in each of several fresh processes:
        // the first measurement after start-up, as most measurements are.
        benchmark::RegisterBenchmark("StillCopyFirst", BM_StillCopyShown)
            ->ArgNames({"zoom", "grab"})
            ->Args({3, 0})
            ->Args({3, 1})
            ->Unit(kMillisecond),
        // Through the desktop portal, run by the runner in a Wayland session.
        benchmark::RegisterBenchmark("PortalStill", BM_StillCopyShown)
            ->ArgNames({"zoom", "grab"})
            ->Args({3, kSession})
            ->Unit(kMillisecond),
        benchmark::RegisterBenchmark("MagnifierMove", BM_MagnifierMove)->Unit(kMicrosecond),
        benchmark::RegisterBenchmark("Open100k", BM_Open100k)->Unit(kMillisecond),
        benchmark::RegisterBenchmark("AddFavourite100k", BM_AddFavourite100k)->Unit(kMicrosecond),
        benchmark::RegisterBenchmark("Save100k", BM_Save100k)->Unit(kMillisecond),
    };
    for (auto* b : all) {
        b->UseManualTime();
        if (smoke) {
            b->Iterations(1)->Repetitions(1);
        }
    }
}

} // namespace

int main(int argc, char** argv) {
    if (argc == 3 && std::strcmp(argv[1], "--make-fixtures") == 0) {
        return MakeFixtures(QString::fromLocal8Bit(argv[2]));
    }
    bool smoke = false;
    std::vector<char*> args;
    for (int i = 0; i < argc; ++i) {
        if (std::strcmp(argv[i], "--smoke") == 0) {
            smoke = true;
        } else {
            args.push_back(argv[i]);
        }
    }
    // As the program itself does before its QApplication.
    platform::PrepareDisplayConnection();
    // Without a display the windows are drawn offscreen.
    if (qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    int qtArgc = 1;
    QApplication app(qtArgc, argv);
    platform::DisplayConnected();
    QApplication::setApplicationName(QStringLiteral("Tintra"));
    QApplication::setOrganizationName(QStringLiteral("Tintra"));

    Register(smoke);
    int benchArgc = static_cast<int>(args.size());
    benchmark::Initialize(&benchArgc, args.data());
    if (benchmark::ReportUnrecognizedArguments(benchArgc, args.data())) {
        return 2;
    }
    benchmark::RunSpecifiedBenchmarks();
    EndBareRequests();
    benchmark::Shutdown();
    return gFailed ? 1 : 0;
}
