#pragma once
// What the sanitizers must not blame on us.
//
// LeakSanitizer: the D-Bus library that Qt's platform integration loads keeps one buffer until the
// process ends.
// ThreadSanitizer: Qt is not built with it, and its own locks (futexes) are invisible to it, so
// memory that Qt allocates on one thread and frees on another (the thread pool that the raster
// painter uses for large fills, its queued events) looks unordered. The same holds for the
// PulseAudio client library behind Qt Multimedia, with its own threaded main loop, and for the X
// connection that Qt's xcb platform reads on a thread of its own. Only the allocation calls made
// from inside Qt are ignored; every access of our own code stays checked, and our hand-over of
// calls between threads is ordered by std::mutex, which the checker sees.
extern "C" const char* __lsan_default_suppressions() {
    return "leak:libdbus-1.so\n";
}
extern "C" const char* __tsan_default_suppressions() {
    return "called_from_lib:libQt6Core.so\n"
           "called_from_lib:libQt6Gui.so\n"
           "called_from_lib:libQt6Multimedia.so\n"
           "called_from_lib:libpulse.so\n"
           "called_from_lib:libpulsecommon\n"
           "called_from_lib:libxcb.so\n"
           "called_from_lib:libQt6XcbQpa.so\n";
}
