#include "app/sequence/PicturesWindow.h"

#include <QCoreApplication>
#include <QEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QImage>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPixmap>
#include <QPushButton>
#include <QScrollBar>
#include <QVBoxLayout>

#include "app/sequence/QtCompressorDialog.h"
#include "app/sequence/QtFileDialog.h"
#include "sequence/FileDialog.h"
#include "settings/Settings.h"

namespace kelmora {

void showPicturesWindow(QWidget* parent, Settings& settings, MessageSink& messages) {
    QtFileDialog files(parent);
    QtCompressorDialog compressors(parent);
    frmSequence window(settings, messages, files, compressors, parent);
    window.exec();
}

frmSequence::frmSequence(Settings& settings, MessageSink& messages, FileDialog& files, CompressorDialog& compressors,
                         QWidget* parent)
    : QDialog(parent), settings_(settings), messages_(messages), files_(files), compressors_(compressors),
      list_(settings, messages) {
    setWindowTitle(QStringLiteral("Pictures"));
    setModal(true);
    auto named = [](QWidget* w, const char* name) {
        w->setObjectName(QString::fromLatin1(name));
        return w;
    };

    auto* frFiles = new QGroupBox(QStringLiteral("Images"), this);
    lstDIBList = static_cast<QListWidget*>(named(new QListWidget(frFiles), "lstDIBList"));
    lstDIBList->setToolTip(QStringLiteral("Image Sequence"));
    lstDIBList->installEventFilter(this);
    cmpOneUp = static_cast<QPushButton*>(named(new QPushButton(QStringLiteral("\u25B2"), frFiles), "cmpOneUp"));
    cmdOneDown = static_cast<QPushButton*>(named(new QPushButton(QStringLiteral("\u25BC"), frFiles), "cmdOneDown"));
    auto* filesLayout = new QGridLayout(frFiles);
    filesLayout->addWidget(lstDIBList, 0, 0, 2, 1);
    filesLayout->addWidget(cmpOneUp, 0, 1);
    filesLayout->addWidget(cmdOneDown, 1, 1);

    auto* frCommands = new QGroupBox(QStringLiteral("Commands"), this);
    cmdFileOpen = static_cast<QPushButton*>(named(new QPushButton(QStringLiteral("&Add Images.."), frCommands), "cmdFileOpen"));
    cmdClearList = static_cast<QPushButton*>(named(new QPushButton(QStringLiteral("&Clear File List"), frCommands), "cmdClearList"));
    cmdSortList = static_cast<QPushButton*>(named(new QPushButton(QStringLiteral("&Sort File List"), frCommands), "cmdSortList"));
    cmdWriteAVI = static_cast<QPushButton*>(named(new QPushButton(QStringLiteral("&Write AVI..."), frCommands), "cmdWriteAVI"));
    auto* commandsLayout = new QVBoxLayout(frCommands);
    for (auto* b : {cmdFileOpen, cmdClearList, cmdSortList, cmdWriteAVI}) {
        b->setAutoDefault(false);
        commandsLayout->addWidget(b);
    }

    auto* frFPS = new QGroupBox(QStringLiteral("Frames per second"), this);
    auto* lblfps = new QLabel(QStringLiteral("fps (1 - 99):"), frFPS);
    txtFPS = static_cast<QLineEdit*>(named(new QLineEdit(frFPS), "txtFPS"));
    VScroll = static_cast<QScrollBar*>(named(new QScrollBar(Qt::Vertical, frFPS), "VScroll"));
    VScroll->setRange(0, 99);
    VScroll->setSingleStep(1);
    VScroll->setPageStep(10);
    auto* fpsLayout = new QHBoxLayout(frFPS);
    fpsLayout->addWidget(lblfps);
    fpsLayout->addWidget(txtFPS);
    fpsLayout->addWidget(VScroll);

    auto* frStatus = new QGroupBox(QStringLiteral("Status"), this);
    lblStatus = static_cast<QLabel*>(named(new QLabel(QStringLiteral("Select Images"), frStatus), "lblStatus"));
    (new QVBoxLayout(frStatus))->addWidget(lblStatus);

    auto* frPreview = new QGroupBox(QStringLiteral("Image Preview"), this);
    imgPreview = static_cast<QLabel*>(named(new QLabel(frPreview), "imgPreview"));
    imgPreview->setMinimumSize(240, 180);
    imgPreview->setAlignment(Qt::AlignCenter);
    (new QVBoxLayout(frPreview))->addWidget(imgPreview);

    auto* layout = new QGridLayout(this);
    layout->addWidget(frFiles, 0, 0, 3, 1);
    layout->addWidget(frCommands, 0, 1);
    layout->addWidget(frFPS, 1, 1);
    layout->addWidget(frStatus, 2, 1);
    layout->addWidget(frPreview, 0, 2, 3, 1);

    connect(cmdFileOpen, &QPushButton::clicked, this, &frmSequence::addImages);
    connect(cmdClearList, &QPushButton::clicked, this, &frmSequence::clearList);
    connect(cmdSortList, &QPushButton::clicked, this, &frmSequence::sortList);
    connect(cmdWriteAVI, &QPushButton::clicked, this, &frmSequence::writeAviFile);
    connect(cmpOneUp, &QPushButton::clicked, this, &frmSequence::oneUp);
    connect(cmdOneDown, &QPushButton::clicked, this, &frmSequence::oneDown);
    connect(lstDIBList, &QListWidget::currentRowChanged, this, [this](int row) {
        if (refreshing_) return;
        list_.select(row);
        showPreview();
    });
    connect(txtFPS, &QLineEdit::textChanged, this, &frmSequence::fpsTyped);
    connect(VScroll, &QScrollBar::valueChanged, this, &frmSequence::scrolled);

    applyBox(frameRateAtLoad(settings_));
    refresh();
}

void frmSequence::applyBox(const FrameRateBox& box) {
    const QSignalBlocker blockText(txtFPS), blockScroll(VScroll);
    if (txtFPS->text().toStdString() != box.text) txtFPS->setText(QString::fromStdString(box.text));
    VScroll->setValue(box.scroll);
}

void frmSequence::fpsTyped(const QString& text) {
    if (auto box = frameRateTyped(text.toStdString(), settings_)) applyBox(*box);
}

void frmSequence::scrolled(int value) { applyBox(frameRateScrolled(value, settings_)); }

void frmSequence::refresh() {
    refreshing_ = true;
    const auto& entries = list_.entries();
    bool same = lstDIBList->count() == int(entries.size());
    for (int i = 0; same && i < lstDIBList->count(); ++i) same = lstDIBList->item(i)->text().toStdString() == entries[size_t(i)];
    if (!same) {
        lstDIBList->clear();
        for (const auto& e : entries) lstDIBList->addItem(QString::fromStdString(e));
    }
    lstDIBList->setCurrentRow(list_.selected());
    refreshing_ = false;
    cmdClearList->setEnabled(list_.clearAndWriteEnabled());
    cmdWriteAVI->setEnabled(list_.clearAndWriteEnabled());
    showPreview();
}

void frmSequence::showPreview() {
    const std::string& path = list_.previewPath();
    if (path.empty()) {
        imgPreview->clear();
        return;
    }
    QImage image(QString::fromStdString(path));
    if (image.isNull()) return;
    imgPreview->setPixmap(QPixmap::fromImage(image.scaled(imgPreview->size(), Qt::KeepAspectRatio, Qt::FastTransformation)));
}

void frmSequence::addImages() {
    const std::string chosen = selectMultipleFiles(files_, kAddImagesTitle, kBitmapFilter, settings_.aviPath());
    list_.addSelection(chosen);
    refresh();
}

void frmSequence::clearList() {
    list_.clear();
    refresh();
}

void frmSequence::sortList() {
    if (sorting_) return;
    sorting_ = true;
    list_.sort([this] {
        refresh();
        QCoreApplication::processEvents();
    });
    sorting_ = false;
    refresh();
}

void frmSequence::oneUp() {
    list_.moveUp();
    refresh();
}

void frmSequence::oneDown() {
    list_.moveDown();
    refresh();
}

void frmSequence::removeSelected() {
    list_.removeSelected();
    refresh();
}

void frmSequence::writeAviFile() {
    writeAvi(list_, txtFPS->text().toStdString(), settings_, compressor_, {files_, compressors_, messages_, *this});
    refresh();
}

void frmSequence::selectionShown() {
    refresh();
    lstDIBList->repaint();
    imgPreview->repaint();
}

void frmSequence::statusShown(const std::string& text) {
    lblStatus->setText(QString::fromStdString(text));
    lblStatus->repaint();
}

void frmSequence::reject() {
    if (sorting_) return;  // the sort runs inside this window's events; it ends first
    QDialog::reject();
}

bool frmSequence::eventFilter(QObject* watched, QEvent* event) {
    if (watched == lstDIBList && event->type() == QEvent::KeyPress &&
        static_cast<QKeyEvent*>(event)->key() == Qt::Key_Delete) {
        removeSelected();
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

}  // namespace kelmora
