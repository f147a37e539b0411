#include "ui/Application.h"

int main(int argc, char** argv) {
    return velloran::RunVelloran(argc, argv, "hongbao.weibo.com");
}
