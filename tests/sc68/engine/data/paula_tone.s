| Test replay for the Paula: a square wave on the voices whose DMA bits
| are given in D0 at init; voice 0's period sweeps from frame to frame.
        .text
        bra.w   init
        bra.w   stop
        bra.w   play

init:   lea     wave(%pc),%a1
        lea     0xdff0a0,%a2
        moveq   #3,%d7
1:      move.l  %a1,(%a2)
        move.w  #16,4(%a2)
        move.w  #254,6(%a2)
        move.w  #48,8(%a2)
        lea     16(%a2),%a2
        dbf     %d7,1b
        andi.w  #0x000f,%d0
        ori.w   #0x8200,%d0
        move.w  %d0,0xdff096
        lea     tick(%pc),%a1
        clr.w   (%a1)
        rts

stop:   move.w  #0x000f,0xdff096
        rts

play:   lea     tick(%pc),%a1
        addq.w  #1,(%a1)
        move.w  (%a1),%d0
        andi.w  #0x003f,%d0
        addi.w  #200,%d0
        move.w  %d0,0xdff0a6
        rts

tick:   .word   0
wave:   .byte   100,100,100,100,100,100,100,100,100,100,100,100,100,100,100,100
        .byte   -100,-100,-100,-100,-100,-100,-100,-100,-100,-100,-100,-100,-100,-100,-100,-100
