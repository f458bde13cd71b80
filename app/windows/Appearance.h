#pragma once

#include <QColor>

class QWidget;

namespace Controls {
class SkinFramework;
}

// The colours of the windows, and the optional skin.

// The system's button-face colour.
QColor ButtonFace();
void SetBackground(QWidget* w, const QColor& colour);

// Applies the optional skin file x/o.cjs beside the program to the window
// through its skin framework: the window, its frames and labels take the
// button-face colour and the style sheet applies. Without the file the
// window keeps its design colours.
void ApplySkin(QWidget& window, Controls::SkinFramework& skin);

// The window and its frames, labels, check boxes and option buttons take
// the button-face colour.
void UseSystemColours(QWidget* window);
