#include "CMutex.h"
