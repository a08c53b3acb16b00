#pragma once

#include "framework/resource_script.h"

// The main program's resource scripts (resources/resource.h and resources/kezo.rc) as built
// into the program, read once; the headless backend takes its templates, menus and strings
// from here.
const ResourceScript& KezoResources();
