// Ottomix: scrambles and unscrambles one file at a time.
#include "ui/startup.h"

int main(int argc, char** argv) {
    return ottomix::runOttomix(argc, argv);
}
