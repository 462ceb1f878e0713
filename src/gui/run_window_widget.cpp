#include "gui/run_window_widget.h"

#include <QtGui/QCloseEvent>
#include <QtGui/QKeyEvent>
#include <QtGui/QScreen>
#include <QtWidgets/QApplication>
#include <QtWidgets/QMenuBar>
#include <algorithm>
#include <cmath>

#include "common/data_path.h"
#include "gui/controller_window.h"
#include "data/data_pictures.h"
#include "gui/help_window_widget.h"
#include "gui/review_window.h"
#include "gui/serial_settings_dialog.h"
#include "gui/value_window_widget.h"

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
    view_->onVideoTargetChanged = [this] { VideoTargetMoved(); };
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
            run_.SerialWaitOver(wallClock());
            ArmSerialWait();
        });
    });

    view_->onKey = [this](const QKeyEvent& event) { DriverKey(event); };
    view_->onWheel = [this](int step) {
        Input([&] {
            if (step > 0)
                run_.Input().WheelUp();
            else
                run_.Input().WheelDown();
        });
    };
    view_->onBack = [this] { close(); };
    // The automatic driver acts halfway between refreshes while it has the train.
    pacer_.SetTimedInput({[this](int64_t after) -> std::optional<int64_t> {
                              AutoDriver* driver = run_.Autopilot();
                              const auto refresh = pacer_.Timers().NextRefresh();
                              if (!driver || driver->Finished() || !refresh) return std::nullopt;
                              return AutoDriver::ActTime(after, *refresh);
                          },
                          [this](int64_t t) {
                              if (AutoDriver* driver = run_.Autopilot())
                                  driver->Act(t, pacer_.Timers());
                          }});
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
        Input([&] {
            run_.RxChar(count, wallClock());
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
    run_.SetFrameTarget(view_->VideoTarget());
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
    const int32_t frame = run_.State().Frame;
    run_.MMTimer1Timer();
    if (run_.State().Frame != frame && !frameDueMs_) frameDueMs_ = pacer_.ToWall(tMs) / timeScale;
}

void RunWindowWidget::OnRefresh(int64_t tMs) {
    run_.Timer1Timer();
    summary_.Observe(run_.State(), run_.Line());
    review_.Observe(tMs, run_.Context());
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
    const auto due = pacer_.NextDueWall();
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
    refreshed_ = false;
    pacer_.BeforeInput(RunClock());
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
    if (name == "start1") {
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
    const int64_t now = RunClock();
    if (run_.Running())
        pacer_.Start(now);
    else
        pacer_.Pause(now);
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
    serialWait_.start(
        static_cast<int>(std::clamp<int64_t>(*due - wallClock(), 0, kLongestSleepMs)));
}

void RunWindowWidget::EditSerialSettings() {
    if (services_.serialSettings == nullptr) return;
    SerialSettingsDialog dialog(*services_.serialSettings, this);
    if (dialog.exec() == QDialog::Accepted) *services_.serialSettings = dialog.Settings();
}

void RunWindowWidget::ShowFrame() {
    videoShown_ = true;
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

void RunWindowWidget::VideoTargetMoved() {
    if (!built_ || closed_) return;
    run_.SetFrameTarget(view_->VideoTarget());
    // The frame on show is decoded again at the new size.
    if (videoShown_ && run_.Redraw()) view_->VideoChanged();
}

void RunWindowWidget::ShowStillPicture() {
    const std::string& name = run_.Line().Staf[1];
    if (name.empty()) return;
    // Without its still picture the cab shows black until the run starts.
    std::string why;
    auto still = LoadDataPicture(services_.run.pictures, run_.DataDir(), name,
                                 PictureFormats::BitmapOrJpeg, why);
    if (!still) return;
    videoShown_ = false;
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
