// The intro's SC68 image (Amiga Paula replay and tune), compiled in from issue/intro/intro.sc68.
#pragma once

extern const unsigned char intro_sc68[];
extern const unsigned long intro_sc68_size;
