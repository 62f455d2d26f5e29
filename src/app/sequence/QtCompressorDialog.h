#pragma once
// The compressor choice dialog: codec, quality and key-frame interval.
#include "sequence/Compressor.h"

class QWidget;

namespace kelmora {

class QtCompressorDialog : public CompressorDialog {
public:
    explicit QtCompressorDialog(QWidget* parent) : parent_(parent) {}
    std::optional<CompressorChoice> choose(const std::vector<CompressorOption>& options,
                                           const CompressorChoice& initial) override;

private:
    QWidget* parent_;
};

}  // namespace kelmora
