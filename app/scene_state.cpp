// scene_state.cpp - the single instance of the scene record.
#include "app/scene_state.h"

scene scene_state;
