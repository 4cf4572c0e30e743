#include "chart/Chart.h"
