#include "app/extras/SystemInfo.h"

#include <QApplication>
#include <QEvent>
#include <QFrame>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>

#include "app/extras/DriveReport.h"
#include "util/MessageSink.h"

namespace kelmora::app {

namespace {

QFrame* indicator(uint32_t rgb) {
    auto* shape = new QFrame;
    shape->setFixedSize(14, 14);
    shape->setFrameShape(QFrame::Box);
    shape->setStyleSheet(QString("background-color: #%1; border: 1px solid black;").arg(rgb, 6, 16, QChar('0')));
    return shape;
}

void colourIndicator(QFrame* shape, uint32_t rgb) {
    shape->setStyleSheet(QString("background-color: #%1; border: 1px solid black;").arg(rgb, 6, 16, QChar('0')));
}

QScreen* screenOf(const QWidget* w) {
    QScreen* s = w->screen();
    return s ? s : QGuiApplication::primaryScreen();
}

// The program's message boxes for the windows of this folder.
class BoxMessageSink : public MessageSink {
public:
    MessageAnswer show(const Message& m) override {
        QMessageBox box(QApplication::activeWindow());
        box.setWindowTitle(QString::fromStdString(m.title.empty() ? kProgramTitle : m.title));
        box.setText(QString::fromStdString(m.text).replace("\r\n", "\n"));
        box.exec();
        return MessageAnswer::Ok;
    }
};

}  // namespace

frmSystemInfo::frmSystemInfo(MessageSink& messages, QWidget* parent) : QDialog(parent), messages_(messages) {
    setWindowTitle("System Info");
    auto* frScreen = new QGroupBox("Screen");
    txtResolution_ = new QLineEdit("?");
    txtResolution_->setToolTip("Screen resolution");
    txtColorDepth_ = new QLineEdit("?");
    txtColorDepth_->setToolTip("Color depth");
    ShapeResolution_ = indicator(0xC00000);
    ShapeColorDepth_ = indicator(0xC00000);
    auto* screenGrid = new QGridLayout(frScreen);
    screenGrid->addWidget(new QLabel("Resolution "), 0, 0);
    screenGrid->addWidget(txtResolution_, 0, 1);
    screenGrid->addWidget(ShapeResolution_, 0, 2);
    screenGrid->addWidget(new QLabel("Color depth"), 1, 0);
    screenGrid->addWidget(txtColorDepth_, 1, 1);
    screenGrid->addWidget(ShapeColorDepth_, 1, 2);

    auto* frDrives = new QGroupBox("Drives");
    txtDrives_ = new QPlainTextEdit("?");
    txtDrives_->setToolTip("HD Info");
    txtDrives_->setReadOnly(true);
    txtDrives_->setMinimumSize(380, 140);
    auto* drivesLayout = new QVBoxLayout(frDrives);
    drivesLayout->addWidget(txtDrives_);

    cmdRefresh_ = new QPushButton("&Refresh");
    cmdRefresh_->setToolTip("Refresh Info");
    cmdClose_ = new QPushButton("&Close");
    cmdClose_->setToolTip("Close Window");
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(cmdRefresh_);
    buttons->addWidget(cmdClose_);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(frScreen);
    layout->addWidget(frDrives, 1);
    layout->addLayout(buttons);

    connect(cmdRefresh_, &QPushButton::clicked, this, &frmSystemInfo::refresh);
    connect(cmdClose_, &QPushButton::clicked, this, &QDialog::hide);
    // Typing into the boxes puts the computed text straight back.
    connect(txtResolution_, &QLineEdit::textEdited, this, &frmSystemInfo::getResolution);
    connect(txtColorDepth_, &QLineEdit::textEdited, this, &frmSystemInfo::getColorDepth);
}

void frmSystemInfo::getResolution() {
    const QSize size = screenOf(this)->size();
    txtResolution_->setText(QString::fromStdString(resolutionText(size.width(), size.height())));
}

void frmSystemInfo::getColorDepth() {
    const ColorDepthText c = colorDepthText(screenOf(this)->depth());
    txtColorDepth_->setText(QString::fromStdString(c.text));
    if (c.indicatorRgb) colourIndicator(ShapeColorDepth_, *c.indicatorRgb);
}

void frmSystemInfo::scanForDrives() {
    txtDrives_->setPlainText(" Scanning.. ");
    const std::string separator = QLocale().groupSeparator().toStdString();
    const std::string report = driveReport(localHardDisks(), separator, messages_);
    txtDrives_->setPlainText(QString::fromStdString(report).replace("\r\n", "\n"));
}

void frmSystemInfo::refresh() {
    getResolution();
    getColorDepth();
    scanForDrives();
}

void frmSystemInfo::changeEvent(QEvent* event) {
    QDialog::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && isActiveWindow()) refresh();
}

void showSystemInfo(QWidget* parent) {
    static BoxMessageSink messages;
    static QPointer<frmSystemInfo> window;
    if (!window) {
        window = new frmSystemInfo(messages, parent);
        window->refresh();
    }
    window->show();
    window->raise();
    window->activateWindow();
}

}  // namespace kelmora::app
