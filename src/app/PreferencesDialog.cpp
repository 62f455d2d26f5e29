#include "app/PreferencesDialog.h"

#include <QCheckBox>
#include <QDesktopServices>
#include <QEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QUrl>
#include <QVBoxLayout>

#include "app/OutputNameCheck.h"

namespace kelmora::app {
namespace {
QString q(const std::string& s) { return QString::fromStdString(s); }
void setTextKeepingCursor(QLineEdit* edit, const std::string& text) {
    if (edit->text() != q(text)) edit->setText(q(text));
}
}  // namespace

PreferencesDialog::PreferencesDialog(Settings& settings, const bool& suppressErrors, MessageSink& messages,
                                     std::string helpPath, QWidget* parent)
    : QDialog(parent), settings_(settings), suppressErrors_(suppressErrors), messages_(messages),
      helpPath_(std::move(helpPath)) {
    setWindowTitle(QString("%1 Preferences").arg(kProgramTitle));
    setModal(false);
    auto* layout = new QVBoxLayout(this);

    auto* format = new QGroupBox("File-Format");
    auto* fl = new QGridLayout(format);
    bmp_ = new QRadioButton("bmp");
    jpg_ = new QRadioButton("jpg");
    avi_ = new QRadioButton("avi");
    avi_->setEnabled(false);
    qualityLabel_ = new QLabel("Quality (0-100):");
    quality_ = new QLineEdit;
    quality_->setFixedWidth(40);
    scroll_ = new QScrollBar(Qt::Vertical);
    scroll_->setRange(0, 100);
    scroll_->setFixedHeight(40);
    fl->addWidget(bmp_, 0, 0);
    fl->addWidget(jpg_, 0, 1);
    fl->addWidget(qualityLabel_, 0, 2);
    fl->addWidget(quality_, 0, 3);
    fl->addWidget(scroll_, 0, 4, 2, 1);
    fl->addWidget(avi_, 1, 0);
    auto* aviInfo = new QLabel("Please use: Extras > Convert.. to AVI meanwhile");
    aviInfo->setStyleSheet("font-size: 7pt");
    fl->addWidget(aviInfo, 1, 1, 1, 3);
    layout->addWidget(format);

    auto* convert = new QGroupBox("Convert");
    auto* cl = new QGridLayout(convert);
    range_ = new QCheckBox("FrameRange:");
    startLabel_ = new QLabel("Start at frame:");
    stopLabel_ = new QLabel("Stop at frame:");
    start_ = new QLineEdit;
    stop_ = new QLineEdit;
    preCapture_ = new QCheckBox("PreCapture");
    cl->addWidget(range_, 0, 0);
    cl->addWidget(startLabel_, 0, 1);
    cl->addWidget(start_, 0, 2);
    cl->addWidget(stopLabel_, 1, 1);
    cl->addWidget(stop_, 1, 2);
    cl->addWidget(preCapture_, 2, 0);
    auto* preHint = new QLabel("Enable PreCapture if first frame is missing.");
    preHint->setStyleSheet("font-size: 7pt");
    cl->addWidget(preHint, 3, 0, 1, 3);
    layout->addWidget(convert);

    auto* output = new QGroupBox("Output FileName");
    auto* ol = new QVBoxLayout(output);
    derive_ = new QRadioButton("derive from Source");
    define_ = new QRadioButton("define Output FileName");
    output_ = new QLineEdit;
    fileNameHint_ = new QLabel("increasing numbers will be added");
    fileNameHint_->setStyleSheet("font-size: 7pt");
    ol->addWidget(derive_);
    ol->addWidget(define_);
    ol->addWidget(output_);
    ol->addWidget(fileNameHint_);
    layout->addWidget(output);

    auto* buttons = new QHBoxLayout;
    auto* help = new QPushButton("&Help");
    help->setToolTip("Open Help");
    auto* close = new QPushButton("&Close");
    close->setToolTip("Close Window");
    buttons->addWidget(help);
    buttons->addWidget(close, 1);
    layout->addLayout(buttons);

    connect(bmp_, &QRadioButton::toggled, this, [this](bool on) { if (on) settings_.setFormat(PictureFormat::Bmp); });
    connect(jpg_, &QRadioButton::toggled, this, [this](bool on) { if (on) settings_.setFormat(PictureFormat::Jpg); });
    connect(quality_, &QLineEdit::textEdited, this, [this](const QString& t) { settings_.setQuality(t.toStdString()); });
    connect(scroll_, &QScrollBar::valueChanged, this, [this](int v) {
        if (v != settings_.qualityScrollPosition()) settings_.setQualityScrollPosition(v);
    });
    connect(range_, &QCheckBox::toggled, this, [this](bool on) { settings_.setUseFrameRange(on ? kChecked : kUnchecked); });
    connect(preCapture_, &QCheckBox::toggled, this, [this](bool on) { settings_.setPreCapture(on ? kChecked : kUnchecked); });
    connect(start_, &QLineEdit::textEdited, this, [this](const QString& t) { settings_.setStartFrame(t.toStdString()); });
    connect(stop_, &QLineEdit::textEdited, this, [this](const QString& t) { settings_.setStopFrame(t.toStdString()); });
    connect(derive_, &QRadioButton::toggled, this, [this](bool on) { if (on) settings_.setOutputNameMode(OutputNameMode::DeriveFromSource); });
    connect(define_, &QRadioButton::toggled, this, [this](bool on) { if (on) settings_.setOutputNameMode(OutputNameMode::Define); });
    connect(output_, &QLineEdit::textEdited, this, [this](const QString& t) { settings_.setOutputName(t.toStdString()); });
    connect(close, &QPushButton::clicked, this, &QDialog::hide);
    connect(help, &QPushButton::clicked, this, [this] { QDesktopServices::openUrl(QUrl::fromLocalFile(q(helpPath_))); });
    for (QLineEdit* edit : {start_, stop_, output_}) edit->installEventFilter(this);

    settings_.addObserver(this);
    showAll();
}

PreferencesDialog::~PreferencesDialog() { settings_.removeObserver(this); }

void PreferencesDialog::settingChanged(SettingsField) { showAll(); }

void PreferencesDialog::showAll() {
    bmp_->setChecked(settings_.format() == PictureFormat::Bmp);
    jpg_->setChecked(settings_.format() == PictureFormat::Jpg);
    avi_->setChecked(settings_.format() == PictureFormat::Avi);
    setTextKeepingCursor(quality_, settings_.quality());
    if (scroll_->value() != settings_.qualityScrollPosition()) scroll_->setValue(settings_.qualityScrollPosition());
    for (QWidget* w : std::initializer_list<QWidget*>{qualityLabel_, quality_, scroll_})
        w->setEnabled(settings_.qualityControlsEnabled());
    range_->setChecked(settings_.useFrameRange() == kChecked);
    setTextKeepingCursor(start_, settings_.startFrame());
    setTextKeepingCursor(stop_, settings_.stopFrame());
    for (QWidget* w : std::initializer_list<QWidget*>{startLabel_, stopLabel_, start_, stop_})
        w->setEnabled(settings_.frameRangeControlsEnabled());
    preCapture_->setChecked(settings_.preCapture() == kChecked);
    derive_->setChecked(settings_.outputNameMode() == OutputNameMode::DeriveFromSource);
    define_->setChecked(settings_.outputNameMode() == OutputNameMode::Define);
    setTextKeepingCursor(output_, settings_.outputName());
    output_->setEnabled(settings_.outputNameControlsEnabled());
    fileNameHint_->setEnabled(settings_.outputNameControlsEnabled());
}

void PreferencesDialog::txtOutput_LostFocus() { checkOutputName(settings_, suppressErrors_, messages_); }

bool PreferencesDialog::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::FocusOut) {
        if (watched == start_) settings_.setStartFrame(normaliseFrameText(settings_.startFrame()));
        if (watched == stop_) settings_.setStopFrame(normaliseFrameText(settings_.stopFrame()));
        if (watched == output_) txtOutput_LostFocus();
    }
    return QDialog::eventFilter(watched, event);
}

bool PreferencesDialog::event(QEvent* event) {
    if (event->type() == QEvent::WindowActivate) showAll();
    if (event->type() == QEvent::WindowDeactivate &&
        checkFrameRange(settings_, suppressErrors_) == FrameRangeVerdict::AskToCorrect) {
        show();
        stop_->setFocus();
        if (messages_.show({"", kFrameRangeQuestion, MessageIcon::Warning, MessageButtons::YesNo}) == MessageAnswer::Yes)
            settings_.setStopFrame(settings_.startFrame());
    }
    return QDialog::event(event);
}

}  // namespace kelmora::app
