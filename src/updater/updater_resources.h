#pragma once

#include "framework/resource_script.h"

// Updater's resource scripts (resources/updater_resource.h and resources/updater.rc) as
// built into the program, read once; the headless backend takes its templates from here.
const ResourceScript& UpdaterResources();
