| Four-voice Paula replay for the intro tune.
|
| Entry points: +0 init, +4 stop, +8 play (once per 50 Hz frame). The tune data
| follows the code at label music; its addresses are absolute, fixed by the packer
| for the load address it writes into the file.
|
| Tune header (offsets from music):
|   0 speed (frames per row)   2 song length   4 restart order   6 rows per pattern
|   8 order table (bytes)     12 pattern table (longs)  16 instrument table
|  20 period table (words, by note)  24 one silent word for one-shot sounds
| Instrument (16 bytes): start.l, length.w (words), volume.w, loop start.l,
|   loop length.w (words), pad.w
| Cell (4 bytes): note (0 none, 255 silence), instrument (0 = keep),
|   volume (255 = keep, or the instrument's on a new note), arpeggio xy.

        .equ    DMACON, 0xdff096
        .equ    AUD0, 0xdff0a0
        .equ    AUD_LC, 0
        .equ    AUD_LEN, 4
        .equ    AUD_PER, 6
        .equ    AUD_VOL, 8

        | tune header fields
        .equ    T_SPEED, 0
        .equ    T_LENGTH, 2
        .equ    T_RESTART, 4
        .equ    T_ROWS, 6
        .equ    T_ORDERS, 8
        .equ    T_PATTERNS, 12
        .equ    T_INSTRUMENTS, 16
        .equ    T_PERIODS, 20
        .equ    T_SILENCE, 24

        | channel state (8 bytes each)
        .equ    C_NOTE, 0
        .equ    C_ARP, 2
        .equ    C_INSTRUMENT, 4
        .equ    C_SIZE, 8

        .text
        bra.w   init
        bra.w   stop
        bra.w   play

init:
        movem.l %d0-%d7/%a0-%a6,-(%sp)
        lea     state(%pc),%a4
        move.w  #1,tick-state(%a4)
        clr.w   row-state(%a4)
        clr.w   order-state(%a4)
        clr.w   arppos-state(%a4)
        lea     channels(%pc),%a0
        moveq   #4*C_SIZE/2-1,%d0
1:      clr.w   (%a0)+
        dbra    %d0,1b
        bsr     silence
        movem.l (%sp)+,%d0-%d7/%a0-%a6
        rts

stop:
        movem.l %d0-%d7/%a0-%a6,-(%sp)
        bsr     silence
        movem.l (%sp)+,%d0-%d7/%a0-%a6
        rts

| All four channels off and quiet.
silence:
        move.w  #0x000f,DMACON
        lea     AUD0,%a1
        moveq   #3,%d0
1:      clr.w   AUD_VOL(%a1)
        lea     16(%a1),%a1
        dbra    %d0,1b
        rts

play:
        movem.l %d0-%d7/%a0-%a6,-(%sp)
        lea     state(%pc),%a4
        lea     music(%pc),%a5
        subq.w  #1,tick-state(%a4)
        bne.s   1f
        move.w  T_SPEED(%a5),tick-state(%a4)
        clr.w   arppos-state(%a4)
        bsr     do_row
        bra.s   2f
1:      addq.w  #1,arppos-state(%a4)
        cmp.w   #3,arppos-state(%a4)
        bne.s   2f
        clr.w   arppos-state(%a4)
2:      bsr     do_arpeggio
        movem.l (%sp)+,%d0-%d7/%a0-%a6
        rts

| Reads the current row and starts its notes, then moves to the next row.
do_row:
        move.w  order-state(%a4),%d0
        move.l  T_ORDERS(%a5),%a0
        moveq   #0,%d1
        move.b  (%a0,%d0.w),%d1
        lsl.w   #2,%d1
        move.l  T_PATTERNS(%a5),%a0
        move.l  (%a0,%d1.w),%a0
        move.w  row-state(%a4),%d0
        lsl.w   #4,%d0
        add.w   %d0,%a0
        lea     AUD0,%a1
        lea     channels(%pc),%a2
        moveq   #0,%d7
next_channel:
        moveq   #0,%d0
        move.b  (%a0)+,%d0
        moveq   #0,%d1
        move.b  (%a0)+,%d1
        moveq   #0,%d2
        move.b  (%a0)+,%d2
        moveq   #0,%d3
        move.b  (%a0)+,%d3
        move.w  %d3,C_ARP(%a2)
        tst.w   %d0
        beq.s   no_note
        cmp.w   #255,%d0
        bne.s   start_note
        clr.w   AUD_VOL(%a1)
        bra.s   channel_done
start_note:
        move.w  %d0,C_NOTE(%a2)
        tst.w   %d1
        beq.s   1f
        move.w  %d1,C_INSTRUMENT(%a2)
1:      move.w  C_INSTRUMENT(%a2),%d1
        beq.s   channel_done
        subq.w  #1,%d1
        lsl.w   #4,%d1
        move.l  T_INSTRUMENTS(%a5),%a3
        add.w   %d1,%a3
        moveq   #1,%d4
        lsl.w   %d7,%d4
        move.w  %d4,DMACON
        move.l  (%a3),AUD_LC(%a1)
        move.w  4(%a3),AUD_LEN(%a1)
        move.l  T_PERIODS(%a5),%a6
        add.w   %d0,%d0
        move.w  (%a6,%d0.w),AUD_PER(%a1)
        cmp.w   #255,%d2
        bne.s   2f
        move.w  6(%a3),%d2
2:      move.w  %d2,AUD_VOL(%a1)
        or.w    #0x8000,%d4
        move.w  %d4,DMACON
        | the channel takes this block over when the first one ends
        move.l  8(%a3),AUD_LC(%a1)
        move.w  12(%a3),AUD_LEN(%a1)
        bra.s   channel_done
no_note:
        cmp.w   #255,%d2
        beq.s   channel_done
        move.w  %d2,AUD_VOL(%a1)
channel_done:
        lea     16(%a1),%a1
        addq.l  #C_SIZE,%a2
        addq.w  #1,%d7
        cmp.w   #4,%d7
        bne     next_channel

        addq.w  #1,row-state(%a4)
        move.w  row-state(%a4),%d0
        cmp.w   T_ROWS(%a5),%d0
        bne.s   1f
        clr.w   row-state(%a4)
        addq.w  #1,order-state(%a4)
        move.w  order-state(%a4),%d0
        cmp.w   T_LENGTH(%a5),%d0
        bne.s   1f
        move.w  T_RESTART(%a5),order-state(%a4)
1:      rts

| Every frame sets each sounding channel's period: the note itself, or with an
| arpeggio the note, note + x and note + y in turn.
do_arpeggio:
        lea     AUD0,%a1
        lea     channels(%pc),%a2
        move.l  T_PERIODS(%a5),%a6
        move.w  arppos-state(%a4),%d6
        moveq   #3,%d7
1:      move.w  C_NOTE(%a2),%d0
        beq.s   3f
        move.w  C_ARP(%a2),%d3
        beq.s   2f
        tst.w   %d6
        beq.s   2f
        move.w  %d3,%d1
        lsr.w   #4,%d1
        cmp.w   #1,%d6
        beq.s   4f
        move.w  %d3,%d1
        and.w   #15,%d1
4:      add.w   %d1,%d0
2:      add.w   %d0,%d0
        move.w  (%a6,%d0.w),AUD_PER(%a1)
3:      lea     16(%a1),%a1
        addq.l  #C_SIZE,%a2
        dbra    %d7,1b
        rts

        .even
state:
tick:   .word   0
row:    .word   0
order:  .word   0
arppos: .word   0
channels:
        .space  4*C_SIZE
        .even
music:
