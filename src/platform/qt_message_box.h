#pragma once

#include "platform/message_box.h"

namespace platform {

class QtMessageBox final : public MessageBox {
public:
    void show(QWidget* parent, const QString& prompt, const QString& caption, Icon icon) override;
};

} // namespace platform
