| sndh_ice: external replay for SNDH files.
| The engine loads this code at the track's load address and the SNDH file
| right after it, then calls +0 once (A0 = SNDH file, D0 = sub-tune) and
| +8 once per replay frame. The SNDH file has the same three entry points.
        .text
        bra.w   init
        bra.w   stop
        bra.w   play

init:   lea     sndh(%pc),%a1
        move.l  %a0,(%a1)
        movem.l %d0-%d7/%a0-%a6,-(%sp)
        jsr     (%a0)
        movem.l (%sp)+,%d0-%d7/%a0-%a6
        rts

stop:   movem.l %d0-%d7/%a0-%a6,-(%sp)
        movea.l sndh(%pc),%a0
        jsr     4(%a0)
        movem.l (%sp)+,%d0-%d7/%a0-%a6
        rts

play:   movem.l %d0-%d7/%a0-%a6,-(%sp)
        movea.l sndh(%pc),%a0
        jsr     8(%a0)
        movem.l (%sp)+,%d0-%d7/%a0-%a6
        rts

sndh:   .long   0
