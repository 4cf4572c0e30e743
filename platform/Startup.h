#pragma once
// Settings the program makes before its QApplication exists.

namespace platform {

// On X11, window contents go to the server through the connection instead of
// shared-memory images. A shared-memory backing store for a window as large
// as the screen (the still copy of a point measurement) costs a fresh segment
// that both sides fault in page by page: several times slower to show than
// sending it. Leaves a setting the user made alone.
void PrepareDisplayConnection();

} // namespace platform
