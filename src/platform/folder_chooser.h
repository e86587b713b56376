#pragma once

#include <QString>

class QWidget;

namespace platform {

// A modal folder chooser. Returns when the user has answered.
class FolderChooser {
public:
    virtual ~FolderChooser() = default;
    // The folder the user chose (absolute), starting from `start`; empty when they chose
    // none.
    virtual QString chooseFolder(QWidget* parent, const QString& caption, const QString& start) = 0;
};

} // namespace platform
