#include "explode.h"
