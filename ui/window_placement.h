#pragma once

class QWidget;

namespace WindowPlacement {

// Opens a window maximised. The window first gets the whole available screen,
// so that it fills the screen where no window manager honours the maximised state
// (a bare X server); the state then lets a window manager maximise it properly.
void maximise(QWidget *window);

} // namespace WindowPlacement
