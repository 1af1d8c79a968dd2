#include "app/main_window.h"
#include "entry/data_tab.h"
