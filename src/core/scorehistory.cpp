#include "scorehistory.h"
