#include "platform/jet/Jet.h"
