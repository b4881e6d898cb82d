#pragma once

class QWidget;

// Gives the program its icon, drawn from the program's own design in the sizes title bars and
// task switchers ask for, as soon as `window` is first on screen: drawing it takes longer than
// showing the window, and nobody looks at the title bar's icon in the first tenth of a second.
void setProgramIconOnceShown(QWidget* window);
