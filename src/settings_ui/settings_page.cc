#include "settings_ui/settings_page.h"

#include "resource.h"

CPlaceholderPage::CPlaceholderPage() : CSettingsPage(IDD_PAGE_PLACEHOLDER) {}
