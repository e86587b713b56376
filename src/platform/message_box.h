#pragma once

#include <QString>

class QWidget;

namespace platform {

// A modal message box with a single OK button. Returns when the user has dismissed it.
class MessageBox {
public:
    enum class Icon { None, Warning };
    virtual ~MessageBox() = default;
    virtual void show(QWidget* parent, const QString& prompt, const QString& caption,
                      Icon icon = Icon::None) = 0;
};

} // namespace platform
