#include "measure/Measure.h"
