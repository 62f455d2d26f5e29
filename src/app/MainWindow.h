#pragma once
// The main window: the player above the status panel, the menus, the capture timer and the
// processing mode. The conversion itself is the capture loop's; this window shows its labels.
#include <QMainWindow>
#include <QTimer>
#include <memory>
#include <optional>

#include "app/CommandLine.h"
#include "app/InputBox.h"
#include "app/PlayerWidget.h"
#include "app/StartupChecks.h"
#include "app/extras/ContainerCommand.h"
#include "app/extras/MovieProperties.h"
#include "capture/CaptureHost.h"
#include "capture/CaptureLoop.h"
#include "capture/Clock.h"
#include "sequence/FileDialog.h"
#include "settings/Settings.h"
#include "swf/SwfHeader.h"

class QAction;
class QGroupBox;
class QLabel;
class QMenu;

namespace kelmora::app {

class PreferencesDialog;
class frmWriteSWF;

class MainWindow : public QMainWindow,
                   public capture::CaptureHost,
                   public MovieInfoLabels,
                   public ContainerCommandHost {
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
    // The movie's header into the labels, the player and the window sizes, and the Movie
    // Properties dialog; the header values when it could be read.
    std::optional<swf::MovieInfo> readSwfHeader(const std::string& path, bool infoOnly);

    // Read File Info (Ctrl+I) and Auto Wrap Movie (Ctrl+W).
    void readFileInfo();
    void autoWrapMovie();

    // The Movie Properties dialog, made on first use.
    frmWriteSWF& writeSwfDialog();
    // The file the file dialog of Open and Read File Info holds (full path; empty: none yet).
    const std::string& fileDialogPath() const { return loop_.chosenFile(); }
    // The modal file dialog and input box; Qt's own unless a test gives its own.
    void useDialogs(FileDialog& files, InputBox& input) {
        files_ = &files;
        input_ = &input;
    }

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

    // MovieInfoLabels
    std::string label(InfoLabel which) const override;
    void setLabel(InfoLabel which, const std::string& text) override;

    // ContainerCommandHost
    std::string readFileInfoPassive() override;
    bool movieUnreadable() const override { return headerState_.movieUnreadable; }
    std::optional<std::string> askText(const std::string& title, const std::string& prompt,
                                       const std::string& defaultAnswer) override;
    Result<bool> writeContainer(const std::string& path, const swf::ContainerMovieArgs& args,
                                bool overwriteSilently) override;
    std::optional<swf::MovieInfo> readBack(const std::string& path) override { return readSwfHeader(path, true); }

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void buildMenus();
    void openMovie();
    bool showOpenDialog(std::string& chosen);
    bool fitToMovie(int widthPx, int heightPx, bool infoOnly);
    QLabel* infoLabel(InfoLabel which) const;
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
    frmWriteSWF* writeSwf_ = nullptr;
    std::unique_ptr<FileDialog> qtFiles_;
    std::unique_ptr<InputBox> qtInput_;
    FileDialog* files_;
    InputBox* input_;
    capture::CaptureLoop loop_;
};

}  // namespace kelmora::app
