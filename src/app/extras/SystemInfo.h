#pragma once
// The System Info window: screen resolution and colour depth of the screen it is on, and the size
// and free space of every local hard disk. Everything is computed again whenever it is activated.
#include <QDialog>

class QFrame;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;

namespace kelmora {
class MessageSink;
}

namespace kelmora::app {

class frmSystemInfo : public QDialog {
    Q_OBJECT
public:
    explicit frmSystemInfo(MessageSink& messages, QWidget* parent = nullptr);

    void getResolution();
    void getColorDepth();
    void scanForDrives();
    void refresh();  // the three above, in this order

    QLineEdit* txtResolution() const { return txtResolution_; }
    QLineEdit* txtColorDepth() const { return txtColorDepth_; }
    QPlainTextEdit* txtDrives() const { return txtDrives_; }

protected:
    void changeEvent(QEvent* event) override;

private:
    MessageSink& messages_;
    QLineEdit* txtResolution_ = nullptr;
    QLineEdit* txtColorDepth_ = nullptr;
    QFrame* ShapeResolution_ = nullptr;
    QFrame* ShapeColorDepth_ = nullptr;
    QPlainTextEdit* txtDrives_ = nullptr;
    QPushButton* cmdRefresh_ = nullptr;
    QPushButton* cmdClose_ = nullptr;
};

// Shows the program's one System Info window modeless (made on first use, afterwards shown again).
void showSystemInfo(QWidget* parent);

}  // namespace kelmora::app
