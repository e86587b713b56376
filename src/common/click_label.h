#pragma once

#include <QLabel>

namespace common {

// A label the user can click, like a link: emits clicked() on a left-button release
// over it, and on Space or Enter when it has the keyboard focus (it takes Tab focus so
// the program can be used from the keyboard).
class ClickLabel : public QLabel {
    Q_OBJECT
public:
    explicit ClickLabel(const QString& text = {}, QWidget* parent = nullptr);

signals:
    void clicked();

protected:
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
};

} // namespace common
