#include "ui/app_info.h"
