#include "Adapters.h"
