// The scripted server moved to the shared test helpers.
#pragma once
#include "support/ScriptedServer.h"
