// Requests to end that come from outside the program: Ctrl+C in its terminal and kill
// (SIGINT, SIGTERM, SIGHUP). The handlers only record the request; the program's loops ask
// for it and end through their normal shutdown.
#pragma once

// Installs the handlers. Called once, early: libraries started later leave a handler
// that is already there alone.
void signals_catch_termination();
// True once one of the signals arrived.
bool signals_termination_requested();
