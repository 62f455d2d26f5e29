#pragma once
// The "Pictures" window: gathers BMP pictures of one size and depth, orders them and writes
// them as an AVI video. The rules live in PictureList and writeAvi; this is their face.
#include <QDialog>

#include "sequence/Compressor.h"
#include "sequence/PictureList.h"
#include "sequence/WriteAviCommand.h"

class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QScrollBar;

namespace kelmora {

class FileDialog;
class MessageSink;
class Settings;

// Opens the window modally (Extras > "&Convert Picture Sequence to AVI..", F5).
void showPicturesWindow(QWidget* parent, Settings& settings, MessageSink& messages);

class frmSequence : public QDialog, private WriteAviView {
    Q_OBJECT
public:
    frmSequence(Settings& settings, MessageSink& messages, FileDialog& files, CompressorDialog& compressors,
                QWidget* parent = nullptr);

    const PictureList& pictures() const { return list_; }

    void addImages();     // cmdFileOpen
    void clearList();     // cmdClearList
    void sortList();      // cmdSortList
    void oneUp();         // cmpOneUp
    void oneDown();       // cmdOneDown
    void writeAviFile();  // cmdWriteAVI
    void removeSelected();  // Delete on the list

    void reject() override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void selectionShown() override;
    void statusShown(const std::string& text) override;
    void refresh();
    void showPreview();
    void fpsTyped(const QString& text);
    void scrolled(int value);
    void applyBox(const FrameRateBox& box);

    Settings& settings_;
    MessageSink& messages_;
    FileDialog& files_;
    CompressorDialog& compressors_;
    PictureList list_;
    CompressorChoice compressor_;
    bool sorting_ = false;
    bool refreshing_ = false;

    QListWidget* lstDIBList;
    QPushButton* cmpOneUp;
    QPushButton* cmdOneDown;
    QPushButton* cmdFileOpen;
    QPushButton* cmdClearList;
    QPushButton* cmdSortList;
    QPushButton* cmdWriteAVI;
    QLineEdit* txtFPS;
    QScrollBar* VScroll;
    QLabel* lblStatus;
    QLabel* imgPreview;
};

}  // namespace kelmora
