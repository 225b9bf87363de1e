#include "app/worm_app.h"

// Static objects end in reverse order: the input object is released first, then the
// application object writes the level and releases the display.
CWormApp theApp;
DirectInputHolder gDirectInput;

int main(int argc, char** argv)
{
    return AfxWinMain(argc, argv);
}
