#pragma once

#include <QColor>
#include <QFont>
#include <QPalette>

class QWidget;

namespace vantrelle::app {

// The windows' font: "MS Sans Serif" at 8 point where it is installed, otherwise
// a sans font of similar width at 8 point, at last the system's sans font.
QFont windowFont();

// Gives a window the font above, the button-face colour as background and the
// window-text colour; every control inherits them.
void applyWindowLook(QWidget* window);

// Moves a window to the centre of its screen's available area (the primary screen
// when it has none yet).
void centreOnScreen(QWidget* window);

// Moves a dialog to the centre of its owner's window, where the user's eyes are (the screen's centre when it has no
// owner on screen).
void centreOnOwner(QWidget* dialog);

// The colours of the bound edit boxes: grey, like an inactive window border, while
// browsing; the window-background colour (usually white) while editing.
QColor browsingColour(const QPalette& palette);
QColor editingColour(const QPalette& palette);

} // namespace vantrelle::app
