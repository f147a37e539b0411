#pragma once
// Under LeakSanitizer: the D-Bus library that Qt's platform integration loads keeps one buffer
// until the process ends. It is not ours and cannot be freed from here.
extern "C" const char* __lsan_default_suppressions() {
    return "leak:libdbus-1.so\n";
}
