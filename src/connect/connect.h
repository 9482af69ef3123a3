#pragma once
// Connecting a saved PPPoE connection from its shortcut: the steps and the
// reasons a dial ends, in the subscriber's words, and the engine driving the connect window.

#include "connect/connect_engine.h"
#include "connect/connect_screen.h"
#include "connect/dial_outcome.h"
#include "connect/dial_tracker.h"
#include "connect/secret_offer.h"
#include "connect/text_connect_view.h"
