// velloran-demo: the Velloran window following the built-in demo site, which it serves itself
// on 127.0.0.1.
#include <cstdio>

#include "demo/DemoSite.h"
#include "ui/Application.h"

int main(int argc, char** argv) {
    velloran::DemoSite site;
    if (!site.Start()) {
        std::fputs("velloran-demo: could not open a port on 127.0.0.1 for the demo site\n", stderr);
        return 1;
    }
    // The site lives until the window has closed and every worker has been stopped.
    return velloran::RunVelloran(argc, argv, site.Host());
}
