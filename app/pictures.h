// The program's three pictures, each loaded by file name through the resource manager on first use and kept for
// the life of the process. Until a picture has been found, every call asks the resource manager again; once found,
// it is never asked again. A failure of the resource manager passes to the caller.
#pragma once

#include "framework/picture.h"

Ref<Picture> Question48();  // "Question48.jpg", the calculator's question mark
Ref<Picture> PallSmall();   // "PallSmall.png", the splash window's title banner
Ref<Picture> Pall();        // "Pall.png", the calculator's title banner
