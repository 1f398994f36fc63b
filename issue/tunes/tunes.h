// The magazine's four XM tunes, compiled in from issue/tunes/tune1.xm .. tune4.xm.
#pragma once

extern const unsigned char tune1_xm[];
extern const unsigned long tune1_xm_size;
extern const unsigned char tune2_xm[];
extern const unsigned long tune2_xm_size;
extern const unsigned char tune3_xm[];
extern const unsigned long tune3_xm_size;
extern const unsigned char tune4_xm[];
extern const unsigned long tune4_xm_size;
