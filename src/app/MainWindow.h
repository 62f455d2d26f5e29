#pragma once
// The main window: the player above the status panel, the menus, the capture timer and the
// processing mode. The conversion itself is the capture loop's; this window shows its labels.
#include <QMainWindow>
#include <QTimer>

#include "app/CommandLine.h"
#include "app/PlayerWidget.h"
#include "app/StartupChecks.h"
#include "capture/CaptureHost.h"
#include "capture/CaptureLoop.h"
#include "capture/Clock.h"
#include "settings/Settings.h"
#include "swf/SwfHeader.h"

class QAction;
class QGroupBox;
class QLabel;
class QMenu;

namespace kelmora::app {

class PreferencesDialog;

class MainWindow : public QMainWindow, public capture::CaptureHost {
    Q_OBJECT
public:
    MainWindow(Settings& settings, StartupFields& startup, MessageSink& messages, PreferencesDialog& preferences,
               std::string settingsFile, QWidget* parent = nullptr);

    // Public fields other windows read.
    bool dontShowPropertiesDialog = false;
    bool passiveInfoMode = false;

    void startProcess() { loop_.startProcess(); }
    void stopProcess() { loop_.stopProcess(); }
    void quitProgram();
    void autoStart();
    void readSwfHeader(const std::string& path, bool infoOnly);

    capture::CaptureLoop& loop() { return loop_; }
    PlayerWidget& player() { return *player_; }

    // CaptureHost
    void setStatus(const std::string& text) override;
    void setElapsedTime(const std::string& text) override;
    void setEstimatedTime(const std::string& text) override;
    std::string elapsedTime() const override;
    void setCaption(const std::string& text) override;
    void processingModeOn() override;
    void processingModeOff() override;
    void setSnapTimerEnabled(bool enabled) override;
    void closeMainWindow() override { close(); }
    void beep() override;
    void processPendingEvents() override;
    void rereadHeader(const std::string& path) override { readSwfHeader(path, false); }

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void buildMenus();
    void openMovie();
    void readFileInfo();
    bool showOpenDialog(std::string& chosen);
    void fitToMovie(int widthPx, int heightPx, bool infoOnly);
    void centre();
    std::string programFile(const char* name) const;

    Settings& settings_;
    StartupFields& startup_;
    MessageSink& messages_;
    PreferencesDialog& preferences_;
    std::string settingsFile_;
    capture::RunKind run_;
    capture::SteadyClock clock_;
    swf::HeaderReadState headerState_;
    QuitGuard quitGuard_;
    PlayerWidget* player_;
    QTimer snapTimer_;
    QGroupBox* status_;
    QLabel *lblElapsedTime_, *lblEstimatedTime_, *lblStatus_, *lblFileInfo_;
    QLabel *lblVersion_, *lblSize_, *lblFrameRate_, *lblWidth_, *lblHeight_, *lblFrameCount_;
    QMenu *file_, *extras_, *help_;
    QAction* stop_;
    swf::MoviePropertiesPrefill properties_;
    capture::CaptureLoop loop_;
};

}  // namespace kelmora::app
