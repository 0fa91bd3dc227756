// tactolo-desktop: the desktop host of the beat tracker (src/qt/desktop_app.h).
#include "qt/desktop_app.h"

int main(int argc, char** argv) { return tactolo::qt::runDesktop(argc, argv); }
