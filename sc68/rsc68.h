#pragma once
// Resources: replays, the configuration file, samples and libraries,
// looked up under the user path and then the shared path.
#include "sc68/istream68.h"

enum rsc68_t : int { SC68rsc_replay = 0, SC68rsc_config = 1, SC68rsc_sample = 2, SC68rsc_dll = 3 };

// Opens the resource; gives an opened stream or null.
using rsc68_handler_t = istream68* (*)(rsc68_t type, const char* name, int mode);

// Null clears a path. The paths are copied.
void SC68rsc_set_share(const char* path);
void SC68rsc_set_user(const char* path);
// Resolves the defaults first when no path was set yet.
const char* SC68rsc_get_share();
const char* SC68rsc_get_user();
// Defaults: shared = $SC68_DATA, else the program's data folder; user =
// $SC68_HOME, else $HOME/.sc68, else none; an empty variable counts as
// unset. Only paths still unset are filled.
void SC68rsc_default_paths();
// Forgets both paths (they are resolved again on next use).
void SC68rsc_shutdown();

// Installs an open handler (null for none); gives the previous one.
rsc68_handler_t SC68rsc_set_handler(rsc68_handler_t handler);
// User path, then shared path (reading only); a replay found in neither is
// read from the engine's built-in copy when it has one.
istream68* default_open(rsc68_t type, const char* name, int mode);
// mode: 1 read, 2 write. The name must be plain: not empty, no "/", backslash
// or "..".
istream68* SC68rsc_open(rsc68_t type, const char* name, int mode);
