#include "app/MainWindow.h"

#include <QApplication>
#include <QClipboard>
#include <QCloseEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QMenuBar>
#include <QScreen>
#include <QVBoxLayout>

#include "app/PreferencesDialog.h"
#include "app/extras/AboutBox.h"
#include "app/extras/Addresses.h"
#include "app/extras/Links.h"
#include "app/extras/SystemInfo.h"
#include "app/extras/WriteSwfDialog.h"
#include "app/sequence/PicturesWindow.h"
#include "app/sequence/QtFileDialog.h"
#include "capture/FrameNaming.h"
#include "settings/IniFile.h"
#include "swf/MovieWindowSizing.h"

namespace kelmora::app {
namespace {
QString q(const std::string& s) { return QString::fromStdString(s); }
void openWeb(const char* address) {
    std::string link = address;
    openLink(link, "");
}

// The container writer leaves the frame rectangle's digits on the clipboard.
class SystemClipboard : public swf::Clipboard {
public:
    void setText(const std::string& text) override {
        if (QClipboard* clipboard = QGuiApplication::clipboard()) clipboard->setText(q(text));
    }
};
}  // namespace

MainWindow::MainWindow(Settings& settings, StartupFields& startup, MessageSink& messages,
                       PreferencesDialog& preferences, std::string settingsFile, QWidget* parent)
    : QMainWindow(parent), settings_(settings), startup_(startup), messages_(messages), preferences_(preferences),
      settingsFile_(std::move(settingsFile)), player_(new PlayerWidget),
      loop_(settings, run_, *player_, *this, clock_, messages, programFile("blank.swf")) {
    run_.suppressErrors = startup.suppressErrors;
    run_.commandSourceFile = startup.commandSourceFile == kQuitMarker ? std::string() : startup.commandSourceFile;
    setWindowTitle(kProgramTitle);
    setFont(QFont("Tahoma"));

    auto* central = new QWidget;
    auto* layout = new QVBoxLayout(central);
    layout->setContentsMargins(1, 1, 1, 1);
    player_->setFixedSize(351, 96);
    layout->addWidget(player_, 1, Qt::AlignCenter);

    status_ = new QGroupBox("Status");
    auto* grid = new QGridLayout(status_);
    auto label = [&](const char* text, int row, int column) {
        auto* l = new QLabel(text);
        grid->addWidget(l, row, column);
        return l;
    };
    label("elapsed time:", 1, 0);
    lblElapsedTime_ = label("--:--.--", 1, 1);
    label("estimated time left:", 2, 0);
    lblEstimatedTime_ = label("--:--.--", 2, 1);
    lblStatus_ = new QLabel("[waiting for user]");
    grid->addWidget(lblStatus_, 3, 0, 1, 2);
    lblFileInfo_ = label(" File Info ", 0, 2);
    label("Version", 1, 2);
    lblVersion_ = label("(v)", 1, 3);
    label("Size", 2, 2);
    lblSize_ = label("(size)", 2, 3);
    label("fps", 3, 2);
    lblFrameRate_ = label("(rate)", 3, 3);
    label("Width", 1, 4);
    lblWidth_ = label("(width)", 1, 5);
    label("Height", 2, 4);
    lblHeight_ = label("(height)", 2, 5);
    label("Frames", 3, 4);
    lblFrameCount_ = label("(count)", 3, 5);
    layout->addWidget(status_);
    setCentralWidget(central);

    snapTimer_.setInterval(capture::kSnapIntervalMs);
    connect(&snapTimer_, &QTimer::timeout, this, [this] { loop_.tick(); });
    qtFiles_ = std::make_unique<QtFileDialog>(this);
    qtInput_ = std::make_unique<QtInputBox>(this);
    files_ = qtFiles_.get();
    input_ = qtInput_.get();
    buildMenus();
    processingModeOff();
    resize(353, 265);
}

std::string MainWindow::programFile(const char* name) const { return settings_.programFolder() + "/" + name; }

void MainWindow::buildMenus() {
    file_ = menuBar()->addMenu("&File");
    file_->addAction("&Open..", QKeySequence("Ctrl+O"), this, &MainWindow::openMovie);
    file_->addAction("&Konvert and Save", QKeySequence("Ctrl+S"))->setEnabled(false);
    file_->addAction("Read File &Info", QKeySequence("Ctrl+I"), this, &MainWindow::readFileInfo);
    file_->addSeparator();
    file_->addAction("&Quit Program", QKeySequence("Ctrl+Q"), this, &MainWindow::quitProgram);

    extras_ = menuBar()->addMenu("&Extras");
    extras_->addAction("&Auto Wrap Movie (build container movie)", QKeySequence("Ctrl+W"), this,
                       &MainWindow::autoWrapMovie);
    extras_->addSeparator();
    extras_->addAction("&Convert Picture Sequence to AVI..", QKeySequence("F5"), this,
                       [this] { showPicturesWindow(this, settings_, messages_); });
    extras_->addSeparator();
    extras_->addAction("System &Info", this, [this] { showSystemInfo(this); });
    extras_->addAction("&Preferences..", QKeySequence("Ctrl+P"), this, [this] {
        preferences_.show();
        preferences_.raise();
    });
    extras_->addAction("&screenShot", QKeySequence("F12"))->setEnabled(false);

    help_ = menuBar()->addMenu("&?");
    auto openLocal = [this](const char* name) {
        return [this, name] {
            std::string document = programFile(name);
            openLink(document, "local");
        };
    };
    help_->addAction("&Help", QKeySequence("F1"), this, openLocal("help.html"));
    help_->addSeparator();
    help_->addAction("&Visit Homepage", this, [] { openWeb(kHomepageAddress); });
    help_->addAction(q(std::string("Visit kelmora &Board  (") + kMakerSiteName + ")"), this,
                     [] { openWeb(kBoardAddress); });
    help_->addAction("&Program History, Known Problems, Contact", this, openLocal("history.html"));
    help_->addSeparator();
    help_->addAction("&About", this, [this] { showAboutBox(this); });

    stop_ = menuBar()->addAction("[ &Stop Process ]", this, [this] { stopProcess(); });
}

void MainWindow::processingModeOn() {
    setWindowFlag(Qt::WindowStaysOnTopHint, true);
    if (!isHidden()) show();
    file_->setEnabled(false);
    extras_->setEnabled(false);
    help_->setEnabled(false);
    for (QMenu* m : {file_, extras_, help_}) m->menuAction()->setEnabled(false);
    stop_->setVisible(true);
}

void MainWindow::processingModeOff() {
    bool wasOnTop = windowFlags() & Qt::WindowStaysOnTopHint;
    if (wasOnTop) {
        setWindowFlag(Qt::WindowStaysOnTopHint, false);
        if (!isHidden()) show();
    }
    for (QMenu* m : {file_, extras_, help_}) {
        m->setEnabled(true);
        m->menuAction()->setEnabled(true);
    }
    stop_->setVisible(false);
}

void MainWindow::setSnapTimerEnabled(bool enabled) {
    if (enabled)
        snapTimer_.start();
    else
        snapTimer_.stop();
}

void MainWindow::setStatus(const std::string& text) { lblStatus_->setText(q(text)); }
void MainWindow::setElapsedTime(const std::string& text) { lblElapsedTime_->setText(q(text)); }
void MainWindow::setEstimatedTime(const std::string& text) { lblEstimatedTime_->setText(q(text)); }
std::string MainWindow::elapsedTime() const { return lblElapsedTime_->text().toStdString(); }
void MainWindow::setCaption(const std::string& text) { setWindowTitle(q(text)); }
void MainWindow::beep() { QApplication::beep(); }
void MainWindow::processPendingEvents() { QCoreApplication::processEvents(); }

void MainWindow::quitProgram() {
    if (!quitGuard_.enter()) return;
    snapTimer_.stop();
    writeIni(settings_, settingsFile_, messages_);
    QApplication::closeAllWindows();
    QCoreApplication::quit();
}

void MainWindow::closeEvent(QCloseEvent* event) {
    event->accept();
    quitProgram();
}

bool MainWindow::showOpenDialog(std::string& chosen) {
    FileDialogRequest request;
    request.title = "Select Flash SWF-File..";
    request.filters = convertFilter("Shockwave/Flash (*.swf)|*.swf");
    request.initialDirectory = settings_.swfPath();
    std::optional<std::string> file = files_->openFile(request);
    if (!file || file->empty()) return false;
    chosen = *file;
    return true;
}

void MainWindow::openMovie() {
    std::string chosen;
    if (!showOpenDialog(chosen)) return;
    loop_.setChosenFile(chosen);
    loop_.resetLostFrames();
    headerState_.movieUnreadable = false;
    readSwfHeader(chosen, false);
    setCaption(capture::fileTitle(chosen) + " - " + kProgramTitle);
    if (messages_.show({"", "Click [OK] to start process.", MessageIcon::Question, MessageButtons::OkCancel}) ==
        MessageAnswer::Ok)
        startProcess();
}

void MainWindow::readFileInfo() {
    std::string chosen;
    if (!showOpenDialog(chosen)) return;
    loop_.setChosenFile(chosen);
    headerState_.movieUnreadable = false;
    dontShowPropertiesDialog = !passiveInfoMode;
    passiveInfoMode = false;
    readSwfHeader(chosen, true);
}

void MainWindow::autoStart() {
    readSwfHeader(run_.commandSourceFile, false);
    setCaption(run_.commandSourceFile + " [batch] - " + kProgramTitle);
    startProcess();
}

std::optional<swf::MovieInfo> MainWindow::readSwfHeader(const std::string& path, bool infoOnly) {
    const bool unreadableBefore = headerState_.movieUnreadable;
    Result<swf::HeaderReadResult> read =
        swf::readSwfHeaderFile(path, infoOnly, dontShowPropertiesDialog, headerState_, messages_);
    if (!read) {
        messages_.show({"", "Can't read '" + path + "': " + read.error().message, MessageIcon::Warning, MessageButtons::Ok});
        return std::nullopt;
    }
    // The dialog names the movie the file dialog holds: a container's read-back keeps the user's movie.
    const std::string movieFileName = capture::fileTitle(fileDialogPath().empty() ? path : fileDialogPath());
    if (read->path == swf::HeaderPath::Compressed) {
        if (!unreadableBefore) {
            frmWriteSWF& dialog = writeSwfDialog();
            dialog.properties().apply(swf::prefillForManualEntry(movieFileName));
            if (read->showPropertiesDialog) dialog.exec();
        }
        return std::nullopt;
    }
    if (read->path != swf::HeaderPath::Read) return std::nullopt;
    const swf::MovieInfo& info = read->info;
    showMovieInfo(info, *this);
    swf::MovieInfoTexts texts = swf::movieInfoTexts(info);
    lblFileInfo_->setText(q(texts.fileInfo));
    player_->setBGColor(texts.bgColor);
    if (fitToMovie(info.widthPx, info.heightPx, infoOnly))
        writeSwfDialog().properties().apply(swf::prefillFromMovie(info, movieFileName));
    return info;
}

bool MainWindow::fitToMovie(int widthPx, int heightPx, bool infoOnly) {
    if (swf::sideTooHigh(widthPx, heightPx)) {
        QSize screen = QApplication::primaryScreen() ? QApplication::primaryScreen()->size() : QSize(0, 0);
        messages_.show({swf::tooHighTitle(), swf::tooHighMessage(widthPx, heightPx, screen.width(), screen.height()),
                        MessageIcon::Warning, MessageButtons::Ok});
        return false;
    }
    player_->setFixedSize(std::max(widthPx, 1), std::max(heightPx, 1));
    int minimumWidth = infoOnly ? 5390 / swf::kTwipsPerPixel : 0;
    QSize wanted(std::max(widthPx + 2, minimumWidth), heightPx + 2 + status_->sizeHint().height() + menuBar()->sizeHint().height() + 8);
    resize(wanted);
    QScreen* screen = QApplication::primaryScreen();
    if (screen && QGuiApplication::platformName() != "offscreen") {
        QSize available = screen->availableGeometry().size();
        swf::ScreenFit fit = swf::screenFit(wanted.width(), std::min(wanted.width(), available.width()),
                                            wanted.height(), std::min(wanted.height(), available.height()));
        if (fit != swf::ScreenFit::Fits) {
            messages_.show({"", swf::screenFitMessage(fit), MessageIcon::Warning, MessageButtons::Ok});
            return false;
        }
    }
    centre();
    return true;
}

frmWriteSWF& MainWindow::writeSwfDialog() {
    if (!writeSwf_) {
        writeSwf_ = new frmWriteSWF(*this, messages_, this);
        writeSwf_->setModal(true);
    }
    return *writeSwf_;
}

QLabel* MainWindow::infoLabel(InfoLabel which) const {
    switch (which) {
    case InfoLabel::Version: return lblVersion_;
    case InfoLabel::Size: return lblSize_;
    case InfoLabel::Width: return lblWidth_;
    case InfoLabel::Height: return lblHeight_;
    case InfoLabel::FrameRate: return lblFrameRate_;
    case InfoLabel::FrameCount: break;
    }
    return lblFrameCount_;
}

std::string MainWindow::label(InfoLabel which) const { return infoLabel(which)->text().toStdString(); }
void MainWindow::setLabel(InfoLabel which, const std::string& text) { infoLabel(which)->setText(q(text)); }

void MainWindow::autoWrapMovie() { runContainerCommand(*this, writeSwfDialog().properties(), *this, messages_); }

std::string MainWindow::readFileInfoPassive() {
    headerState_.movieUnreadable = false;
    passiveInfoMode = true;
    readFileInfo();
    return fileDialogPath();
}

std::optional<std::string> MainWindow::askText(const std::string& title, const std::string& prompt,
                                               const std::string& defaultAnswer) {
    // Half the screen less 2500 by 1500 twips, as the box has always stood.
    QPoint topLeft(0, 0);
    if (QScreen* screen = this->screen() ? this->screen() : QApplication::primaryScreen()) {
        const QRect area = screen->geometry();
        topLeft = QPoint(area.x() + area.width() / 2 - 2500 / swf::kTwipsPerPixel,
                         area.y() + area.height() / 2 - 1500 / swf::kTwipsPerPixel);
    }
    return input_->ask(title, prompt, defaultAnswer, topLeft);
}

Result<bool> MainWindow::writeContainer(const std::string& path, const swf::ContainerMovieArgs& args,
                                        bool overwriteSilently) {
    SystemClipboard clipboard;
    return swf::writeContainerSwf(path, args, overwriteSilently, messages_, clipboard);
}

void MainWindow::centre() {
    if (QScreen* screen = QApplication::primaryScreen()) {
        QRect area = screen->geometry();
        move((area.width() - frameGeometry().width()) / 2, (area.height() - frameGeometry().height()) / 2);
    }
}

}  // namespace kelmora::app
