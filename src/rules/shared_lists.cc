#include "rules/shared_lists.h"

SharedLists& TheSharedLists() {
  static SharedLists lists;
  return lists;
}
