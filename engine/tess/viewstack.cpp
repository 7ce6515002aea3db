#include "engine/tess/viewstack.h"

SPW_MATSTACK SPW_ViewStack;
SPW_MATSTACK SPW_CameraStack;
