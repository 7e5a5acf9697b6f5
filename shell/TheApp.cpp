// The one application object of the program, built before the entry runs.
#include "MarlwickApp.h"

CMarlwickApp theApp;
