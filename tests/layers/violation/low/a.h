#include "high/b.h"
int a();
