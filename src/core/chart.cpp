#include "chart.h"
