#pragma once

#include <Qt>

class QSize;
class QWidget;

namespace kalvenor {

// Title bar with the system menu and the close box only: no minimise, no
// maximise. Dialogs stay above their owner; windows are independent.
inline constexpr Qt::WindowFlags kCloseBoxOnly = Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                                                 Qt::WindowSystemMenuHint |
                                                 Qt::WindowCloseButtonHint;
inline constexpr Qt::WindowFlags kDialogFrame = Qt::Dialog | kCloseBoxOnly;
inline constexpr Qt::WindowFlags kWindowFrame = Qt::Window | kCloseBoxOnly;

void CentreOnScreen(QWidget* window);

// Gives a window its size where it stands: the centre stays put. The size
// is kept within the window's minimum and its screen, and the window is
// moved as far as it takes to lie wholly on its screen.
void ResizeAroundCentre(QWidget* window, QSize size);

}  // namespace kalvenor
