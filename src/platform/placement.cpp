#include "platform/placement.h"

#include "platform/twips.h"

#include <QWidget>
#include <algorithm>

namespace platform {

void place(QWidget* control, int left, int top, int width, int height) {
    const QSize need = control->sizeHint();
    const int w = std::max(twipsToPixels(width), need.width());
    const int h = std::max(twipsToPixels(height), need.height());
    control->setGeometry(twipsToPixels(left), twipsToPixels(top), w, h);
}

void place(QWidget* control, int left, int top) {
    place(control, left, top, 0, 0);
}

} // namespace platform
