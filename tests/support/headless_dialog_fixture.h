#pragma once

// One of the program's dialogs on the headless backend, from the real templates: the
// working folder is a fresh temporary one and the profile is kept in memory.
#include <gtest/gtest.h>

#include "core/kezo_resources.h"
#include "framework/application.h"
#include "framework/headless/headless_ui.h"
#include "memory_profile_store.h"
#include "temp_folder.h"

class HeadlessDialogTest : public ::testing::Test {
 protected:
  CApplication application_{u"Veltra"};  // the title of windows and message boxes
  ScopedTempWorkingFolder folder_;
  MemoryProfileStore profile_;
  ScopedSeam<ProfileStore> profile_seam_{profile_};
  HeadlessUi ui_{KezoResources()};
  ScopedUiBackend installed_{ui_};
};
