| Test replay: init installs a timer interrupt through TRAP #14 Xbtimer;
| the handler counts its runs in the long at $500 and then idles for a
| given number of DBF turns. The parameters are the last four words of
| the code, patched by the test: timer (0-3 for A-D), control, data, turns.
        .text
        bra.w   init
        bra.w   stop
        bra.w   play

init:   pea     handler(%pc)
        move.w  data(%pc),-(%sp)
        move.w  control(%pc),-(%sp)
        move.w  timer(%pc),-(%sp)
        move.w  #0x1f,-(%sp)
        trap    #14
        lea     12(%sp),%sp
stop:
play:   rts

handler:
        addq.l  #1,0x500.w
        move.l  %d0,-(%sp)
        move.w  turns(%pc),%d0
        beq.s   2f
        subq.w  #1,%d0
1:      dbf     %d0,1b
2:      move.l  (%sp)+,%d0
        rte

timer:  .word   0
control: .word  0
data:   .word   0
turns:  .word   0
