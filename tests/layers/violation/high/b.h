#include "low/a.h"
int b();
