#pragma once

class QWidget;

namespace platform {

// Places a control at a position given in twips within its parent. A control whose
// text needs more room than its twips give grows (to the right and downwards) rather
// than clip its text.
void place(QWidget* control, int left, int top, int width, int height);

// Places a control at a position in twips with the size its contents need.
void place(QWidget* control, int left, int top);

} // namespace platform
