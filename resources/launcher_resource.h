#pragma once

#define IDS_LAUNCHER_TITLE 103
#define IDS_LAUNCHER_CLASS 109
