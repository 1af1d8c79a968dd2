#include "../ui/shell.h"
