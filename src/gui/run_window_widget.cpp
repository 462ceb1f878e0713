#include "gui/run_window_widget.h"

#include <QtGui/QCloseEvent>
#include <QtGui/QKeyEvent>
#include <QtGui/QScreen>
#include <QtWidgets/QApplication>
#include <QtWidgets/QInputDialog>
#include <QtWidgets/QMenuBar>
#include <algorithm>
#include <cmath>

#include "common/data_path.h"
#include "data/data_pictures.h"
#include "gui/controller_window.h"
#include "gui/help_window_widget.h"
#include "gui/review_window.h"
#include "gui/serial_settings_dialog.h"
#include "gui/value_window_widget.h"
#include "shell/run_recording.h"
#include "shell/script_playback.h"

namespace kelvaron {

namespace {

constexpr int64_t kPresenterPeriodMs = 33;
constexpr int64_t kLongestSleepMs = 1000;

}  // namespace

RunWindowWidget::RunWindowWidget(GuiServices services, KeyRoute& keys,
                                 ValueWindowWidget& valueWindow, HelpWindowWidget& helpWindow,
                                 std::filesystem::path dataDir, std::string trainFile,
                                 std::string lineFile)
    : QMainWindow(nullptr, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                               Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                               Qt::WindowMaximizeButtonHint | Qt::WindowCloseButtonHint),
      services_(services),
      keys_(keys),
      valueWindow_(valueWindow),
      helpWindow_(helpWindow),
      run_(services.run, std::move(dataDir), std::move(trainFile), std::move(lineFile),
           services.program),
      pacer_(*this),
      view_(new CabView(run_.Panel(), this)),
      memory_(services.desktopSettings) {
    setWindowTitle(QString::fromStdString(run_.Menu().WindowCaption));
    setCentralWidget(view_);
    menus_ = std::make_unique<MenuBarView>(*menuBar(),
                                           [this](const std::string& name) { MenuCommand(name); });
    menus_->onMenuClosed = [this] { RestoreFocus(); };
    view_->drawFrame = [this](const FrameTarget& into) {
        return services_.run.video.DrawFrameTo(into);
    };
    view_->onPainted = [this](bool video) { Painted(video); };

    elapsed_.start();
    wallClock = [this] { return elapsed_.elapsed(); };
    timer_.setTimerType(Qt::PreciseTimer);
    timer_.setSingleShot(true);
    QObject::connect(&timer_, &QTimer::timeout, [this] { Pump(); });
    serialWait_.setTimerType(Qt::PreciseTimer);
    serialWait_.setSingleShot(true);
    QObject::connect(&serialWait_, &QTimer::timeout, [this] {
        Input([this] {
            run_.SerialWaitOver(inputTime_);
            ArmSerialWait();
        });
    });

    view_->onKey = [this](const QKeyEvent& event) { DriverKey(event); };
    view_->onWheel = [this](int step) {
        if (replay_) return;
        Input([&] {
            if (step > 0)
                run_.Input().WheelUp();
            else
                run_.Input().WheelDown();
        });
    };
    view_->onBack = [this] { close(); };
    pacer_.SetTimedInput({[this](int64_t after) { return NextTimedInput(after); },
                          [this](int64_t t) { TimedInput(t); }});
}

RunWindowWidget::~RunWindowWidget() {
    timer_.stop();
    Detach();
}

void RunWindowWidget::Detach() {
    if (!attached_) return;
    attached_ = false;
    keys_.target = nullptr;
    valueWindow_.onClosed = nullptr;
    valueWindow_.removeEventFilter(this);
    helpWindow_.removeEventFilter(this);
    SerialPort& serial = services_.run.serial;
    serial.onReceived = nullptr;
    serial.onOpened = nullptr;
    serial.onClosed = nullptr;
    serial.onLost = nullptr;
    serialWait_.stop();
}

bool RunWindowWidget::Build(const std::function<void(const std::string&)>& status) {
    if (!run_.FormCreate(status)) return false;
    built_ = true;
    attached_ = true;

    keys_.target = [this](const QKeyEvent& event) { DriverKey(event); };
    valueWindow_.onClosed = [this] { run_.State().ValueWindowShown = false; };
    SerialPort& serial = services_.run.serial;
    serial.onReceived = [this](int count) {
        if (replay_) return;
        Input([&] {
            run_.RxChar(count, inputTime_);
            ArmSerialWait();
        });
    };
    serial.onOpened = [this] { services_.run.messages.Show("Connect to controller."); };
    serial.onClosed = [this] { services_.run.messages.Show("Disconnect from controller."); };
    // The port is closed already, so the next connect command opens it again.
    serial.onLost = [this](const std::string& port, const std::string& reason) {
        services_.run.messages.Show("Lost the controller's port " + port + " (" + reason +
                                    ").\nDisconnect from controller.");
    };
    valueWindow_.installEventFilter(this);
    helpWindow_.installEventFilter(this);

    SyncWindows();  // the menu bar's items decide its height
    view_->SetPreferredSize(memory_.CabSize().value_or(DefaultCabSize()));
    // Not adjustSize(): it would keep the window within two thirds of the screen.
    ensurePolished();
    resize(sizeHint());
    CentreOnScreen(*this);
    if (memory_.FullScreen()) setWindowState(windowState() | Qt::WindowFullScreen);
    // Frames are only decoded on the run's time: the view draws them when it paints.
    run_.SetFrameTarget(FrameTarget{});

    if (services_.recordings) {
        auto recorder = std::make_unique<RunRecorder>(
            NewRecordingFile(*services_.recordings, run_.Line().FileName), IdentityOf(run_));
        if (recorder->Ok()) run_.Record(std::move(recorder));
    }
    if (services_.trace) {
        traceFile_.open(*services_.trace, std::ios::binary | std::ios::trunc);
        if (traceFile_) {
            trace_ = std::make_unique<TraceWriter>(traceFile_);
        } else {
            services_.run.messages.Show("cannot write the trace " + services_.trace->string());
        }
    }
    return true;
}

QSize RunWindowWidget::DefaultCabSize() const {
    // The largest half step of the cab's own size that leaves a fifth of the
    // screen free, and never smaller than the cab itself.
    double scale = 1;
    if (const QScreen* screen = this->screen()) {
        const QRect free = screen->availableGeometry();
        const double fits =
            std::min(free.width() * 0.8 / CabView::kWidth,
                     (free.height() * 0.8 - menuBar()->sizeHint().height()) / CabView::kHeight);
        scale = std::max(1.0, std::floor(fits * 2) / 2);
    }
    return QSize(static_cast<int>(CabView::kWidth * scale),
                 static_cast<int>(CabView::kHeight * scale));
}

void RunWindowWidget::OnTick(int64_t tMs) {
    run_.SetTime(tMs);
    const int32_t frame = run_.State().Frame;
    run_.MMTimer1Timer();
    if (run_.State().Frame != frame && !frameDueMs_) frameDueMs_ = pacer_.ToWall(tMs) / timeScale;
}

void RunWindowWidget::OnRefresh(int64_t tMs) {
    run_.SetTime(tMs);
    run_.Timer1Timer();
    summary_.Observe(run_.State(), run_.Line(), run_.Moves());
    review_.Observe(tMs, run_.Context());
    if (trace_) {
        trace_->WriteRow(tMs, "refresh", run_.State(),
                         static_cast<int>(run_.Line().Station.size()));
    }
    refreshed_ = true;
}

void RunWindowWidget::Pump() {
    if (!built_ || closed_) return;
    const int64_t now = wallClock();
    refreshed_ = false;
    pacer_.Advance(RunClock());
    if (run_.AppIdle(static_cast<uint32_t>(now))) ShowFrame();
    if (refreshed_) {
        SyncWindows();
        view_->PanelChanged();
    }
    ArmTimer();
}

void RunWindowWidget::ArmTimer() {
    const auto due = pacer_.NextWakeWall();
    if (closed_ || !due) {
        timer_.stop();
        return;
    }
    const int64_t now = wallClock();
    int64_t wake = (*due + timeScale - 1) / timeScale;
    // A new frame waiting for the presenter is drawn as soon as its 33 ms allow.
    const RunState& s = run_.State();
    if (s.DisplayedFrame != s.Frame && s.Frame >= 0 && s.VideoFrameCount >= 0) {
        const int64_t since = static_cast<uint32_t>(static_cast<uint32_t>(now) - s.LastDrawTime);
        wake = std::min(wake, now + std::max<int64_t>(0, kPresenterPeriodMs - since));
    }
    timer_.start(static_cast<int>(std::clamp<int64_t>(wake - now, 0, kLongestSleepMs)));
}

void RunWindowWidget::Input(const std::function<void()>& handler) {
    if (!built_ || closed_) return;
    Touch();
    refreshed_ = false;
    inputTime_ = pacer_.BeforeInput(RunClock());
    run_.SetTime(inputTime_);
    handler();
    SyncWindows();
    view_->PanelChanged();
    ArmTimer();
}

void RunWindowWidget::DriverKey(const QKeyEvent& event) {
    // The window's own keys: they never reach the run. Shift+F11 stays the
    // run's own test key.
    const bool fullScreenKey =
        event.key() == Qt::Key_F11 && !(event.modifiers() & Qt::ShiftModifier);
    if (fullScreenKey || (event.key() == Qt::Key_Escape && isFullScreen())) {
        if (!event.isAutoRepeat()) ToggleFullScreen();
        return;
    }
    if (replay_) return;  // the recording drives
    Input([&] {
        InputDispatcher& input = run_.Input();
        if (const int vk = VirtualKeyCode(event.key(), event.modifiers())) {
            input.KeyDown(vk, ShiftOnly(event.modifiers()));
        }
        for (const QChar c : event.text()) {
            if (c.unicode() < 0x80) input.TypedChar(static_cast<char>(c.unicode()));
        }
    });
}

void RunWindowWidget::MenuCommand(const std::string& name) {
    // While a recording plays, only the program's own windows answer.
    if (replay_ && name != "menu_d1" && name != "menu_d2" && name != kFullScreenItem) return;
    if (name == "play1") {
        ChooseReplay();
    } else if (name == "start1") {
        Input([this] { StartOrPause(); });
    } else if (name.starts_with("Sta")) {
        Input([&] { run_.StationClick(name); });
    } else if (name == "menu_d1") {
        if (!helpWindow_.isVisible()) PlaceBeside(helpWindow_, "HelpWindow", QPoint(567, 341));
        helpWindow_.show();
        helpWindow_.raise();
    } else if (name == kFullScreenItem) {
        ToggleFullScreen();
    } else if (name == kReviewItem) {
        ShowReview();
    } else if (name == "menu_d2") {
        Input([this] {
            if (run_.Redraw()) ShowFrame();
        });
    } else if (name == "S1") {
        Input([this] { run_.S1Click(); });
    } else if (name == "COM11" || name == "COM21" || name == "COM31" || name == "COM41") {
        Input([&] { run_.ChooseController(name[3] - '1'); });
    } else if (name == "debug1") {
        Input([this] { run_.Menu().ToggleDebug(run_.Line().LineName); });
    } else if (name == "PadWindow1") {
        ShowControllerWindow();
    } else if (name == "auto1") {
        Input([this] { run_.auto1Click(); });
    } else if (name == "TS1") {
        EditSerialSettings();
    } else if (name == "TS2") {
        Input([this] { ToggleSerialPort(); });
    }
    RestoreFocus();
}

void RunWindowWidget::RestoreFocus() {
    // Later, once the menu bar has finished with the key or click that closed
    // the menu: it would otherwise keep the focus for its own navigation.
    QTimer::singleShot(0, this, [this] {
        if (!closed_ && QApplication::activePopupWidget() == nullptr) view_->setFocus();
    });
}

void RunWindowWidget::ToggleFullScreen() {
    if (isFullScreen()) {
        showNormal();
    } else {
        memory_.SetCabSize(view_->size());
        showFullScreen();
    }
    memory_.SetFullScreen(isFullScreen());
    SyncWindows();
    RestoreFocus();
}

void RunWindowWidget::PlaceBeside(QWidget& window, const QString& key, QPoint offset) {
    window.move(pos() + memory_.Offset(key).value_or(offset));
    KeepOnScreen(window);
    placedAt_[key] = window.pos();
}

void RunWindowWidget::RememberPlace(QWidget& window, const QString& key) {
    // Only a window the player moved: one left where it was put keeps
    // following the run window.
    auto placed = placedAt_.find(key);
    if (placed != placedAt_.end() && placed->second == window.pos()) return;
    memory_.SetOffset(key, window.pos() - pos());
    placedAt_[key] = window.pos();
}

bool RunWindowWidget::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::Hide) {
        if (watched == &valueWindow_) RememberPlace(valueWindow_, "ValueWindow");
        if (watched == &helpWindow_) RememberPlace(helpWindow_, "HelpWindow");
    }
    return QMainWindow::eventFilter(watched, event);
}

void RunWindowWidget::ShowControllerWindow() {
    ControllerWindow* window = services_.controllerWindow;
    if (window == nullptr) return;
    window->SetNotches(run_.Train().Power, run_.Train().Brake);
    window->show();
    window->raise();
}

void RunWindowWidget::StartOrPause() {
    run_.start1Click();
    if (run_.Running())
        pacer_.StartAt(inputTime_);
    else
        pacer_.PauseAt(inputTime_);
}

void RunWindowWidget::ToggleSerialPort() {
    SerialPort& serial = services_.run.serial;
    if (serial.IsOpen()) {
        serial.Close();
        return;
    }
    std::string error;
    if (!serial.Open(&error)) services_.run.messages.Show(error);
}

void RunWindowWidget::ArmSerialWait() {
    const auto due = run_.Input().SerialDeadline();
    if (!due) {
        serialWait_.stop();
        return;
    }
    const int64_t wall = (pacer_.ToWall(*due) + timeScale - 1) / timeScale;
    serialWait_.start(
        static_cast<int>(std::clamp<int64_t>(wall - wallClock(), 0, kLongestSleepMs)));
}

void RunWindowWidget::EditSerialSettings() {
    if (services_.serialSettings == nullptr) return;
    SerialSettingsDialog dialog(*services_.serialSettings, this);
    if (dialog.exec() == QDialog::Accepted) *services_.serialSettings = dialog.Settings();
}

void RunWindowWidget::ShowFrame() {
    if (frameDueMs_) {
        // A frame that changed soon after the last draw waits for the
        // presenter's period by design; it is late only beyond that.
        shownDueMs_ = std::max(*frameDueMs_, previousDrawMs_ + kPresenterPeriodMs);
        frameDueMs_.reset();
    }
    previousDrawMs_ = wallClock();
    view_->VideoChanged();
}

void RunWindowWidget::Painted(bool video) {
    const int64_t now = wallClock();
    if (stats_.firstPictureMs < 0) stats_.firstPictureMs = now;
    if (!video || !shownDueMs_) return;
    const int64_t lateness = now - *shownDueMs_;
    shownDueMs_.reset();
    ++stats_.shown;
    if (lateness > kPresenterPeriodMs) ++stats_.late;
    stats_.worstMs = std::max(stats_.worstMs, lateness);
}

void RunWindowWidget::Play(const ScriptAction& action) {
    std::visit(
        [&](const auto& a) {
            using A = std::decay_t<decltype(a)>;
            if constexpr (std::is_same_v<A, ScriptStart>) {
                MenuCommand("start1");
            } else if constexpr (std::is_same_v<A, ScriptChar>) {
                Input([&] { run_.Input().TypedChar(a.character); });
            } else if constexpr (std::is_same_v<A, ScriptKey>) {
                Input([&] { run_.Input().KeyDown(a.code, a.shift); });
            } else if constexpr (std::is_same_v<A, ScriptWheel>) {
                Input([&] {
                    if (a.up)
                        run_.Input().WheelUp();
                    else
                        run_.Input().WheelDown();
                });
            } else if constexpr (std::is_same_v<A, ScriptMove>) {
                MenuCommand("Sta" + std::to_string(a.station));
            } else if constexpr (std::is_same_v<A, ScriptController>) {
                if (a.kind >= 0 && a.kind <= 2)
                    MenuCommand("COM" + std::to_string(a.kind + 1) + "1");
            } else if constexpr (std::is_same_v<A, ScriptClose>) {
                close();
            }
        },
        action);
}

std::optional<int64_t> RunWindowWidget::NextTimedInput(int64_t after) {
    if (replay_) {
        // The serial line's waits come at their own moments, as headless.
        std::optional<int64_t> next = run_.Input().SerialDeadline();
        if (next) next = std::max(after, *next);
        if (replayNext_ < replay_->events.size()) {
            const int64_t event = std::max(after, replay_->events[replayNext_].timeMs);
            if (!next || event < *next) next = event;
        }
        return next;
    }
    // The automatic driver acts halfway between refreshes while it has the train.
    AutoDriver* driver = run_.Autopilot();
    const auto refresh = pacer_.Timers().NextRefresh();
    if (!driver || driver->Finished() || !refresh) return std::nullopt;
    return AutoDriver::ActTime(after, *refresh);
}

void RunWindowWidget::TimedInput(int64_t t) {
    inputTime_ = t;
    run_.SetTime(t);
    if (!replay_) {
        if (AutoDriver* driver = run_.Autopilot()) driver->Act(t, pacer_.Timers());
        return;
    }
    InputDispatcher& input = run_.Input();
    for (auto due = input.SerialDeadline(); due && *due < t; due = input.SerialDeadline()) {
        run_.SerialWaitOver(*due);
    }
    const auto& events = replay_->events;
    bool applied = false;
    while (replayNext_ < events.size() && events[replayNext_].timeMs <= t) {
        applied = true;
        switch (
            ApplyScriptEvent(events[replayNext_++].action, run_, replayJoystick_, replaySerial_)) {
            case ScriptEffect::TimersStarted:
                pacer_.StartAt(t);
                break;
            case ScriptEffect::TimersPaused:
                pacer_.PauseAt(t);
                break;
            case ScriptEffect::Close:
                // The run ends where the recording did, before the timers of
                // that moment.
                if (pacer_.Running()) pacer_.PauseAt(t);
                replayNext_ = events.size();
                QTimer::singleShot(0, this, [this] { close(); });
                return;
            case ScriptEffect::None:
                break;
        }
    }
    if (!applied) {
        if (auto due = input.SerialDeadline(); due && *due == t) run_.SerialWaitOver(t);
    }
    SyncWindows();
}

void RunWindowWidget::Touch() {
    if (touched_) return;
    touched_ = true;
    if (MenuItem* play = run_.Menu().Find("play1")) play->enabled = false;
}

bool RunWindowWidget::StartReplay(const std::filesystem::path& recording, int rate) {
    if (touched_ || !built_ || closed_) return false;
    RunScript script = ReadRunScript(recording);
    const std::optional<RunIdentity> identity = ReadIdentity(script.header);
    std::optional<std::string> refusal;
    if (!script.ok()) {
        refusal = script.error;
    } else if (!identity) {
        refusal = recording.string() + " is no recording of a run";
    } else {
        refusal = ReplayRefusal(*identity, IdentityOf(run_));
    }
    if (refusal) {
        services_.run.messages.Show(*refusal);
        return false;
    }
    // The window shows the recorded run; it is no new run to record.
    if (RunRecorder* recorder = run_.Recorder()) {
        const std::filesystem::path file = recorder->File();
        run_.Record(nullptr);
        std::error_code ec;
        std::filesystem::remove(file, ec);
    }
    Touch();
    run_.ReplayFrom(identity->settings);
    replay_ = std::move(script);
    replayNext_ = 0;
    run_.UseJoystick(replayJoystick_);
    replaySerial_.onReceived = [this](int count) {
        run_.Input().SerialReceived(replaySerial_, count, inputTime_);
    };
    timeScale = std::max(1, rate);
    pacer_.Restart();
    SyncWindows();
    ArmTimer();
    return true;
}

void RunWindowWidget::ChooseReplay() {
    if (touched_ || !services_.recordings) return;
    const RunIdentity here = IdentityOf(run_);
    std::vector<std::filesystem::path> files;
    QStringList names;
    const RunRecorder* own = run_.Recorder();
    for (const std::filesystem::path& file : Recordings(*services_.recordings)) {
        if (own && file == own->File()) continue;
        const std::optional<RunIdentity> id = ReadIdentity(ReadRunScript(file).header);
        if (!id || id->train != here.train || id->line != here.line) continue;
        files.push_back(file);
        names << QString::fromStdString(file.filename().string());
    }
    if (files.empty()) {
        services_.run.messages.Show("この列車と路線で記録した運転はありません。");
        return;
    }
    bool ok = false;
    const QString chosen =
        QInputDialog::getItem(this, "再生", "記録 (新しい順)", names, 0, false, &ok);
    if (!ok) return;
    static const QStringList kSpeeds = {"1×", "2×", "4×", "8×"};
    const QString speed = QInputDialog::getItem(this, "再生", "速さ", kSpeeds, 0, false, &ok);
    if (!ok) return;
    StartReplay(files[static_cast<size_t>(names.indexOf(chosen))], 1 << kSpeeds.indexOf(speed));
}

void RunWindowWidget::ShowStillPicture() {
    const std::string& name = run_.Line().Staf[1];
    if (name.empty()) return;
    // Without its still picture the cab shows black until the run starts.
    std::string why;
    auto still = LoadDataPicture(services_.run.pictures, run_.DataDir(), name,
                                 PictureFormats::BitmapOrJpeg, why);
    if (!still) return;
    view_->ShowCabPicture(ToImage(*still));
}

void RunWindowWidget::SyncWindows() {
    if (MenuItem* full = run_.Menu().Find(kFullScreenItem)) full->checked = isFullScreen();
    menus_->Sync(run_.Menu());
    setWindowTitle(QString::fromStdString(run_.Menu().WindowCaption));
    const bool shown = run_.State().ValueWindowShown;
    if (shown) valueWindow_.ShowModel(run_.ValueWindow());
    if (shown != valueWindow_.isVisible()) {
        if (shown) PlaceBeside(valueWindow_, "ValueWindow", QPoint(188, 573));
        valueWindow_.setVisible(shown);
    }
}

bool RunWindowWidget::event(QEvent* event) {
    if (event->type() == QEvent::WindowActivate && built_ && !closed_ && !run_.Running()) {
        ShowStillPicture();
    }
    return QMainWindow::event(event);
}

void RunWindowWidget::closeEvent(QCloseEvent* event) {
    event->accept();
    if (closed_ || !built_) return;
    // What was due before the close has run, and the close takes its moment.
    run_.SetTime(pacer_.BeforeInput(RunClock()));
    closed_ = true;
    timer_.stop();
    serialWait_.stop();
    if (!isFullScreen()) memory_.SetCabSize(view_->size());
    // Closing the run closes the serial port, whose message still belongs to it.
    const bool deviceOk = run_.FormCloseQuery();
    Detach();
    valueWindow_.hide();
    if (!review_.Samples().empty()) ShowReview();
    if (onClosed) onClosed(!deviceOk);
}

QWidget* RunWindowWidget::ShowReview() {
    auto* window = new ReviewWindow(review_, summary_);
    window->setAttribute(Qt::WA_DeleteOnClose);
    window->show();
    window->raise();
    return window;
}

}  // namespace kelvaron
