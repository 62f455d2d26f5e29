#include "app/extras/WriteSwfDialog.h"

#include <QColorDialog>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

namespace kelmora::app {

ColourSwatch::ColourSwatch(QWidget* parent) : QWidget(parent) { setFixedSize(60, 20); }

void ColourSwatch::setLook(QColor colour, bool hatched) {
    colour_ = colour;
    hatched_ = hatched;
    update();
}

void ColourSwatch::paintEvent(QPaintEvent*) {
    QPainter p(this);
    const QRect r = rect().adjusted(0, 0, -1, -1);
    if (hatched_) {
        p.fillRect(r, palette().window());
        p.fillRect(r, QBrush(colour_, Qt::BDiagPattern));
    } else {
        p.fillRect(r, colour_);
    }
    p.setPen(Qt::black);
    p.drawRect(r);
}

namespace {
QLineEdit* displayField() {
    auto* edit = new QLineEdit;
    edit->setReadOnly(true);
    edit->setFrame(false);
    edit->setStyleSheet("background: transparent;");
    return edit;
}
}  // namespace

frmWriteSWF::frmWriteSWF(MovieInfoLabels& labels, MessageSink& messages, QWidget* parent)
    : QDialog(parent), labels_(labels), messages_(messages) {
    setWindowTitle("Movie Properties");
    txtSignature_ = displayField();
    txtVersion_ = displayField();
    txtMovieFileName_ = displayField();
    txtWidth_ = new QLineEdit;
    txtHeight_ = new QLineEdit;
    txtFrameRate_ = new QLineEdit;
    txtFrameCount_ = new QLineEdit;
    for (QLineEdit* e : {txtWidth_, txtHeight_, txtFrameRate_, txtFrameCount_}) {
        e->setMaximumWidth(70);
        e->installEventFilter(this);
    }
    ShapeBGR_ = new ColourSwatch;
    auto* cmdPickColor = new QPushButton("&Pick..");
    auto* cmdWriteSWF = new QPushButton("&Ok");
    auto* cmdCancel = new QPushButton("&Cancel");
    cmdWriteSWF->setDefault(true);

    auto* frame = new QGroupBox("SWF");
    frSWF_ = frame;
    frame->installEventFilter(this);
    auto* size = new QHBoxLayout;
    size->addWidget(txtWidth_);
    size->addWidget(new QLabel("x"));
    size->addWidget(txtHeight_);
    size->addStretch();
    auto* colour = new QHBoxLayout;
    colour->addWidget(ShapeBGR_);
    colour->addWidget(cmdPickColor);
    colour->addStretch();
    auto* form = new QFormLayout(frame);
    form->addRow("Signature", txtSignature_);
    form->addRow("Version", txtVersion_);
    form->addRow("Width x Height", size);
    form->addRow("Frame Rate", txtFrameRate_);
    form->addRow("Frame Count", txtFrameCount_);
    form->addRow("Background Color", colour);
    form->addRow("Movie File Name", txtMovieFileName_);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(cmdWriteSWF);
    buttons->addWidget(cmdCancel);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(frame);
    layout->addLayout(buttons);

    connect(cmdPickColor, &QPushButton::clicked, this, &frmWriteSWF::pickColour);
    connect(cmdWriteSWF, &QPushButton::clicked, this, &frmWriteSWF::ok);
    connect(cmdCancel, &QPushButton::clicked, this, &QDialog::hide);
    showProperties();
}

QLineEdit* frmWriteSWF::fieldEdit(PropertyField f) const {
    switch (f) {
    case PropertyField::Width: return txtWidth_;
    case PropertyField::Height: return txtHeight_;
    case PropertyField::FrameRate: return txtFrameRate_;
    case PropertyField::FrameCount: break;
    }
    return txtFrameCount_;
}

void frmWriteSWF::showProperties() {
    txtSignature_->setText(QString::fromStdString(props_.signature));
    txtVersion_->setText(QString::fromStdString(props_.version));
    txtMovieFileName_->setText(QString::fromStdString(props_.movieFileName));
    for (PropertyField f : {PropertyField::Width, PropertyField::Height, PropertyField::FrameRate, PropertyField::FrameCount})
        fieldEdit(f)->setText(QString::fromStdString(props_.field(f)));
    ShapeBGR_->setLook(QColor(props_.red, props_.green, props_.blue), props_.hatched);
}

void frmWriteSWF::takeTyping() {
    for (PropertyField f : {PropertyField::Width, PropertyField::Height, PropertyField::FrameRate, PropertyField::FrameCount})
        props_.field(f) = fieldEdit(f)->text().toStdString();
}

void frmWriteSWF::showEvent(QShowEvent* event) {
    showProperties();
    QDialog::showEvent(event);
}

bool frmWriteSWF::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::FocusIn) {
        if (auto* edit = qobject_cast<QLineEdit*>(watched)) QTimer::singleShot(0, edit, &QLineEdit::selectAll);
    } else if (watched == frSWF_ && event->type() == QEvent::MouseButtonRelease) {
        pickColour();
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

void frmWriteSWF::mousePressEvent(QMouseEvent* event) { QDialog::mousePressEvent(event); }

void frmWriteSWF::pickColour() {
    const QColor initial(props_.red, props_.green, props_.blue);
    const QColor chosen = QColorDialog::getColor(initial, this, QString());
    const QColor colour = chosen.isValid() ? chosen : initial;
    props_.red = static_cast<uint8_t>(colour.red());
    props_.green = static_cast<uint8_t>(colour.green());
    props_.blue = static_cast<uint8_t>(colour.blue());
    props_.hatched = false;
    ShapeBGR_->setLook(colour, false);
}

void frmWriteSWF::ok() {
    takeTyping();
    const OkResult result = acceptMovieProperties(props_, messages_, labels_);
    for (PropertyField f : {PropertyField::Width, PropertyField::Height, PropertyField::FrameRate, PropertyField::FrameCount})
        fieldEdit(f)->setText(QString::fromStdString(props_.field(f)));
    if (result.focus) fieldEdit(*result.focus)->setFocus();
    if (result.accepted) hide();
}

}  // namespace kelmora::app
