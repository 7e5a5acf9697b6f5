// The one application object of the Stavrel program; the framework's entry
// runs it.
#include "closer/CStavrelApp.h"

CStavrelApp theApp;
