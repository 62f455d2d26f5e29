#pragma once
// Movie Properties, for now only showing what the header reader put into it; the container
// movie command will make it editable.
#include <QDialog>

#include "swf/SwfHeader.h"

namespace kelmora::app {

class MoviePropertiesDialog : public QDialog {
    Q_OBJECT
public:
    explicit MoviePropertiesDialog(const swf::MoviePropertiesPrefill& fields, QWidget* parent = nullptr);
    const swf::MoviePropertiesPrefill& fields() const { return fields_; }

private:
    swf::MoviePropertiesPrefill fields_;
};

}  // namespace kelmora::app
