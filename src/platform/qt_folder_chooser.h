#pragma once

#include "platform/folder_chooser.h"

namespace platform {

class QtFolderChooser final : public FolderChooser {
public:
    QString chooseFolder(QWidget* parent, const QString& caption, const QString& start) override;
};

} // namespace platform
