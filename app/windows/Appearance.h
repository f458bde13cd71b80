#pragma once

#include <QColor>
#include <QString>

class QWidget;

namespace Controls {
class SkinFramework;
}

// The window-appearance helpers both windows use while loading.

inline const QString HomePage = QStringLiteral("https://www.quillmoor.example/");

// True when the path names an existing file or folder; never raises.
bool FileExists(const QString& path);

// The folder that holds the program; the optional files lie beside it.
QString ProgramFolder();

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

// About one start in a hundred opens the maker's home page.
void OpenHomePageAtRandom();

// The cursor file of the hand pointer, beside the program.
QString HandCursorPath();
