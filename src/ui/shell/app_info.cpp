#include "ui/shell/app_info.h"
