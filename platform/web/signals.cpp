// A page gets no termination signals: closing its tab ends everything at once.
#include "platform/signals.h"

void signals_catch_termination() {}

bool signals_termination_requested() { return false; }
