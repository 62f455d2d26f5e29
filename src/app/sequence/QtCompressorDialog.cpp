#include "app/sequence/QtCompressorDialog.h"

#include <QComboBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QSpinBox>

namespace kelmora {

std::optional<CompressorChoice> QtCompressorDialog::choose(const std::vector<CompressorOption>& options,
                                                           const CompressorChoice& initial) {
    QDialog dialog(parent_);
    dialog.setWindowTitle(QStringLiteral("Video Compression"));
    auto* form = new QFormLayout(&dialog);
    auto* codec = new QComboBox(&dialog);
    codec->setObjectName(QStringLiteral("cboCompressor"));
    for (const auto& o : options) codec->addItem(QString::fromStdString(o.label), QString::fromStdString(o.codec));
    const int start = codec->findData(QString::fromStdString(initial.codec));
    codec->setCurrentIndex(start >= 0 ? start : 0);
    auto* quality = new QSpinBox(&dialog);
    quality->setObjectName(QStringLiteral("spnQuality"));
    quality->setRange(0, 100);
    quality->setValue(initial.quality);
    auto* keyFrames = new QSpinBox(&dialog);
    keyFrames->setObjectName(QStringLiteral("spnKeyFrames"));
    keyFrames->setRange(1, 1000);
    keyFrames->setValue(std::max(1, initial.keyFrameInterval));
    form->addRow(QStringLiteral("&Compressor:"), codec);
    form->addRow(QStringLiteral("Compression &Quality:"), quality);
    form->addRow(QStringLiteral("&Key Frame Every (frames):"), keyFrames);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
    form->addRow(buttons);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    auto follow = [&] {
        const int i = codec->currentIndex();
        const bool valid = i >= 0 && size_t(i) < options.size();
        quality->setEnabled(valid && options[size_t(i)].usesQuality);
        keyFrames->setEnabled(valid && options[size_t(i)].usesKeyFrames);
    };
    QObject::connect(codec, &QComboBox::currentIndexChanged, &dialog, follow);
    follow();
    if (dialog.exec() != QDialog::Accepted || codec->currentIndex() < 0) return std::nullopt;
    return CompressorChoice{codec->currentData().toString().toStdString(), quality->value(), keyFrames->value()};
}

}  // namespace kelmora
