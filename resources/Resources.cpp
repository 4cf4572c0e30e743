#include "resources/Resources.h"
