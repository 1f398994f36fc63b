| Test replay for the YM-2149: a tone on channel A at full volume whose
| period steps every frame.
        .text
        bra.w   init
        bra.w   stop
        bra.w   play

init:   lea     0xff8800,%a0
        move.b  #7,(%a0)
        move.b  #0x3e,2(%a0)
        move.b  #8,(%a0)
        move.b  #15,2(%a0)
        move.b  #1,(%a0)
        move.b  #1,2(%a0)
        lea     tick(%pc),%a1
        clr.w   (%a1)
        rts

stop:   lea     0xff8800,%a0
        move.b  #8,(%a0)
        clr.b   2(%a0)
        rts

play:   lea     tick(%pc),%a1
        addq.w  #1,(%a1)
        move.w  (%a1),%d0
        lea     0xff8800,%a0
        move.b  #0,(%a0)
        move.b  %d0,2(%a0)
        rts

tick:   .word   0
