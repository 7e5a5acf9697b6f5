// The host's main of every program built on this library.
#include "afx/WinApp.h"

int main()
{
    return AfxWinMain();
}
