#pragma once
// The preferences dialog: modeless, edits the settings record in place. The rules live in the
// record (quality, scroll bar, enabling) and in checkFrameRange / checkOutputName; this window
// only forwards edits and shows the record.
#include <QDialog>

#include "settings/Settings.h"
#include "util/MessageSink.h"

class QCheckBox;
class QLabel;
class QLineEdit;
class QRadioButton;
class QScrollBar;

namespace kelmora::app {

class PreferencesDialog : public QDialog, public SettingsObserver {
    Q_OBJECT
public:
    PreferencesDialog(Settings& settings, const bool& suppressErrors, MessageSink& messages,
                      std::string helpPath, QWidget* parent = nullptr);
    ~PreferencesDialog() override;
    void settingChanged(SettingsField field) override;
    // The output name test (the name box lost the focus).
    void txtOutput_LostFocus();

protected:
    bool event(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void showAll();

    Settings& settings_;
    const bool& suppressErrors_;
    MessageSink& messages_;
    std::string helpPath_;
    QRadioButton *bmp_, *jpg_, *avi_, *derive_, *define_;
    QLabel *qualityLabel_, *startLabel_, *stopLabel_, *fileNameHint_;
    QLineEdit *quality_, *start_, *stop_, *output_;
    QScrollBar* scroll_;
    QCheckBox *range_, *preCapture_;
};

}  // namespace kelmora::app
